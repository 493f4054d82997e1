#include "ui/messagebox.h"

#include "link/messages.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

namespace korvanta {

QMessageBox *newMessageBox(const MessageRequest &request, QWidget *parent)
{
    auto *box = new QMessageBox(static_cast<QMessageBox::Icon>(request.icon), request.title, request.text,
                                QMessageBox::StandardButtons(request.buttons.toInt()), parent);
    if (!request.details.isEmpty())
        box->setDetailedText(request.details);
    if (request.defaultButton != MessageBox::NoButton)
        box->setDefaultButton(static_cast<QMessageBox::StandardButton>(request.defaultButton));
    return box;
}

void installMessageBoxes()
{
    Messages::setPresenter(
        [](const MessageRequest &request, QObject *parent) {
            const std::unique_ptr<QMessageBox> box(newMessageBox(request, qobject_cast<QWidget *>(parent)));
            return static_cast<MessageBox::Button>(box->exec());
        },
        [] { QApplication::beep(); });
}

} // namespace korvanta
