#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <string>
#include <vector>

#include "dict/dictionary_loader.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::string> Lines(const EntryTable& table) {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < table.count(); ++i) {
        lines.emplace_back(table.line(static_cast<std::size_t>(i)));
    }
    return lines;
}

std::vector<std::string> LoadBytes(std::string_view bytes) {
    TempFolder folder;
    WriteBytes(folder / "dict.txt", bytes);
    EntryTable table;
    EXPECT_EQ(LoadDictionaryFile(table, folder / "dict.txt").status, LoadStatus::Ok);
    return Lines(table);
}

using Strings = std::vector<std::string>;

TEST(Loader, EveryLineOfEveryFileCountsInLoadOrder) {
    TempFolder folder;
    WriteBytes(folder / "a.txt", "one\r\ntwo\r\nthree\r\n");
    WriteBytes(folder / "b.txt", "four\r\nfive\r\n");
    EntryTable table;
    ASSERT_EQ(LoadDictionaryFile(table, folder / "a.txt").status, LoadStatus::Ok);
    EXPECT_EQ(Lines(table), (Strings{"one", "two", "three"}));
    ASSERT_EQ(LoadDictionaryFile(table, folder / "b.txt").status, LoadStatus::Ok);
    EXPECT_EQ(Lines(table), (Strings{"one", "two", "three", "four", "five"}));
    EXPECT_STREQ(table.line(4), "five");
}

TEST(Loader, EachKindOfLineEndEndsALine) {
    EXPECT_EQ(LoadBytes("a\r\nb\nc\rd"), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(LoadBytes("lf\nonly\n"), (Strings{"lf", "only"}));
    // A lone CR does not swallow the byte after it.
    EXPECT_EQ(LoadBytes("x\ry\r\n"), (Strings{"x", "y"}));
    // LF CR is two line ends, the second ending an empty line.
    EXPECT_EQ(LoadBytes("p\n\rq"), (Strings{"p", "", "q"}));
}

TEST(Loader, EmptyLinesCountAndNothingIsTrimmed) {
    EXPECT_EQ(LoadBytes("a\r\n\r\n b ,\r\n"), (Strings{"a", "", " b ,"}));
    EXPECT_EQ(LoadBytes("\r\n"), (Strings{""}));
    EXPECT_EQ(LoadBytes(""), (Strings{}));
}

TEST(Loader, NulBytesAreDroppedAndLoadingGoesOn) {
    EXPECT_EQ(LoadBytes(std::string("ab\0c\r\n\0\r\nlast", 14)), (Strings{"abc", "", "last"}));
}

TEST(Loader, ShiftJisBytesAreKeptAsTheyAre) {
    const std::string line = testing::Sjis("take off,離陸する,,tEik o0f");
    EXPECT_EQ(LoadBytes(line + "\r\n"), (Strings{line}));
    // Bytes 0x0D and 0x0A never occur inside a double-byte character, so a
    // lead byte at the end of a line stays with its line.
    EXPECT_EQ(LoadBytes("\x83\r\n\x82"), (Strings{"\x83", "\x82"}));
}

TEST(Loader, MissingFileOrNotARegularFileLeavesTableUnchanged) {
    TempFolder folder;
    WriteBytes(folder / "a.txt", "kept\r\n");
    std::filesystem::create_directory(folder / "folder.txt");
    EntryTable table;
    ASSERT_EQ(LoadDictionaryFile(table, folder / "a.txt").status, LoadStatus::Ok);
    EXPECT_EQ(LoadDictionaryFile(table, folder / "missing.txt").status, LoadStatus::CannotOpen);
    EXPECT_EQ(LoadDictionaryFile(table, folder / "folder.txt").status, LoadStatus::CannotOpen);
    EXPECT_EQ(Lines(table), (Strings{"kept"}));
}

TEST(Loader, StopsAtCapacityAndSaysSo) {
    TempFolder folder;
    std::string many;
    for (int i = 0; i < 150'000; ++i) {
        many += std::to_string(i) + "\r\n";
    }
    WriteBytes(folder / "many.txt", many);
    WriteBytes(folder / "more.txt", "more\r\n");
    EntryTable table;
    EXPECT_EQ(LoadDictionaryFile(table, folder / "many.txt").status, LoadStatus::Truncated);
    EXPECT_EQ(table.count(), 100'000);
    EXPECT_STREQ(table.line(99'999), "99999");
    EXPECT_EQ(LoadDictionaryFile(table, folder / "more.txt").status, LoadStatus::Truncated);
    EXPECT_EQ(table.count(), 100'000);
    // A full table with an empty file to add has lost nothing.
    WriteBytes(folder / "empty.txt", "");
    EXPECT_EQ(LoadDictionaryFile(table, folder / "empty.txt").status, LoadStatus::Ok);
}

TEST(Loader, ExactlyFullIsNotTruncated) {
    TempFolder folder;
    std::string lines;
    for (int i = 0; i < 100'000; ++i) {
        lines += "x\n";
    }
    WriteBytes(folder / "full.txt", lines);
    EntryTable table;
    EXPECT_EQ(LoadDictionaryFile(table, folder / "full.txt").status, LoadStatus::Ok);
    EXPECT_EQ(table.count(), 100'000);
}

TEST(Loader, HostileFilesGiveAWellFormedTable) {
    TempFolder folder;
    // One line of 50 MB.
    WriteBytes(folder / "long.txt", std::string(50u << 20, 'a'));
    EntryTable table;
    ASSERT_EQ(LoadDictionaryFile(table, folder / "long.txt").status, LoadStatus::Ok);
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.lineView(0).size(), 50u << 20);

    // Random bytes: every line is NUL-terminated and holds no CR, LF or NUL.
    std::string noise(1 << 20, '\0');
    unsigned state = 12345;
    for (char& byte : noise) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
    }
    WriteBytes(folder / "noise.bin", noise);
    EntryTable noisy;
    ASSERT_EQ(LoadDictionaryFile(noisy, folder / "noise.bin").status, LoadStatus::Ok);
    ASSERT_GT(noisy.count(), 0);
    for (std::int32_t i = 0; i < noisy.count(); ++i) {
        const std::string_view line = noisy.lineView(static_cast<std::size_t>(i));
        EXPECT_EQ(line.find_first_of(std::string_view("\r\n\0", 3)), std::string_view::npos);
        EXPECT_EQ(noisy.line(static_cast<std::size_t>(i))[line.size()], '\0');
    }
}

TEST(EntryTable, LineAtFindsTheLineOfEveryByte) {
    EntryTable table;
    table.appendFileContents("ab\r\n\r\ncde");
    const std::string_view text = table.text();
    ASSERT_EQ(text, std::string_view("ab\0\0cde\0", 8));
    const std::size_t expected[] = {0, 0, 0, 1, 2, 2, 2, 2};
    for (std::size_t offset = 0; offset < text.size(); ++offset) {
        EXPECT_EQ(testing::LineAt(table, offset), expected[offset]) << offset;
    }
    EXPECT_EQ(table.lineEnd(0), 2u);
    EXPECT_EQ(table.lineEnd(1), 3u);
}

TEST(Loader, AFileLargerThanADictionaryCanBeIsRefusedUnread) {
    TempFolder folder;
    // A hole: no disk space, and reading it would take seconds.
    testing::WriteSparseFile(folder / "huge.txt", "first,line\r\n", kMaxDictionaryFileBytes + 1);
    EntryTable table;
    EXPECT_EQ(LoadDictionaryFile(table, folder / "huge.txt").status, LoadStatus::CannotOpen);
    EXPECT_EQ(table.count(), 0);
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// Loads with little memory allowed; exits 0 when the table holds the first
// 100,000 lines and the load says the rest were left out.
[[noreturn]] void LoadWithLittleMemory(const std::filesystem::path& path) {
    rlimit memory{};
    memory.rlim_cur = memory.rlim_max = 160u << 20;
    ::setrlimit(RLIMIT_AS, &memory);
    EntryTable table;
    const LoadResult result = LoadDictionaryFile(table, path);
    const bool full = result.status == LoadStatus::Truncated && table.count() == 100'000 &&
                      std::string_view(table.line(99'999)) == "w99999";
    std::exit(full ? 0 : 1);
}

TEST(Loader, StopsReadingWhenTheTableIsFull) {
    TempFolder folder;
    std::string lines;
    for (int i = 0; i <= 100'000; ++i) {
        lines += "w" + std::to_string(i) + "\r\n";
    }
    // Under the size limit, and more than the memory the load may use.
    testing::WriteSparseFile(folder / "dict.txt", lines, kMaxDictionaryFileBytes - 1);
    EXPECT_EXIT(LoadWithLittleMemory(folder / "dict.txt"), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace pelmio
