#include <gtest/gtest.h>

#include <filesystem>

#include "settings/options_file.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(SettingsFile, RoundTripsEightLittleEndianBytes) {
    TempFolder folder;
    const fs::path file = folder / "pelmio.inf";
    for (const std::int32_t value : {0, 300, -5, 2147483647, -2147483647 - 1}) {
        ASSERT_EQ(WriteRowLimit(file, value).status, FileStatus::Ok);
        EXPECT_EQ(ReadBytes(file).size(), 8u);
        EXPECT_EQ(ReadRowLimit(file), value);
    }
    WriteRowLimit(file, 0x01020304);
    EXPECT_EQ(ReadBytes(file), std::string("\x04\x03\x02\x01\0\0\0\0", 8));
}

TEST(SettingsFile, MissingShortOrStrangeFilesMeanNoLimit) {
    TempFolder folder;
    EXPECT_EQ(ReadRowLimit(folder / "missing"), 0);
    WriteBytes(folder / "short", "\x05\x00\x00");
    EXPECT_EQ(ReadRowLimit(folder / "short"), 0);
    WriteBytes(folder / "four", std::string("\x0A\0\0\0", 4));
    EXPECT_EQ(ReadRowLimit(folder / "four"), 10);
    WriteBytes(folder / "long", std::string("\x32\0\0\0garbage after", 17));
    EXPECT_EQ(ReadRowLimit(folder / "long"), 50);
    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReadRowLimit(folder / "dir"), 0);
}

TEST(SettingsFile, OnlyTheFirstBytesOfAHugeFileAreRead) {
    TempFolder folder;
    // 40 GB, nearly all a hole: reading it whole would exhaust memory.
    testing::WriteSparseFile(folder / "pelmio.inf", std::string("\x2C\x01\0\0", 4),
                             std::uint64_t{40} << 30);
    EXPECT_EQ(ReadRowLimit(folder / "pelmio.inf"), 300);
}

TEST(SettingsFile, AFileThatWouldNotChangeIsNotRewritten) {
    TempFolder folder;
    const fs::path file = folder / "pelmio.inf";
    const fs::path options = folder / "pelmio-options.txt";
    ASSERT_EQ(WriteRowLimit(file, 300).status, FileStatus::Ok);
    ASSERT_EQ(WriteLookupOptions(options, {true, false}).status, FileStatus::Ok);
    // An old time shows whether a file was written again.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
    fs::last_write_time(file, old);
    fs::last_write_time(options, old);
    EXPECT_EQ(WriteRowLimit(file, 300).status, FileStatus::Ok);
    EXPECT_EQ(WriteLookupOptions(options, {true, false}).status, FileStatus::Ok);
    EXPECT_EQ(fs::last_write_time(file), old);
    EXPECT_EQ(fs::last_write_time(options), old);
    EXPECT_EQ(WriteRowLimit(file, 301).status, FileStatus::Ok);
    EXPECT_NE(fs::last_write_time(file), old);
}

TEST(SettingsFile, ReadOnlyFileKeepsItsValue) {
    TempFolder folder;
    const fs::path file = folder / "pelmio.inf";
    WriteRowLimit(file, 100);
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(WriteRowLimit(file, 5).status, FileStatus::ReadOnly);
    EXPECT_EQ(ReadRowLimit(file), 100);
}

TEST(SettingsFile, AFailedWriteKeepsTheOldFile) {
    TempFolder folder;
    const fs::path file = folder / "pelmio.inf";
    WriteRowLimit(file, 300);
    testing::FailingWriter broken(3);
    EXPECT_EQ(WriteRowLimit(file, 10, broken).status, FileStatus::WriteError);
    EXPECT_EQ(ReadRowLimit(file), 300);
    EXPECT_EQ(ReadBytes(file).size(), 8u);
}

TEST(ParseRowLimit, ReadsLikeAtol) {
    EXPECT_EQ(ParseRowLimit("300"), 300);
    EXPECT_EQ(ParseRowLimit("25"), 25);
    EXPECT_EQ(ParseRowLimit("  \t42abc"), 42);
    EXPECT_EQ(ParseRowLimit("-5"), -5);
    EXPECT_EQ(ParseRowLimit("+7"), 7);
    EXPECT_EQ(ParseRowLimit("abc"), 0);
    EXPECT_EQ(ParseRowLimit("無制限"), 0);
    EXPECT_EQ(ParseRowLimit(""), 0);
    EXPECT_EQ(ParseRowLimit("- 5"), 0);
    EXPECT_EQ(ParseRowLimit("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseRowLimit("-99999999999999999999"), -2147483647 - 1);
}

TEST(OptionsFile, RoundTripsAndKeepsKeysItDoesNotKnow) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    // Missing: all off, and nothing is written by reading.
    EXPECT_EQ(ReadLookupOptions(path), LookupOptions{});
    EXPECT_FALSE(std::filesystem::exists(path));
    WriteBytes(path, "colour=blue\r\nignore-case=1\n");
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{false, true}));
    ASSERT_EQ(WriteLookupOptions(path, {true, false}).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path),
              "colour=blue\r\nignore-case=0\nheadword-first=1\n"
              "skip-pronunciation=0\nclipboard-lookup=0\n");
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{true, false}));
    ASSERT_EQ(WriteLookupOptions(path, {false, false, true}).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path),
              "colour=blue\r\nignore-case=0\nheadword-first=0\n"
              "skip-pronunciation=1\nclipboard-lookup=0\n");
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{false, false, true}));
    ASSERT_EQ(WriteLookupOptions(path, {false, false, false, true}).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path),
              "colour=blue\r\nignore-case=0\nheadword-first=0\n"
              "skip-pronunciation=0\nclipboard-lookup=1\n");
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{false, false, false, true}));
    // The row limit's own file is not touched.
    EXPECT_FALSE(std::filesystem::exists(folder / "pelmio.inf"));
}

TEST(OptionsFile, EveryLineNotUnderstoodIsKeptByteForByte) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    const std::string binary("\x00\x01\xff\x81=\x00", 6);
    WriteBytes(path, "# note\nmy-key=keep me\n\nheadword-first=1\r\n=1\n" + binary +
                         "\nignore-case=0\nheadword-first=0\nno line end");
    // Notes, blank lines and bytes of no option do not hide the options.
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{false, false}));
    ASSERT_EQ(WriteLookupOptions(path, {true, true}).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path), "# note\nmy-key=keep me\n\nheadword-first=1\r\n=1\n" + binary +
                                   "\nignore-case=1\nheadword-first=1\nno line end\n"
                                   "skip-pronunciation=0\nclipboard-lookup=0\n");
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{true, true}));
    // The window geometry's writer keeps them as well.
    WindowGeometry geometry;
    geometry.detailSize = {{380, 300}};
    ASSERT_EQ(WriteWindowGeometry(path, geometry).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path),
              "# note\nmy-key=keep me\n\nheadword-first=1\r\n=1\n" + binary +
                  "\nignore-case=1\nheadword-first=1\nno line end\n"
                  "skip-pronunciation=0\nclipboard-lookup=0\ndetail-size=380x300\n");
    EXPECT_EQ(ReadWindowGeometry(path), geometry);
}

TEST(OptionsFile, AFileOverTheBoundIsNeitherReadNorRewritten) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    const std::string large =
        "headword-first=1\n# " + std::string(kMaxOptionsFileBytes, 'x') + "\nmy-key=keep me\n";
    WriteBytes(path, large);
    EXPECT_EQ(ReadLookupOptions(path), LookupOptions{});
    EXPECT_NE(WriteLookupOptions(path, {false, true}).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path), large);
    // Nor by the window geometry's writer, and none of it is read.
    WindowGeometry geometry;
    geometry.mainSize = {{400, 520}};
    EXPECT_NE(WriteWindowGeometry(path, geometry).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path), large);
    // Up to the bound, every line is kept.
    const std::string fits = "# " + std::string(kMaxOptionsFileBytes - 80, 'x') + "\n";
    WriteBytes(path, fits);
    ASSERT_EQ(WriteLookupOptions(path, {false, true}).status, FileStatus::Ok);
    const std::string options =
        "headword-first=0\nignore-case=1\nskip-pronunciation=0\nclipboard-lookup=0\n";
    EXPECT_EQ(ReadBytes(path), fits + options);
    ASSERT_EQ(WriteWindowGeometry(path, geometry).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path), fits + options + "main-size=400x520\n");
}

TEST(OptionsFile, AFailedWriteLeavesTheOldFileWhole) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    WriteBytes(path, "headword-first=1\n");
    testing::FailingWriter full(3);
    EXPECT_NE(WriteLookupOptions(path, {false, true}, full).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path), "headword-first=1\n");
}

TEST(OptionsFile, KeepsTheWindowGeometryBesideTheOptions) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    EXPECT_EQ(ReadWindowGeometry(path), WindowGeometry{});
    WriteBytes(path, "colour=blue\nignore-case=1\n");
    WindowGeometry geometry;
    geometry.mainSize = {{400, 520}};
    geometry.detailSize = {{380, 300}};
    geometry.detailPosition = {{-1200, 40}};  // on a screen left of the first
    ASSERT_EQ(WriteWindowGeometry(path, geometry).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(path),
              "colour=blue\nignore-case=1\nmain-size=400x520\ndetail-size=380x300\n"
              "detail-position=-1200,40\n");
    EXPECT_EQ(ReadWindowGeometry(path), geometry);
    // Each file's writer keeps what the other wrote.
    ASSERT_EQ(WriteLookupOptions(path, {true, false}).status, FileStatus::Ok);
    EXPECT_EQ(ReadWindowGeometry(path), geometry);
    EXPECT_EQ(ReadLookupOptions(path), (LookupOptions{true, false}));
    geometry.detailPosition.reset();
    ASSERT_EQ(WriteWindowGeometry(path, geometry).status, FileStatus::Ok);
    // Each line stays in its place; a value no longer there loses its line.
    EXPECT_EQ(ReadBytes(path),
              "colour=blue\nignore-case=0\nmain-size=400x520\ndetail-size=380x300\n"
              "headword-first=1\nskip-pronunciation=0\nclipboard-lookup=0\n");
}

TEST(OptionsFile, AWindowValueNotWellFormedIsLeftOut) {
    TempFolder folder;
    const auto path = folder / "pelmio-options.txt";
    for (const char* bytes :
         {"main-size=400\n", "main-size=0x300\n", "main-size=-400x300\n", "main-size=400x300x2\n",
          "main-size=400 x300\n", "main-size=99999999999x300\n", "main-size=x\n",
          "detail-position=12\n", "detail-position=1,2,3\n", "detail-size=400,300\n"}) {
        WriteBytes(path, std::string(bytes) + "detail-size=380x300\n");
        const WindowGeometry geometry = ReadWindowGeometry(path);
        EXPECT_FALSE(geometry.mainSize) << bytes;
        EXPECT_FALSE(geometry.detailPosition) << bytes;
        EXPECT_EQ(geometry.detailSize, (WindowGeometry::Size{380, 300})) << bytes;
    }
}

}  // namespace
}  // namespace pelmio
