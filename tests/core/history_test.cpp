#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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

TEST(HistoryList, AfterSaveIsTheListOfTheNewFile) {
    const std::vector<std::string> olds = {
        "",          "k\r\n",      "k\r\nk\r\nx\r\n",
        "\r\nk\r\n", "x\r\nk\r\n", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n",
        "k"};
    for (const std::string& old : olds) {
        for (const std::string keyword : {"k", "x", "9"}) {
            EXPECT_EQ(HistoryListAfterSave(keyword, old),
                      HistoryListFromBytes(keyword + "\r\n" + old))
                << old << " + " << keyword;
        }
    }
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
            own.save(prefix + std::to_string(i));
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
