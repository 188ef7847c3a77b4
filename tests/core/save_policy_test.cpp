#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "base/folder_lock.h"
#include "lookup/save_policy.h"
#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using Lines = std::vector<std::string>;

// A writer whose writes fail, as a full disk or a broken one makes them,
// while failure is set.
class FailOnDemandWriter : public FileWriter {
public:
    bool Write(std::FILE* file, std::string_view bytes) override {
        if (m_failure == 0) {
            return FileWriter::Write(file, bytes);
        }
        errno = m_failure;
        return false;
    }
    // ENOSPC, EIO, or 0 to write again.
    void fail(int error) { m_failure = error; }

private:
    int m_failure = 0;
};

// A policy over a session in a scratch folder; the end of the run does
// not wait for the lock.
struct PolicyFixture {
    TempFolder folder;
    FailOnDemandWriter writer;
    LookupSession session{folder.path(), writer};
    SavePolicy policy{session, std::chrono::milliseconds(0)};

    std::string history() const { return ReadBytes(folder / "strlist.txt"); }
};

Notice Told(SaveNotice kind, Lines keywords = {}) {
    return {kind, {}, std::move(keywords)};
}

TEST(SavePolicy, AKeywordThatFindsTheFolderLockedIsTriedAgainInOrder) {
    PolicyFixture fixture;
    {
        const FolderLock other(fixture.folder.path());
        for (const char* keyword : {"take", "off"}) {
            const SaveOutcome outcome = fixture.policy.saveKeyword(keyword);
            EXPECT_TRUE(outcome.retry) << keyword;
            EXPECT_FALSE(outcome.historyList) << keyword;
            EXPECT_TRUE(outcome.notices.empty()) << keyword;
        }
        // An empty keyword adds nothing to what waits.
        EXPECT_TRUE(fixture.policy.saveKeyword("").retry);
        EXPECT_TRUE(fixture.policy.retry().retry);
        EXPECT_EQ(fixture.policy.pending(), (std::deque<std::string>{"take", "off"}));
    }
    const SaveOutcome saved = fixture.policy.retry();
    EXPECT_FALSE(saved.retry);
    EXPECT_EQ(saved.historyList, (Lines{"off", "take"}));
    EXPECT_TRUE(fixture.policy.pending().empty());
    EXPECT_EQ(fixture.history(), "off\r\ntake\r\n");
    // Nothing waits: a timer that fires late saves nothing and stops.
    const SaveOutcome late = fixture.policy.retry();
    EXPECT_FALSE(late.retry);
    EXPECT_FALSE(late.historyList);
}

TEST(SavePolicy, AnEmptyKeywordMakesTheFileAndGivesTheList) {
    PolicyFixture fixture;
    const SaveOutcome outcome = fixture.policy.saveKeyword("");
    EXPECT_EQ(outcome.historyList, Lines{});
    EXPECT_TRUE(fs::exists(fixture.folder / "strlist.txt"));
    EXPECT_TRUE(fixture.policy.pending().empty());
}

TEST(SavePolicy, TheOldestWaitingKeywordsGoFirst) {
    PolicyFixture fixture;
    const FolderLock other(fixture.folder.path());
    for (std::size_t i = 0; i <= SavePolicy::kMaxPending; ++i) {
        fixture.policy.saveKeyword(std::to_string(i));
    }
    ASSERT_EQ(fixture.policy.pending().size(), SavePolicy::kMaxPending);
    EXPECT_EQ(fixture.policy.pending().front(), "1");
    EXPECT_EQ(fixture.policy.pending().back(), std::to_string(SavePolicy::kMaxPending));
}

TEST(SavePolicy, AFailedWriteIsToldOnceAndTheKeywordWaitsForTheNextSave) {
    PolicyFixture fixture;
    fixture.writer.fail(ENOSPC);
    const SaveOutcome full = fixture.policy.saveKeyword("take");
    EXPECT_EQ(full.notices, std::vector<Notice>{Told(SaveNotice::HistoryDiskFull)});
    // No timer: a full disk does not empty itself in a quarter second.
    EXPECT_FALSE(full.retry);
    EXPECT_FALSE(full.historyList);
    fixture.writer.fail(EIO);
    const SaveOutcome broken = fixture.policy.saveKeyword("off");
    EXPECT_TRUE(broken.notices.empty());
    EXPECT_FALSE(broken.retry);
    EXPECT_EQ(fixture.policy.pending(), (std::deque<std::string>{"take", "off"}));

    fixture.writer.fail(0);
    const SaveOutcome next = fixture.policy.saveKeyword("");
    EXPECT_EQ(next.historyList, (Lines{"off", "take"}));
    EXPECT_TRUE(next.notices.empty());
    EXPECT_TRUE(fixture.policy.pending().empty());
    // Told once a run, even when it fails again later.
    fixture.writer.fail(EIO);
    EXPECT_TRUE(fixture.policy.saveKeyword("again").notices.empty());
}

TEST(SavePolicy, AWriteErrorIsToldAsSuch) {
    PolicyFixture fixture;
    fixture.writer.fail(EIO);
    EXPECT_EQ(fixture.policy.saveKeyword("take").notices,
              std::vector<Notice>{Told(SaveNotice::HistoryWriteFailed)});
}

TEST(SavePolicy, AtTheEndWhatStillCannotBeSavedIsNamed) {
    PolicyFixture fixture;
    const FolderLock other(fixture.folder.path());
    fixture.policy.saveKeyword("take");
    fixture.policy.saveKeyword("");
    fixture.policy.saveKeyword("\x97\xa3\x97\xa4");
    const SaveOutcome end = fixture.policy.saveAtExit();
    // Given up on, not tried again: the program is ending.
    EXPECT_FALSE(end.retry);
    EXPECT_EQ(end.notices, std::vector<Notice>{
                               Told(SaveNotice::KeywordsNotSaved, {"take", "\x97\xa3\x97\xa4"})});
    EXPECT_TRUE(fixture.policy.pending().empty());
    EXPECT_TRUE(fixture.policy.saveAtExit().notices.empty());
}

TEST(SavePolicy, AtTheEndWhatWaitsIsSavedOnceTheLockIsFree) {
    PolicyFixture fixture;
    {
        const FolderLock other(fixture.folder.path());
        fixture.policy.saveKeyword("take");
    }
    fixture.writer.fail(ENOSPC);
    fixture.policy.saveKeyword("off");
    fixture.writer.fail(0);
    const SaveOutcome end = fixture.policy.saveAtExit();
    EXPECT_TRUE(end.notices.empty());
    EXPECT_EQ(end.historyList, (Lines{"off", "take"}));
    EXPECT_EQ(fixture.history(), "off\r\ntake\r\n");
}

TEST(SavePolicy, SettingsALockKeepsAreWrittenAtTheEnd) {
    PolicyFixture fixture;
    const fs::path settings = fixture.folder / "pelmio.inf";
    const fs::path options = fixture.folder / "pelmio-options.txt";
    fixture.session.setRowLimitText(" 30 rows");
    fixture.session.setOptions({true, false, false});
    {
        const FolderLock other(fixture.folder.path());
        // Not a failure yet: the end of the run tries again.
        EXPECT_TRUE(fixture.policy.writeSettings().notices.empty());
    }
    EXPECT_FALSE(fs::exists(settings));
    WindowGeometry geometry;
    geometry.mainSize = {{400, 500}};
    fixture.session.setWindowGeometry(geometry);
    EXPECT_TRUE(fixture.policy.writeSettingsAtExit().notices.empty());
    EXPECT_EQ(ReadRowLimit(settings), 30);
    EXPECT_EQ(ReadLookupOptions(options), (LookupOptions{true, false, false}));
    EXPECT_EQ(ReadWindowGeometry(options), geometry);
}

TEST(SavePolicy, SettingsStillLockedAtTheEndAreToldOnce) {
    PolicyFixture fixture;
    fixture.session.setRowLimit(30);
    fixture.session.setOptions({true, false, false});
    const FolderLock other(fixture.folder.path());
    EXPECT_EQ(fixture.policy.writeSettingsAtExit().notices,
              std::vector<Notice>{Told(SaveNotice::SettingsBusy)});
}

TEST(SavePolicy, ASettingsFailureIsToldOnceApartFromTheHistorys) {
    PolicyFixture fixture;
    fixture.writer.fail(ENOSPC);
    EXPECT_EQ(fixture.policy.saveKeyword("take").notices,
              std::vector<Notice>{Told(SaveNotice::HistoryDiskFull)});
    fixture.session.setRowLimit(30);
    EXPECT_EQ(fixture.policy.writeSettings().notices,
              std::vector<Notice>{Told(SaveNotice::SettingsDiskFull)});
    fixture.session.setRowLimit(40);
    fixture.writer.fail(EIO);
    EXPECT_TRUE(fixture.policy.writeSettings().notices.empty());
    EXPECT_TRUE(fixture.policy.writeSettingsAtExit().notices.empty());
    // Still owed: written once the disk has room.
    fixture.writer.fail(0);
    EXPECT_TRUE(fixture.policy.writeSettingsAtExit().notices.empty());
    EXPECT_EQ(ReadRowLimit(fixture.folder / "pelmio.inf"), 40);
}

TEST(SavePolicy, AWriteErrorOfTheSettingsIsToldAsSuch) {
    PolicyFixture fixture;
    fixture.writer.fail(EIO);
    fixture.session.setOptions({false, true, false});
    EXPECT_EQ(fixture.policy.writeSettings().notices,
              std::vector<Notice>{Told(SaveNotice::SettingsWriteFailed)});
}

}  // namespace
}  // namespace pelmio
