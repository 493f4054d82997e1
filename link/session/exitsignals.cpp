// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/exitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace korvanta {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] written by the handler, [1] read by the event loop; neither blocks, so a
// flood of signals never stops the handler.
int g_pair[2] = {-1, -1};
volatile std::sig_atomic_t g_caught = 0;

void onSignal(int signalNumber)
{
    const int saved = errno;
    if (!g_caught)
        g_caught = signalNumber;
    const char number = char(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pair[0], &number, 1);
    errno = saved;
}

void install(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
}
} // namespace

ExitSignals::ExitSignals(QObject *parent) : QObject(parent)
{
    if (g_pair[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pair) != 0)
        return; // one instance at a time; without a pair the signals keep their defaults
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readPending);
    install(&onSignal);
}

ExitSignals::~ExitSignals()
{
    if (!m_notifier)
        return;
    install(SIG_DFL);
    delete m_notifier;
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

int ExitSignals::caught()
{
    return g_caught;
}

void ExitSignals::readPending()
{
    char number = 0;
    if (::read(g_pair[1], &number, 1) == 1)
        emit received(number);
}

} // namespace korvanta
