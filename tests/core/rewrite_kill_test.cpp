// Saves of the history killed part way, on each way a file is replaced:
// afterwards, and after the clean-up a start does, every line of the file
// must be a keyword that was saved.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/folder_lock.h"
#include "base/rewrite_journal.h"
#include "history/keyword_history.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::size_t kPage = 4096;

// Kills its own process at a chosen step of a save: a write (after a
// random number of its whole pages reached the file, as a killed write()
// leaves them), a flush or a folder sync.
class KillingWriter : public FileWriter {
public:
    KillingWriter(int killAt, unsigned seed, bool noNewFiles)
        : m_killAt(killAt), m_random(seed), m_noNewFiles(noNewFiles) {}

    bool Write(std::FILE* file, std::string_view bytes) override {
        if (step()) {
            const std::size_t pages = bytes.size() / kPage;
            const std::size_t kept = std::uniform_int_distribution<std::size_t>(0, pages)(m_random);
            FileWriter::Write(file, bytes.substr(0, kept * kPage));
            std::fflush(file);
            ::raise(SIGKILL);
        }
        return FileWriter::Write(file, bytes);
    }
    // No power is lost here: flushing is enough, and much faster.
    bool Sync(std::FILE* file) override {
        if (step()) {
            ::raise(SIGKILL);
        }
        return std::fflush(file) == 0;
    }
    bool SyncFolder(const fs::path&) override {
        if (step()) {
            ::raise(SIGKILL);
        }
        return true;
    }
    // As in a folder the process may not write to.
    std::FILE* CreateNew(const fs::path& path) override {
        if (m_noNewFiles) {
            errno = EACCES;
            return nullptr;
        }
        return FileWriter::CreateNew(path);
    }

private:
    bool step() { return m_steps++ == m_killAt; }

    int m_killAt;
    int m_steps = 0;
    std::mt19937 m_random;
    bool m_noNewFiles;
};

enum class Way { Rename, HardLink, NoNewFiles };

struct Figures {
    int kills = 0;
    int torn = 0;
    int rolledForward = 0;  // killed, yet the keyword was saved
};

int Rounds() {
    // Fewer where a shared machine runs every test at once.
    return std::getenv("CI") != nullptr ? 40 : 200;
}

Figures KillSaves(Way way) {
    TempFolder folder;
    const fs::path file = folder / "strlist.txt";
    // Old lines across many pages, so a rewrite takes many writes.
    std::string old;
    for (int line = 0; line < 12000; ++line) {
        old += "old" + std::to_string(100000 + line) + "\r\n";
    }
    WriteBytes(file, old);
    if (way == Way::HardLink) {
        fs::create_hard_link(file, folder / "other name");
    }
    std::set<std::string> saved;
    for (int line = 0; line < 12000; ++line) {
        saved.insert("old" + std::to_string(100000 + line));
    }
    std::mt19937 random(static_cast<unsigned>(way) * 7919 + 1);
    Figures figures;
    for (int round = 0; round < Rounds(); ++round) {
        const std::string keyword = "k" + std::to_string(round);
        const std::string before = ReadBytes(file);
        // About as many steps as a save of each way takes.
        const int killAt =
            std::uniform_int_distribution<int>(0, way == Way::Rename ? 8 : 30)(random);
        const unsigned seed = random();
        const pid_t child = ::fork();
        if (child == 0) {
            KillingWriter writer(killAt, seed, way == Way::NoNewFiles);
            const HistoryResult result = HistoryFile(file, writer).save(keyword);
            ::_exit(result.status == HistoryStatus::Ok ? 0 : 1);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        const bool killed = WIFSIGNALED(status);
        figures.kills += killed ? 1 : 0;
        saved.insert(keyword);
        {
            // What the next start does.
            const FolderLock lock(folder.path());
            RecoverInterruptedRewrite(file);
            RemoveStaleTemporaryFiles(file);
        }
        const std::string after = ReadBytes(file);
        bool whole = after == before || after == keyword + "\r\n" + before;
        std::size_t start = 0;
        while (whole && start < after.size()) {
            const std::size_t end = after.find("\r\n", start);
            whole = end != std::string::npos && saved.count(after.substr(start, end - start)) == 1;
            start = end + 2;
        }
        figures.torn += whole ? 0 : 1;
        figures.rolledForward += killed && after != before ? 1 : 0;
        if (!whole) {
            ADD_FAILURE() << "torn after round " << round << ", kill at step " << killAt;
            WriteBytes(file, before);  // go on from a sound file
        }
    }
    // Nothing left behind: no temporary file, no journal.
    std::size_t names = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) {
        ++names;
    }
    EXPECT_EQ(names, way == Way::HardLink ? 2u : 1u);
    return figures;
}

TEST(KilledSaves, LeaveNoTornFileOnAnyPath) {
    for (const Way way : {Way::Rename, Way::HardLink, Way::NoNewFiles}) {
        const Figures figures = KillSaves(way);
        const char* name = way == Way::Rename     ? "rename"
                           : way == Way::HardLink ? "hard link, in place"
                                                  : "no new files, in place";
        std::printf("%s: %d rounds, %d killed, %d rolled forward, %d torn\n", name, Rounds(),
                    figures.kills, figures.rolledForward, figures.torn);
        EXPECT_EQ(figures.torn, 0) << name;
        // The kills must land inside saves, or the test proves nothing.
        EXPECT_GT(figures.kills, Rounds() / 2) << name;
    }
}

// A save of a hard-linked history that fails part way through its rewrite
// in place, as a full disk or a kill would leave it: the journal is
// written, the file half old, half new.
struct InterruptedRewrite {
    TempFolder folder;
    fs::path file = folder / "strlist.txt";
    std::string old;
    fs::path journal;

    InterruptedRewrite() {
        for (int line = 0; line < 4000; ++line) {
            old += "old" + std::to_string(100000 + line) + "\r\n";
        }
        WriteBytes(file, old);
        fs::create_hard_link(file, folder / "other name");
        struct stat info {};
        ::stat(file.c_str(), &info);
        journal = JournalPathBeside(file, info.st_dev, info.st_ino);
        // Past the staged copy of the new content, the journal (the pages'
        // checksums, then the new content) and two pages into the file.
        const std::size_t size = old.size() + 9;
        const std::size_t pages = (size + kPage - 1) / kPage;
        testing::FailingWriter failing(size + 48 + pages * 8 + size + 8 + 2 * kPage);
        EXPECT_NE(HistoryFile(file, failing).save("keyword").status, HistoryStatus::Ok);
    }
};

TEST(RewriteJournal, FinishesARewriteInPlaceThatWasCutShort) {
    InterruptedRewrite cut;
    ASSERT_TRUE(fs::exists(cut.journal));
    const std::string torn = ReadBytes(cut.file);
    ASSERT_NE(torn, cut.old);
    ASSERT_NE(torn, "keyword\r\n" + cut.old);
    EXPECT_EQ(RecoverInterruptedRewrite(cut.file), Recovery::Finished);
    EXPECT_EQ(ReadBytes(cut.file), "keyword\r\n" + cut.old);
    EXPECT_EQ(ReadBytes(cut.folder / "other name"), "keyword\r\n" + cut.old);
    EXPECT_FALSE(fs::exists(cut.journal));
    EXPECT_EQ(RecoverInterruptedRewrite(cut.file), Recovery::None);
}

TEST(RewriteJournal, TheNextSaveFinishesItFirst) {
    InterruptedRewrite cut;
    ASSERT_EQ(HistoryFile(cut.file).save("next").status, HistoryStatus::Ok);
    EXPECT_EQ(ReadBytes(cut.file), "next\r\nkeyword\r\n" + cut.old);
    EXPECT_FALSE(fs::exists(cut.journal));
}

TEST(RewriteJournal, IsNeverAppliedToAFileChangedSinceOrWhenCutOff) {
    {
        InterruptedRewrite cut;
        // Edited by hand in the meantime (the same file, written over).
        WriteBytes(cut.file, "edited\r\n");
        EXPECT_EQ(RecoverInterruptedRewrite(cut.file), Recovery::Discarded);
        EXPECT_EQ(ReadBytes(cut.file), "edited\r\n");
        EXPECT_FALSE(fs::exists(cut.journal));
    }
    InterruptedRewrite cut;
    const std::string torn = ReadBytes(cut.file);
    fs::resize_file(cut.journal, fs::file_size(cut.journal) - 1);
    EXPECT_EQ(RecoverInterruptedRewrite(cut.file), Recovery::Discarded);
    EXPECT_EQ(ReadBytes(cut.file), torn);
    EXPECT_FALSE(fs::exists(cut.journal));
}

}  // namespace
}  // namespace pelmio
