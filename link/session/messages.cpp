// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/messages.h"

#include <cstdio>

namespace korvanta {

namespace {
struct Hooks {
    Messages::Handler handler;
    std::function<void()> beepHandler;
    Messages::Presenter presenter;
    std::function<void()> presenterBeep;
};
Hooks &hooks()
{
    static Hooks h;
    return h;
}
} // namespace

MessageBox::Button Messages::show(const MessageRequest &request, QObject *parent)
{
    if (hooks().handler)
        return hooks().handler(request);
    if (hooks().presenter)
        return hooks().presenter(request, parent);
    std::fprintf(stderr, "%s\n", request.text.toUtf8().constData());
    if (request.defaultButton != MessageBox::NoButton)
        return request.defaultButton;
    return request.buttons.testFlag(MessageBox::Ok) ? MessageBox::Ok : MessageBox::NoButton;
}

void Messages::inform(const QString &text, QObject *parent)
{
    MessageRequest r;
    r.text = text;
    show(r, parent);
}

void Messages::warn(const QString &text, QObject *parent)
{
    MessageRequest r;
    r.icon = MessageBox::Warning;
    r.text = text;
    show(r, parent);
}

void Messages::beep()
{
    if (hooks().beepHandler)
        hooks().beepHandler();
    else if (hooks().presenterBeep)
        hooks().presenterBeep();
}

void Messages::setPresenter(Presenter presenter, std::function<void()> beep)
{
    hooks().presenter = std::move(presenter);
    hooks().presenterBeep = std::move(beep);
}

Messages::Handler Messages::setHandler(Handler h)
{
    Handler old = std::move(hooks().handler);
    hooks().handler = std::move(h);
    return old;
}

void Messages::setBeepHandler(std::function<void()> h)
{
    hooks().beepHandler = std::move(h);
}

} // namespace korvanta
