#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <string>
#include <thread>
#include <vector>

#include "base/folder_lock.h"
#include "history/keyword_history.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using List = std::vector<std::string>;

TEST(HistoryList, NewestFirstAdjacentRepeatsOnceUpToEight) {
    EXPECT_EQ(HistoryListFromBytes("take\r\noff\r\ntake\r\n"), (List{"take", "off", "take"}));
    EXPECT_EQ(HistoryListFromBytes("a\r\na\r\na\r\nb\r\na\r\n"), (List{"a", "b", "a"}));
    EXPECT_EQ(HistoryListFromBytes("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n"),
              (List{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(HistoryListFromBytes("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n"),
              (List{"1", "2", "3", "4", "5", "6", "7", "8"}));
    // Repeats do not use up places.
    EXPECT_EQ(HistoryListFromBytes("1\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n").size(), 8u);
}

TEST(HistoryList, EmptyLineEndsItAndAnUnfinishedLastLineIsNotListed) {
    EXPECT_EQ(HistoryListFromBytes("a\r\n\r\nb\r\n"), (List{"a"}));
    EXPECT_EQ(HistoryListFromBytes("a\r\nb"), (List{"a"}));
    EXPECT_EQ(HistoryListFromBytes(""), (List{}));
    EXPECT_EQ(HistoryListFromBytes("\r\na\r\n"), (List{}));
    // A lone LF or CR is part of its line; only CR LF ends one.
    EXPECT_EQ(HistoryListFromBytes("a\nb\r\nc\rd\r\n"), (List{"a\nb", "c\rd"}));
    // Spaces are kept as typed.
    EXPECT_EQ(HistoryListFromBytes(" take  off \r\n"), (List{" take  off "}));
}

TEST(HistoryFile, SavePutsTheKeywordInFrontAndKeepsEverything) {
    TempFolder folder;
    const HistoryFile history(folder / "strlist.txt");
    EXPECT_EQ(history.load().list, List{});
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "");  // created empty
    EXPECT_EQ(history.save("take").list, List{"take"});
    EXPECT_EQ(history.save("take").list, List{"take"});
    const HistoryResult third = history.save("off");
    EXPECT_EQ(third.list, (List{"off", "take"}));
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "off\r\ntake\r\ntake\r\n");
    // An empty keyword leaves the file as it is.
    EXPECT_EQ(history.save("").list, (List{"off", "take"}));
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "off\r\ntake\r\ntake\r\n");
}

TEST(HistoryFile, SavingAnEmptyKeywordCreatesAMissingFile) {
    TempFolder folder;
    const HistoryFile history(folder / "strlist.txt");
    EXPECT_EQ(history.save("").status, HistoryStatus::Ok);
    EXPECT_TRUE(fs::exists(folder / "strlist.txt"));
}

TEST(HistoryFile, ALinkToAMissingFileIsFollowed) {
    TempFolder folder;
    fs::create_directory(folder / "synced");
    fs::create_symlink("synced/strlist.txt", folder / "strlist.txt");
    const HistoryFile history(folder / "strlist.txt");
    EXPECT_EQ(history.load().status, HistoryStatus::Ok);
    EXPECT_EQ(history.save("take").list, List{"take"});
    EXPECT_TRUE(fs::is_symlink(folder / "strlist.txt"));
    EXPECT_EQ(ReadBytes(folder / "synced" / "strlist.txt"), "take\r\n");
}

TEST(HistoryFile, KeywordsAreCutAt999BytesOnACharacterBoundary) {
    TempFolder folder;
    const HistoryFile history(folder / "strlist.txt");
    history.save(std::string(1500, 'k'));
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), std::string(999, 'k') + "\r\n");
    const std::string japanese = std::string(998, 'a') + "\x83\x41";  // ア straddles byte 999
    history.save(japanese);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt").substr(0, 1000), std::string(998, 'a') + "\r\n");
    // A line holds one keyword: a line end in it would start another.
    EXPECT_EQ(StoredKeyword("take\r\noff"), "take");
    EXPECT_EQ(StoredKeyword(std::string("a\0b", 3)), "a");
}

TEST(HistoryFile, ReadOnlyFileOrFolderIsLeftAloneAndNothingIsListed) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "old\r\n");
    fs::permissions(folder / "strlist.txt", fs::perms::owner_read);
    const HistoryFile history(folder / "strlist.txt");
    EXPECT_EQ(history.save("new").status, HistoryStatus::CannotOpen);
    EXPECT_EQ(history.load().status, HistoryStatus::CannotOpen);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "old\r\n");

    fs::create_directory(folder / "dir.txt");
    const HistoryFile folderInPlace(folder / "dir.txt");
    EXPECT_EQ(folderInPlace.save("new").status, HistoryStatus::CannotOpen);
    EXPECT_EQ(folderInPlace.load().status, HistoryStatus::CannotOpen);
    EXPECT_TRUE(fs::is_directory(folder / "dir.txt"));
}

TEST(HistoryFile, AnInterruptedSaveKeepsTheOldFileWhole) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "one\r\ntwo\r\n");
    testing::FailingWriter writer(3);
    const HistoryFile history(folder / "strlist.txt", writer);
    EXPECT_EQ(history.save("three").status, HistoryStatus::WriteError);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(HistoryFile(folder / "strlist.txt").load().list, (List{"one", "two"}));
}

TEST(HistoryFile, TwoWritersInOneFolderLoseNothing) {
    TempFolder folder;
    const HistoryFile history(folder / "strlist.txt");
    constexpr int kSaves = 200;
    const auto saveMany = [&](const char* prefix) {
        const HistoryFile own(folder / "strlist.txt");
        for (int i = 0; i < kSaves; ++i) {
            EXPECT_EQ(own.save(prefix + std::to_string(i), std::chrono::seconds(30)).status,
                      HistoryStatus::Ok);
        }
    };
    std::thread first(saveMany, "a");
    std::thread second(saveMany, "b");
    first.join();
    second.join();
    const std::string bytes = ReadBytes(folder / "strlist.txt");
    std::size_t lines = 0;
    for (std::size_t pos = bytes.find("\r\n"); pos != std::string::npos;
         pos = bytes.find("\r\n", pos + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 2u * kSaves);
    // Each writer's keywords stand newest first.
    EXPECT_LT(bytes.find("a199\r\n"), bytes.find("a0\r\n"));
    EXPECT_LT(bytes.find("b199\r\n"), bytes.find("b0\r\n"));
}

}  // namespace
}  // namespace pelmio

namespace pelmio {
namespace {

TEST(HistoryFile, ASaveNeverWritesWithoutTheFoldersLock) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "old\r\n");
    const HistoryFile history(folder / "strlist.txt");
    {
        const FolderLock other(folder.path());
        ASSERT_EQ(other.state(), LockState::Locked);
        EXPECT_EQ(history.save("new").status, HistoryStatus::Busy);
        EXPECT_EQ(history.save("new", std::chrono::milliseconds(30)).status, HistoryStatus::Busy);
        EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "old\r\n");
        // Reading the list needs no lock.
        EXPECT_EQ(history.load().list, List{"old"});
    }
    EXPECT_EQ(history.save("new").list, (List{"new", "old"}));
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "new\r\nold\r\n");
}

// Everyone may write and enter the folder, nobody but root may list it.
void MakeUnlistable(const fs::path& folder) {
    using fs::perms;
    fs::permissions(folder, perms::owner_write | perms::owner_exec | perms::group_write |
                                perms::group_exec | perms::others_write | perms::others_exec);
}

TEST(FolderLock, AFolderThatCannotBeListedIsLockedThroughAFileInIt) {
    if (!testing::RunningAsRoot()) {
        GTEST_SKIP() << "needs root, to be a user who may not list the folder";
    }
    TempFolder folder;
    const fs::path path = folder.path();
    MakeUnlistable(path);
    EXPECT_TRUE(testing::AsNobody([&path] {
        const FolderLock first(path);
        const FolderLock second(path);
        const HistoryFile history(path / "strlist.txt");
        return first.state() == LockState::Locked && second.state() == LockState::Busy &&
               history.save("k").status == HistoryStatus::Busy;
    }));
    {
        // Root can open the folder, and takes the lock file as well.
        const FolderLock held(path);
        ASSERT_EQ(held.state(), LockState::Locked);
        EXPECT_TRUE(
            testing::AsNobody([&path] { return FolderLock(path).state() == LockState::Busy; }));
    }
    EXPECT_TRUE(testing::AsNobody([&path] {
        const HistoryResult saved = HistoryFile(path / "strlist.txt").save("k");
        return saved.status == HistoryStatus::Ok && !saved.withoutLock;
    }));
}

TEST(FolderLock, WritersInAFolderThatCannotBeListedLoseNoKeyword) {
    if (!testing::RunningAsRoot()) {
        GTEST_SKIP() << "needs root, to be a user who may not list the folder";
    }
    TempFolder folder;
    const fs::path path = folder.path();
    MakeUnlistable(path);
    constexpr int kWriters = 4;
    constexpr int kSaves = 50;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        if (child == 0) {
            const bool all = testing::AsNobody([&path, writer] {
                const HistoryFile history(path / "strlist.txt");
                for (int save = 0; save < kSaves; ++save) {
                    const std::string keyword =
                        "w" + std::to_string(writer) + "-" + std::to_string(save);
                    HistoryStatus status = HistoryStatus::Busy;
                    while (status == HistoryStatus::Busy) {
                        status = history.save(keyword, std::chrono::milliseconds(1000)).status;
                    }
                    if (status != HistoryStatus::Ok) {
                        return false;
                    }
                }
                return true;
            });
            ::_exit(all ? 0 : 1);
        }
        writers.push_back(child);
    }
    for (const pid_t child : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string bytes = ReadBytes(path / "strlist.txt");
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int save = 0; save < kSaves; ++save) {
            const std::string line = "w" + std::to_string(writer) + "-" + std::to_string(save);
            EXPECT_NE(bytes.find(line + "\r\n"), std::string::npos) << line;
        }
    }
}

TEST(FolderLock, ASaveWhereNoLockCanBeHadSaysSo) {
    if (!testing::RunningAsRoot()) {
        GTEST_SKIP() << "needs root, to be a user who may neither list nor write the folder";
    }
    TempFolder folder;
    const fs::path path = folder.path();
    WriteBytes(path / "strlist.txt", "old\r\n");
    fs::permissions(path / "strlist.txt", fs::perms::all);
    TempFolder state;
    fs::permissions(state.path(), fs::perms::all);
    // A file one may write, in a folder one may only enter: no lock of
    // any kind, and the file is written in place, its journal kept in the
    // user's state folder.
    fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    EXPECT_TRUE(testing::AsNobody([&path, &state] {
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        const HistoryResult saved = HistoryFile(path / "strlist.txt").save("new");
        return saved.status == HistoryStatus::Ok && saved.withoutLock &&
               fs::is_directory(state / "pelmio") && fs::is_empty(state / "pelmio");
    }));
    EXPECT_EQ(ReadBytes(path / "strlist.txt"), "new\r\nold\r\n");
}

TEST(HistoryFile, AMissingFileIsMadeOnlyUnderTheLock) {
    TempFolder folder;
    const HistoryFile history(folder / "strlist.txt");
    {
        const FolderLock other(folder.path());
        EXPECT_EQ(history.load().list, List{});
        EXPECT_FALSE(fs::exists(folder / "strlist.txt"));
    }
    EXPECT_EQ(history.load().status, HistoryStatus::Ok);
    EXPECT_TRUE(fs::exists(folder / "strlist.txt"));
}

TEST(HistoryFile, ASaveKeepsTheNewestLinesThatFitTheCap) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "aaaa\r\nbbbb\r\ncccc\r\n");
    // 20 bytes: the new line (5) and the two newest old lines (12) fit.
    const HistoryFile history(folder / "strlist.txt", DefaultFileWriter(), 20);
    EXPECT_EQ(history.save("new").list, (List{"new", "aaaa", "bbbb"}));
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "new\r\naaaa\r\nbbbb\r\n");
    // Under the cap nothing is cut, not even text after the last line end.
    WriteBytes(folder / "strlist.txt", "a\r\nrest");
    EXPECT_EQ(history.save("b").status, HistoryStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "b\r\na\r\nrest");
}

TEST(HistoryFile, AHugeFileIsReadAndCopiedOnlyAsFarAsNeeded) {
    TempFolder folder;
    // 40 GB, nearly all a hole of NUL bytes with no line end in it.
    testing::WriteSparseFile(folder / "strlist.txt", "one\r\ntwo\r\n", std::uint64_t{40} << 30);
    const HistoryFile history(folder / "strlist.txt");
    EXPECT_EQ(history.load().list, (List{"one", "two"}));
    const HistoryResult saved = history.save("take");
    ASSERT_EQ(saved.status, HistoryStatus::Ok);
    EXPECT_EQ(saved.list, (List{"take", "one", "two"}));
    // The newest 16 MB are kept, cut after the last whole line in them.
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "take\r\none\r\ntwo\r\n");
}

TEST(HistoryFile, LongLinesAreListedCutAt999Bytes) {
    TempFolder folder;
    const std::string japanese = std::string(998, 'j') + "\x83\x41" + "tail";  // ア at byte 999
    WriteBytes(folder / "strlist.txt", std::string(5000, 'a') + "\r\n" + japanese + "\r\n" +
                                           std::string(1000, 'c') + "\r" + "\r\n" +
                                           std::string(999, 'd') + "\r\n");
    const List expected = {std::string(999, 'a'), std::string(998, 'j'), std::string(999, 'c'),
                           std::string(999, 'd')};
    EXPECT_EQ(HistoryFile(folder / "strlist.txt").load().list, expected);
    // Fed a byte at a time, the list is the same.
    HistoryListReader reader;
    for (const char byte : ReadBytes(folder / "strlist.txt")) {
        reader.feed(std::string_view(&byte, 1));
    }
    EXPECT_EQ(reader.list(), expected);
}

TEST(HistoryFile, AFullDiskKeepsTheOldFileAndSaysSo) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "old\r\n");
    testing::FullDiskWriter full(4);
    const HistoryFile history(folder / "strlist.txt", full);
    EXPECT_EQ(history.save("new").status, HistoryStatus::DiskFull);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "old\r\n");
    testing::FailingRenameWriter rename;
    EXPECT_EQ(HistoryFile(folder / "strlist.txt", rename).save("new").status,
              HistoryStatus::WriteError);
    EXPECT_EQ(ReadBytes(folder / "strlist.txt"), "old\r\n");
}

#ifndef _WIN32
TEST(HistoryFile, AnotherUsersFileStaysTheirs) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the administrator may give a file to another user";
    }
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "theirs\r\n");
    ASSERT_EQ(::chown((folder / "strlist.txt").c_str(), 4321, 4321), 0);
    ASSERT_EQ(::chmod((folder / "strlist.txt").c_str(), 0600), 0);
    EXPECT_EQ(HistoryFile(folder / "strlist.txt").save("mine").status, HistoryStatus::Ok);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "strlist.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4321u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}
#endif

TEST(HistoryFile, AHardLinkedHistoryKeepsItsLink) {
    TempFolder folder;
    WriteBytes(folder / "strlist.txt", "old\r\n");
    fs::create_hard_link(folder / "strlist.txt", folder / "backup.txt");
    EXPECT_EQ(HistoryFile(folder / "strlist.txt").save("new").status, HistoryStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "backup.txt"), "new\r\nold\r\n");
    EXPECT_EQ(fs::hard_link_count(folder / "strlist.txt"), 2u);
}

}  // namespace
}  // namespace pelmio
