// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messagebox.h"

#include "link/session/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

namespace korvanta {

namespace {
struct Boxes {
    std::vector<QPointer<QMessageBox>> open; // innermost last
    bool unanswered = false;                 // nobody is left to answer them
};
Boxes &boxes()
{
    static Boxes b;
    return b;
}

// Answers a box as its Escape key does.
void pressEscape(QMessageBox *box)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &escape);
    if (box->isVisible()) // a box without an Escape answer
        box->reject();
}

MessageBox::Button present(const MessageRequest &request, QObject *parent)
{
    const std::unique_ptr<QMessageBox> box(newMessageBox(request, qobject_cast<QWidget *>(parent)));
    QPointer<QMessageBox> shown(box.get());
    boxes().open.push_back(shown);
    if (boxes().unanswered) // answered as soon as it shows
        QTimer::singleShot(0, box.get(), [shown] { pressEscape(shown); });
    const auto answer = static_cast<MessageBox::Button>(box->exec());
    std::erase(boxes().open, shown);
    return answer;
}
} // namespace

QMessageBox *newMessageBox(const MessageRequest &request, QWidget *parent)
{
    auto *box = new QMessageBox(static_cast<QMessageBox::Icon>(request.icon), request.title, request.text,
                                QMessageBox::StandardButtons(request.buttons.toInt()), parent);
    if (!request.informative.isEmpty())
        box->setInformativeText(request.informative);
    if (!request.details.isEmpty())
        box->setDetailedText(request.details);
    if (request.defaultButton != MessageBox::NoButton)
        box->setDefaultButton(static_cast<QMessageBox::StandardButton>(request.defaultButton));
    return box;
}

void installMessageBoxes()
{
    boxes().unanswered = false;
    Messages::setPresenter(&present, [] { QApplication::beep(); });
}

bool answerMessageBoxesByEscape()
{
    boxes().unanswered = true;
    const std::vector<QPointer<QMessageBox>> open = boxes().open;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (*it && (*it)->isVisible())
            pressEscape(*it);
    return !open.empty();
}

} // namespace korvanta
