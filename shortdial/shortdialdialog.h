#pragma once

#include "shortdial/shortdialmodel.h"
#include "ui/progresswindow.h"
#include "ui/settingsdialog.h"

#include <array>

class QLineEdit;

namespace korvanta {

// Form4 "短縮番号登録": the adapter's twenty short-dial entries on two tabs of
// ten rows, read when the window opens and written back, changed entries only,
// by "登録".
class ShortDialDialog : public SettingsDialog {
    Q_OBJECT
public:
    ShortDialDialog(Session &session, QWidget *opener);

protected:
    void readAdapter() override;

private:
    // Reads all twenty entries into the boxes and the work file. A failed read
    // is reported by its message only: the window stays open.
    void NumRead();
    // Sends one set command per entry that differs from the work file's value,
    // stopping at the first time-out (WriteFailed).
    void NumWrite();
    void registerEntries(); // "登録"
    // Runs a read or write procedure with the progress window shown and the
    // window disabled; nothing may close it meanwhile.

    std::array<shortdial::Entry, shortdial::kEntryCount> shownEntries() const;

    struct Boxes {
        QLineEdit *number;
        QLineEdit *subaddress;
    };
    std::array<Boxes, shortdial::kEntryCount> m_boxes{};
};

} // namespace korvanta
