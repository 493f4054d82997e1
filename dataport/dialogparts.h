// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QLayout;

namespace korvanta {

class SettingsDialog;

namespace dataport {

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
