#include "app/session_end.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace pelmio {

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_caught = 0;

// Only async-signal-safe calls here: the event loop does the rest.
extern "C" void OnSessionEndSignal(int signal) {
    if (g_caught != 0) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    g_caught = 1;
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {
    if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0) {
        return;
    }
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        m_onEnd();
    });
    struct sigaction action {};
    action.sa_handler = OnSessionEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

SessionEndWatcher::~SessionEndWatcher() {
    if (!m_notifier) {
        return;
    }
    for (const int signal : kSignals) {
        ::signal(signal, SIG_DFL);
    }
    m_notifier.reset();
    for (int& fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
    g_caught = 0;
}
#else
// Windows ends a session with messages to the windows, not with signals.
SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {}
SessionEndWatcher::~SessionEndWatcher() = default;
#endif

}  // namespace pelmio
