// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dialogparts.h"

#include "dataport/controls.h"
#include "dataport/strings.h"
#include "ui/helpviewer.h"
#include "ui/settingsdialog.h"

namespace korvanta::dataport {

void layOut(SettingsDialog &dialog, QLayout *body, const ButtonNames &names, const std::function<void()> &onRegister,
            const std::function<int()> &helpContext)
{
    auto *registerButton = makeButton(names.registerName, text::kRegister, &dialog);
    auto *cancel = makeButton(names.cancelName, text::kCancel, &dialog);
    auto *help = makeButton(names.helpName, text::kHelp, &dialog);
    QObject::connect(registerButton, &QPushButton::clicked, &dialog, onRegister);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QWidget::close);
    QObject::connect(help, &QPushButton::clicked, &dialog,
                     [&dialog, helpContext] { showHelp(dialog.session(), helpContext(), &dialog); });
    auto *layout = new QVBoxLayout(&dialog);
    layout->addLayout(body);
    layout->addLayout(buttonRow({registerButton, cancel, help}));
}

} // namespace korvanta::dataport
