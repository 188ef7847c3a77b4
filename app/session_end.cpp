#include "app/session_end.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace pelmio {

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// How long the event loop may take to reach the first signal before a
// repeated one ends the program at once.
constexpr time_t kUnansweredSeconds = 10;
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_caught = 0;   // a signal came
volatile sig_atomic_t g_reached = 0;  // the event loop is ending the program
volatile time_t g_caughtAt = 0;       // when the first came, on the monotonic clock

time_t Now() {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec;
}

// Only async-signal-safe calls here: the event loop does the rest.
extern "C" void OnSessionEndSignal(int signal) {
    if (g_caught != 0) {
        // The program is already ending as its close box ends it, and may be
        // waiting a little to save: a repeat must not cut that short. Only
        // where the first signal was never answered does it end at once.
        if (g_reached == 0 && Now() - g_caughtAt >= kUnansweredSeconds) {
            ::signal(signal, SIG_DFL);
            ::raise(signal);
        }
        return;
    }
    g_caught = 1;
    g_caughtAt = Now();
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
        g_reached = 1;
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
    g_reached = 0;
}
#else
// Windows ends a session with messages to the windows, not with signals.
SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {}
SessionEndWatcher::~SessionEndWatcher() = default;
#endif

}  // namespace pelmio
