#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "lookup/lookup_session.h"

namespace pelmio {

// What the user is told about the session's saves.
enum class SaveNotice {
    HistoryDiskFull,     // a keyword waits for the next save: the disk is full
    HistoryWriteFailed,  // a keyword waits for the next save: the file cannot be written
    KeywordsNotSaved,    // at the end: these keywords were lost
    SettingsDiskFull,    // the setting holds for this run only
    SettingsWriteFailed,
    SettingsBusy,  // at the end, another program still held the lock
    ForeignLink,   // a file was not written: it is another user's link
    NoLock,        // a file was written where no lock could be had
};

struct Notice {
    SaveNotice kind;
    std::string fileName;               // ForeignLink: which file
    std::vector<std::string> keywords;  // KeywordsNotSaved: code page 932, oldest first

    bool operator==(const Notice&) const = default;
};

// What a run of saves asks of the window.
struct SaveOutcome {
    // The drop-down list as the last save left the history file; nothing
    // when no save got through.
    std::optional<std::vector<std::string>> historyList;
    // Whether to try again in SavePolicy::kRetryInterval; false stops
    // the retry timer.
    bool retry = false;
    std::vector<Notice> notices;  // to tell the user, in order
};

// When the session's files are saved, and what the user hears of it. The
// history is saved as the user leaves each keyword, never waiting for
// another program's lock: a keyword that finds the folder locked waits
// in a queue that is tried again shortly. A full disk or a failed write
// keeps the keyword queued for the next save and is told once a run. At
// the end the queue gets a short wait for the lock, and what still could
// not be saved is named to the user. Settings are written at once; those
// that another program's lock keeps out wait for the end of the run.
class SavePolicy {
public:
    static constexpr std::chrono::milliseconds kRetryInterval{250};
    // How long the end of the run waits for another program's lock.
    static constexpr std::chrono::milliseconds kExitWait{2000};
    // Keywords kept while they cannot be saved; the oldest go first.
    static constexpr std::size_t kMaxPending = 1000;

    explicit SavePolicy(LookupSession& session, std::chrono::milliseconds exitWait = kExitWait);

    // Queues the keyword the user leaves (code page 932) and saves what
    // waits, oldest first. An empty keyword adds nothing: it only makes
    // sure the file is there and gives the list, as any save does.
    SaveOutcome saveKeyword(std::string keywordBytes);
    // The retry timer fired: saves what waits.
    SaveOutcome retry();
    // The window closes: saves what waits, waiting up to exitWait for the
    // lock, then gives up on the rest and names its keywords.
    SaveOutcome saveAtExit();
    // Writes the row limit and the options, as the settings dialog closes.
    SaveOutcome writeSettings();
    // The end of the run: writes what this session changed and has not
    // written yet (the row limit, the options, the window geometry),
    // waiting up to exitWait for the lock.
    SaveOutcome writeSettingsAtExit();

    // The keywords still waiting, oldest first.
    const std::deque<std::string>& pending() const { return m_pending; }

private:
    SaveOutcome savePending(std::chrono::steady_clock::time_point deadline, bool closing);
    void reportWrite(const WriteResult& result, const char* fileName, bool closing,
                     SaveOutcome& outcome);
    void tellIfUnlocked(SaveOutcome& outcome);
    void tellForeignLink(const char* fileName, SaveOutcome& outcome);

    LookupSession& m_session;
    std::chrono::milliseconds m_exitWait;
    std::deque<std::string> m_pending;
    // Each told once a run.
    bool m_toldHistoryFailure = false;
    bool m_toldSettingsFailure = false;
    bool m_toldForeignLink = false;
    bool m_toldNoLock = false;
};

}  // namespace pelmio
