#include "lookup/save_policy.h"

#include <algorithm>

#include "history/keyword_history.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"

namespace pelmio {

SavePolicy::SavePolicy(LookupSession& session, std::chrono::milliseconds exitWait)
    : m_session(session), m_exitWait(exitWait) {}

SaveOutcome SavePolicy::saveKeyword(std::string keywordBytes) {
    // An empty keyword asks only for what any save does as well.
    if (!keywordBytes.empty() || m_pending.empty()) {
        if (m_pending.size() == kMaxPending) {
            m_pending.pop_front();
        }
        m_pending.push_back(std::move(keywordBytes));
    }
    return savePending(std::chrono::steady_clock::now(), false);
}

SaveOutcome SavePolicy::retry() {
    return savePending(std::chrono::steady_clock::now(), false);
}

SaveOutcome SavePolicy::saveAtExit() {
    if (m_pending.empty()) {
        return {};
    }
    SaveOutcome outcome = savePending(std::chrono::steady_clock::now() + m_exitWait, true);
    Notice lost{SaveNotice::KeywordsNotSaved, {}, {}};
    for (std::string& keyword : m_pending) {
        if (!keyword.empty()) {
            lost.keywords.push_back(std::move(keyword));
        }
    }
    m_pending.clear();
    if (!lost.keywords.empty()) {
        outcome.notices.push_back(std::move(lost));
    }
    return outcome;
}

SaveOutcome SavePolicy::savePending(std::chrono::steady_clock::time_point deadline, bool closing) {
    SaveOutcome outcome;
    while (!m_pending.empty()) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::max(deadline - std::chrono::steady_clock::now(),
                     std::chrono::steady_clock::duration::zero()));
        HistoryResult result = m_session.saveKeyword(m_pending.front(), wait);
        switch (result.status) {
            case HistoryStatus::Ok:
                m_pending.pop_front();
                outcome.historyList = std::move(result.list);
                tellIfUnlocked(outcome);
                break;
            case HistoryStatus::CannotOpen:
                // A read-only file or a folder in its place is left alone.
                m_pending.pop_front();
                break;
            case HistoryStatus::ForeignLink:
                m_pending.pop_front();
                tellForeignLink(kHistoryFileName, outcome);
                break;
            case HistoryStatus::Busy:
                // Another program is saving: try again shortly, never
                // waiting for it here; at the end there is no later.
                outcome.retry = !closing;
                return outcome;
            case HistoryStatus::DiskFull:
            case HistoryStatus::WriteError:
                // The old file is whole; the keyword waits for the next save.
                if (!m_toldHistoryFailure) {
                    m_toldHistoryFailure = true;
                    outcome.notices.push_back({result.status == HistoryStatus::DiskFull
                                                   ? SaveNotice::HistoryDiskFull
                                                   : SaveNotice::HistoryWriteFailed,
                                               {},
                                               {}});
                }
                return outcome;
        }
    }
    return outcome;
}

SaveOutcome SavePolicy::writeSettings() {
    SaveOutcome outcome;
    reportWrite(m_session.writeSettings(), kSettingsFileName, false, outcome);
    reportWrite(m_session.writeOptions(), kOptionsFileName, false, outcome);
    return outcome;
}

SaveOutcome SavePolicy::writeSettingsAtExit() {
    SaveOutcome outcome;
    reportWrite(m_session.writeSettings(m_exitWait), kSettingsFileName, true, outcome);
    reportWrite(m_session.writeOptions(m_exitWait), kOptionsFileName, true, outcome);
    reportWrite(m_session.writeWindowGeometry(m_exitWait), kOptionsFileName, true, outcome);
    return outcome;
}

void SavePolicy::reportWrite(const WriteResult& result, const char* fileName, bool closing,
                             SaveOutcome& outcome) {
    if (result.status == FileStatus::ForeignLink) {
        tellForeignLink(fileName, outcome);
        return;
    }
    tellIfUnlocked(outcome);
    // The setting holds for this run either way; a lock held by another
    // program leaves it for the end of the run.
    if (result.status == FileStatus::Ok || m_toldSettingsFailure ||
        (result.status == FileStatus::Busy && !closing)) {
        return;
    }
    m_toldSettingsFailure = true;
    const SaveNotice kind = result.status == FileStatus::NoSpace ? SaveNotice::SettingsDiskFull
                            : result.status == FileStatus::Busy  ? SaveNotice::SettingsBusy
                                                                 : SaveNotice::SettingsWriteFailed;
    outcome.notices.push_back({kind, {}, {}});
}

void SavePolicy::tellIfUnlocked(SaveOutcome& outcome) {
    if (m_toldNoLock || !m_session.wroteWithoutLock()) {
        return;
    }
    m_toldNoLock = true;
    outcome.notices.push_back({SaveNotice::NoLock, {}, {}});
}

void SavePolicy::tellForeignLink(const char* fileName, SaveOutcome& outcome) {
    if (m_toldForeignLink) {
        return;
    }
    m_toldForeignLink = true;
    outcome.notices.push_back({SaveNotice::ForeignLink, fileName, {}});
}

}  // namespace pelmio
