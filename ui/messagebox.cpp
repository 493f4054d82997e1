#include "ui/messagebox.h"

#include "link/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace korvanta {

void installMessageBoxes()
{
    Messages::setPresenter(
        [](const MessageRequest &request, QObject *parent) {
            QMessageBox box(static_cast<QMessageBox::Icon>(request.icon), request.title, request.text,
                            QMessageBox::StandardButtons(request.buttons.toInt()), qobject_cast<QWidget *>(parent));
            if (!request.details.isEmpty())
                box.setDetailedText(request.details);
            if (request.defaultButton != MessageBox::NoButton)
                box.setDefaultButton(static_cast<QMessageBox::StandardButton>(request.defaultButton));
            return static_cast<MessageBox::Button>(box.exec());
        },
        [] { QApplication::beep(); });
}

} // namespace korvanta
