#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "base/file_access.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::FailingWriter;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class FailingSync : public FileWriter {
public:
    bool Sync(std::FILE*) override { return false; }
};

TEST(ReadWholeFile, ReadsRegularFilesOnly) {
    TempFolder folder;
    WriteBytes(folder / "a.txt", std::string("x\0y", 3));
    const ReadResult file = ReadWholeFile(folder / "a.txt");
    EXPECT_EQ(file.status, FileStatus::Ok);
    EXPECT_EQ(file.bytes, std::string("x\0y", 3));
    EXPECT_EQ(ReadWholeFile(folder / "missing").status, FileStatus::CannotOpen);
    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReadWholeFile(folder / "dir").status, FileStatus::CannotOpen);
    WriteBytes(folder / "empty", "");
    EXPECT_EQ(ReadWholeFile(folder / "empty").status, FileStatus::Ok);
}

#ifndef _WIN32
TEST(ReadWholeFile, NeverBlocksOnAFifoOrReadsADevice) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(folder / "fifo").status, FileStatus::CannotOpen);
    fs::create_symlink("/dev/zero", folder / "zero");
    EXPECT_EQ(ReadWholeFile(folder / "zero").status, FileStatus::CannotOpen);
    WriteBytes(folder / "real", "r");
    fs::create_symlink(folder / "real", folder / "link");
    EXPECT_EQ(ReadWholeFile(folder / "link").bytes, "r");
}
#endif

TEST(ReplaceFileAtomically, WritesNewAndReplacesOldFiles) {
    TempFolder folder;
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new").status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "new");
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "").status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "");
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(ReplaceFileAtomically, FailedWriteKeepsTheOldFileWhole) {
    TempFolder folder;
    WriteBytes(folder / "f", "old content");
    for (std::size_t cut : {0u, 1u, 5u}) {
        FailingWriter writer(cut);
        EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new content", writer).status,
                  FileStatus::WriteError);
        EXPECT_EQ(ReadBytes(folder / "f"), "old content");
    }
    FailingSync sync;
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new", sync).status, FileStatus::WriteError);
    EXPECT_EQ(ReadBytes(folder / "f"), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(ReplaceFileAtomically, LeavesReadOnlyFilesAndFoldersAlone) {
    TempFolder folder;
    WriteBytes(folder / "ro", "keep");
    fs::permissions(folder / "ro", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(IsProtectedTarget(folder / "ro"));
    EXPECT_EQ(ReplaceFileAtomically(folder / "ro", "new").status, FileStatus::ReadOnly);
    EXPECT_EQ(ReadBytes(folder / "ro"), "keep");
    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReplaceFileAtomically(folder / "dir", "new").status, FileStatus::ReadOnly);
    EXPECT_TRUE(fs::is_directory(folder / "dir"));
}

#ifndef _WIN32
TEST(ReplaceFileAtomically, NeverReplacesSomethingThatIsNotAFile) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReplaceFileAtomically(folder / "fifo", "x").status, FileStatus::ReadOnly);
    fs::create_symlink("/dev/zero", folder / "zero");
    EXPECT_EQ(ReplaceFileAtomically(folder / "zero", "x").status, FileStatus::ReadOnly);
    EXPECT_TRUE(fs::is_symlink(folder / "zero"));
    // A link to a real file: the file changes, the link stays.
    WriteBytes(folder / "real", "old");
    fs::create_symlink("real", folder / "link");
    EXPECT_EQ(ReplaceFileAtomically(folder / "link", "new").status, FileStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "link"));
    EXPECT_EQ(ReadBytes(folder / "real"), "new");
}

TEST(ReplaceFileAtomically, ALinkToAMissingFileMakesThatFile) {
    TempFolder folder;
    fs::create_directory(folder / "sync");
    fs::create_symlink("sync/settings", folder / "link");
    EXPECT_EQ(ReplaceFileAtomically(folder / "link", "made").status, FileStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "link"));
    EXPECT_EQ(ReadBytes(folder / "sync" / "settings"), "made");
    // A loop of links ends.
    fs::create_symlink("loop2", folder / "loop1");
    fs::create_symlink("loop1", folder / "loop2");
    EXPECT_NE(ReplaceFileAtomically(folder / "loop1", "x").status, FileStatus::Ok);
}

TEST(ReplaceFileAtomically, ReadOnlyFolderLeavesTheFileAsItWas) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write into a read-only folder";
    }
    TempFolder folder;
    WriteBytes(folder / "f", "old");
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NE(ReplaceFileAtomically(folder / "f", "new").status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "old");
}

TEST(ReplaceFileAtomically, KeepsTheFilesPermissions) {
    TempFolder folder;
    WriteBytes(folder / "f", "a");
    fs::permissions(folder / "f",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_EQ(ReplaceFileAtomically(folder / "f", "b").status, FileStatus::Ok);
    EXPECT_EQ(fs::status(folder / "f").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}
#endif

}  // namespace
}  // namespace pelmio
