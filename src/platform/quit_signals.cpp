#include "platform/quit_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A signal handler may only do async-signal-safe things: it writes the
// signal's number into a pipe that the event loop watches.
int g_pipe[2] = {-1, -1};

extern "C" void WriteSignalToPipe(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

void SetHandlers(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals)
        ::sigaction(signal, &action, nullptr);
}

}  // namespace

void OnQuitSignals(std::function<void()> quit)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    static std::unique_ptr<QSocketNotifier> notifier;
    notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [quit = std::move(quit)] {
        char number;
        while (::read(g_pipe[0], &number, 1) > 0) {
        }
        notifier->setEnabled(false);
        SetHandlers(SIG_DFL);
        quit();
    });
    SetHandlers(WriteSignalToPipe);
}

}  // namespace platform
