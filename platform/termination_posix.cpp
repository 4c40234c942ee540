// Termination signals as events: the handler only writes a byte to a pipe, and the event loop
// reads it and runs the close there, where every Qt call is allowed.
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <unistd.h>

namespace {

constexpr int EndSignals[] = { SIGTERM, SIGHUP, SIGINT };

int g_pipe[2] = { -1, -1 };

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : EndSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

void onTerminationRequest(std::function<void()> handler)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        char buffer[16];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) { }
        // Should the close hang (an error box nobody answers at a logout), the next signal ends us.
        setHandler(SIG_DFL);
        handler();
    });
    setHandler(onSignal);
}
