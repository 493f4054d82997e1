#pragma once

#include "ui/progresswindow.h"

#include "dataport/dataportmodel.h"

#include <QByteArray>
#include <functional>

class QLayout;
class QWidget;

namespace korvanta {

class Session;
class SettingsDialog;
class WorkFile;

namespace dataport {

// The one set command of a write procedure, when there is one. A time-out shows
// the failure message and sets WriteFailed; the input is discarded in every case.
void sendSettings(Session &session, const QByteArray &command, QWidget *parent);

// Stored values of one work-file section, with the given default when missing.
StoredValue storedIn(WorkFile &file, const char *section);

// Object names of a dialog's "登録", "キャンセル" and "ヘルプ" buttons.
struct ButtonNames {
    const char *registerName;
    const char *cancelName;
    const char *helpName;
};

// Lays out the dialog: its body above, the three buttons below on the right.
// Cancel closes; help opens the help file at the context helpContext gives.
void layOut(SettingsDialog &dialog, QLayout *body, const ButtonNames &names, const std::function<void()> &onRegister,
            const std::function<int()> &helpContext);

} // namespace dataport
} // namespace korvanta
