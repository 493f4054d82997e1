#include "link/messages.h"

#include <QApplication>

namespace korvanta {

namespace {
Messages::Handler &handler()
{
    static Messages::Handler h;
    return h;
}
std::function<void()> &beepHandler()
{
    static std::function<void()> h;
    return h;
}
} // namespace

QMessageBox::StandardButton Messages::show(const MessageRequest &request, QWidget *parent)
{
    if (handler())
        return handler()(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Messages::inform(const QString &text, QWidget *parent)
{
    MessageRequest r;
    r.text = text;
    show(r, parent);
}

void Messages::warn(const QString &text, QWidget *parent)
{
    MessageRequest r;
    r.icon = QMessageBox::Warning;
    r.text = text;
    show(r, parent);
}

void Messages::beep()
{
    if (beepHandler())
        beepHandler()();
    else
        QApplication::beep();
}

Messages::Handler Messages::setHandler(Handler h)
{
    Handler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

void Messages::setBeepHandler(std::function<void()> h)
{
    beepHandler() = std::move(h);
}

} // namespace korvanta
