#include "dataport/dialogparts.h"

#include "dataport/controls.h"
#include "dataport/strings.h"
#include "link/exchange.h"
#include "link/session.h"
#include "ui/helpviewer.h"
#include "ui/settingsdialog.h"
#include "workfile/workfile.h"

namespace korvanta::dataport {

void sendSettings(Session &session, const QByteArray &command, QWidget *parent)
{
    session.WriteFailed = 0;
    if (!command.isEmpty() && !session.set(command, parent))
        session.WriteFailed = 1;
    DiscardInput(session.link);
}

StoredValue storedIn(WorkFile &file, const char *section)
{
    const QString s = nameOf(section);
    return [&file, s](const char *key, const char *fallback) {
        return file.fetch(s, nameOf(key), QString::fromLatin1(fallback));
    };
}

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
