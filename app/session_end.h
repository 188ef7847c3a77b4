#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace pelmio {

// Turns the signals that end a session (SIGTERM at log-out, SIGHUP when the
// terminal closes, SIGINT from Ctrl+C) into a call on the event loop, so
// the program can end as its close box ends it. Repeated signals do not
// cut that ending short (it may wait a little for a lock to save); only
// where the event loop has not reached the first signal within seconds
// does a repeat end the program at once.
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
