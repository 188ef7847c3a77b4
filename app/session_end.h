#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace pelmio {

// Turns the signals that end a session (SIGTERM at log-out, SIGHUP when the
// terminal closes, SIGINT from Ctrl+C) into a call on the event loop, so
// the program can end as its close box ends it. A second such signal ends
// the program at once, in case the first one is never reached.
class SessionEndWatcher {
public:
    explicit SessionEndWatcher(std::function<void()> onEnd);
    ~SessionEndWatcher();
    SessionEndWatcher(const SessionEndWatcher&) = delete;
    SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

private:
    std::function<void()> m_onEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace pelmio
