#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
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

#ifndef _WIN32
TEST(ReadFilePrefix, ReadsOnlyWhatIsAskedOfAHugeFile) {
    TempFolder folder;
    // 40 GB, nearly all of it a hole: reading it whole would exhaust memory.
    testing::WriteSparseFile(folder / "huge", "first bytes", std::uint64_t{40} << 30);
    const ReadResult prefix = ReadFilePrefix(folder / "huge", 5);
    EXPECT_EQ(prefix.status, FileStatus::Ok);
    EXPECT_EQ(prefix.bytes, "first");
    EXPECT_EQ(ReadFilePrefix(folder / "huge", 0).bytes, "");
    WriteBytes(folder / "small", "abc");
    EXPECT_EQ(ReadFilePrefix(folder / "small", 8).bytes, "abc");
    EXPECT_EQ(InputFile(folder / "huge").size(), std::uint64_t{40} << 30);
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

TEST(ReplaceFileAtomically, ReadOnlyFolderWithAWritableFileIsWrittenInPlace) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write into a read-only folder; "
                        "NoNewFilesInTheFolderMeansInPlace covers the same path for root";
    }
    TempFolder folder;
    WriteBytes(folder / "f", "old content");
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new").status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "new");
    // A file that is not there cannot be made there.
    EXPECT_EQ(ReplaceFileAtomically(folder / "g", "new").status, FileStatus::CannotOpen);
    EXPECT_FALSE(fs::exists(folder / "g"));
}

TEST(ReplaceFileAtomically, NoNewFilesInTheFolderMeansInPlace) {
    TempFolder folder;
    WriteBytes(folder / "f", "old content, longer than the new");
    struct stat before {};
    ASSERT_EQ(::stat((folder / "f").c_str(), &before), 0);
    testing::NoNewFilesWriter writer;
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", {"new ", "content"}, writer).status,
              FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "new content");
    struct stat after {};
    ASSERT_EQ(::stat((folder / "f").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    // Only a file that is there is written in place.
    EXPECT_EQ(ReplaceFileAtomically(folder / "g", "new", writer).status, FileStatus::CannotOpen);
    EXPECT_FALSE(fs::exists(folder / "g"));
    // A full disk found while the new content is made leaves the file as it was.
    struct NoNewFilesFullDisk : testing::FullDiskWriter {
        using FullDiskWriter::FullDiskWriter;
        std::FILE* CreateNew(const fs::path&) override {
            errno = EACCES;
            return nullptr;
        }
    } fullInPlace(2);
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "other bytes", fullInPlace).status,
              FileStatus::NoSpace);
    EXPECT_EQ(ReadBytes(folder / "f"), "new content");
}

TEST(ReplaceFileAtomically, AHardLinkedFileIsRewrittenInPlaceSoTheLinkSurvives) {
    TempFolder folder;
    WriteBytes(folder / "f", "old content");
    fs::create_hard_link(folder / "f", folder / "other name");
    testing::RecordingWriter writer;
    ASSERT_EQ(ReplaceFileAtomically(folder / "f", "new", writer).status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "new");
    EXPECT_EQ(ReadBytes(folder / "other name"), "new");
    EXPECT_EQ(fs::hard_link_count(folder / "f"), 2u);
    // No rename: the journal and its folder are synced, then the file
    // itself, before the journal goes.
    ASSERT_EQ(writer.events.size(), 3u);
    EXPECT_NE(writer.events[0], testing::RecordingWriter::SyncOf(folder / "f"));
    EXPECT_EQ(writer.events[0].rfind("sync file ", 0), 0u) << writer.events[0];
    EXPECT_EQ(writer.events[1], "sync " + folder.path().string());
    EXPECT_EQ(writer.events[2], testing::RecordingWriter::SyncOf(folder / "f"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

TEST(ReplaceFileAtomically, KeepsTheFilesOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the administrator may give a file to another user";
    }
    TempFolder folder;
    WriteBytes(folder / "f", "a");
    ASSERT_EQ(::chown((folder / "f").c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod((folder / "f").c_str(), 0640), 0);
    ASSERT_EQ(ReplaceFileAtomically(folder / "f", "b").status, FileStatus::Ok);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "f").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(folder / "f"), "b");
}

TEST(ReplaceFileAtomically, FollowsOnlyLinksOfTheUserToFilesOfTheUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to own files as another user";
    }
    TempFolder folder;
    const auto owned = [](const fs::path& path, uid_t user) {
        return ::lchown(path.c_str(), user, user) == 0;
    };
    // Root's own file and folder, named by another user's links.
    WriteBytes(folder / "secret", "root's");
    fs::create_directory(folder / "closed");
    fs::create_symlink(folder / "secret", folder / "pelmio.inf");
    fs::create_symlink(folder / "closed" / "new", folder / "strlist.txt");
    ASSERT_TRUE(owned(folder / "pelmio.inf", testing::kNobody));
    ASSERT_TRUE(owned(folder / "strlist.txt", testing::kNobody));
    EXPECT_EQ(ReplaceFileAtomically(folder / "pelmio.inf", "8 bytes!").status,
              FileStatus::ForeignLink);
    EXPECT_EQ(ReplaceFileAtomically(folder / "strlist.txt", "x").status, FileStatus::ForeignLink);
    EXPECT_EQ(ReadBytes(folder / "secret"), "root's");
    EXPECT_FALSE(fs::exists(folder / "closed" / "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "pelmio.inf"));
    // Root's own link to another user's file, or on to another user's link.
    WriteBytes(folder / "theirs", "theirs");
    ASSERT_TRUE(owned(folder / "theirs", testing::kNobody));
    fs::create_symlink(folder / "theirs", folder / "to-theirs");
    EXPECT_EQ(ReplaceFileAtomically(folder / "to-theirs", "x").status, FileStatus::ForeignLink);
    fs::create_symlink(folder / "pelmio.inf", folder / "chain");
    EXPECT_EQ(ReplaceFileAtomically(folder / "chain", "x").status, FileStatus::ForeignLink);
    EXPECT_EQ(ReadBytes(folder / "theirs"), "theirs");
    EXPECT_EQ(ReadBytes(folder / "secret"), "root's");
    // Root's own link to root's own file is followed.
    fs::create_symlink(folder / "secret", folder / "mine");
    EXPECT_EQ(ReplaceFileAtomically(folder / "mine", "new").status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "secret"), "new");
}

TEST(ReplaceFileAtomically, TheAdministratorMakesNewFilesForTheFolderOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the administrator may give a file to another user";
    }
    TempFolder folder;
    ASSERT_EQ(::chown(folder.path().c_str(), 4321, 4322), 0);
    ASSERT_EQ(ReplaceFileAtomically(folder / "strlist.txt", "new").status, FileStatus::Ok);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "strlist.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
}

#ifdef __linux__
TEST(ReplaceFileAtomically, KeepsExtendedAttributesAndTheAccessList) {
    TempFolder folder;
    const fs::path file = folder / "strlist.txt";
    WriteBytes(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    // user::rw-, user:nobody:rw-, group::r--, mask::rw-, other::---
    std::string acl("\x02\0\0\0", 4);
    const auto entry = [&acl](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
        for (int i = 0; i < 2; ++i)
            acl += static_cast<char>((tag >> (8 * i)) & 0xFF);
        for (int i = 0; i < 2; ++i)
            acl += static_cast<char>((perm >> (8 * i)) & 0xFF);
        for (int i = 0; i < 4; ++i)
            acl += static_cast<char>((id >> (8 * i)) & 0xFF);
    };
    entry(0x01, 6, 0xFFFFFFFF);
    entry(0x02, 6, testing::kNobody);
    entry(0x04, 4, 0xFFFFFFFF);
    entry(0x10, 6, 0xFFFFFFFF);
    entry(0x20, 0, 0xFFFFFFFF);
    if (::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
        ::setxattr(file.c_str(), "user.pelmio-note", "kept", 4, 0) != 0) {
        GTEST_SKIP() << "the file system takes no access lists or user attributes";
    }
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_EQ(ReplaceFileAtomically(file, "new").status, FileStatus::Ok);
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    ASSERT_NE(after.st_ino, before.st_ino);  // replaced, not written in place
    char value[256];
    const ssize_t aclSize =
        ::getxattr(file.c_str(), "system.posix_acl_access", value, sizeof value);
    ASSERT_GT(aclSize, 0);
    EXPECT_EQ(std::string(value, static_cast<std::size_t>(aclSize)), acl);
    const ssize_t noteSize = ::getxattr(file.c_str(), "user.pelmio-note", value, sizeof value);
    EXPECT_EQ(std::string(value, static_cast<std::size_t>(std::max<ssize_t>(noteSize, 0))), "kept");
    // The group may still only read; the mask gives the shared user write.
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
}
#endif

TEST(ReplaceFileAtomically, AFullDiskOrAFailingRenameKeepsTheOldFileAndLeavesNothing) {
    TempFolder folder;
    WriteBytes(folder / "f", "old content");
    for (std::size_t cut : {0u, 4u}) {
        testing::FullDiskWriter full(cut);
        EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new content", full).status,
                  FileStatus::NoSpace);
        EXPECT_EQ(ReadBytes(folder / "f"), "old content");
    }
    testing::FailingRenameWriter rename;
    EXPECT_EQ(ReplaceFileAtomically(folder / "f", "new content", rename).status,
              FileStatus::WriteError);
    EXPECT_EQ(ReadBytes(folder / "f"), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(ReplaceFileAtomically, SyncsTheNewFileBeforeTheRenameAndTheFolderAfter) {
    TempFolder folder;
    WriteBytes(folder / "f", "old");
    testing::RecordingWriter writer;
    ASSERT_EQ(ReplaceFileAtomically(folder / "f", "new", writer).status, FileStatus::Ok);
    // The file synced is the one now at f.
    EXPECT_EQ(writer.events,
              (std::vector<std::string>{testing::RecordingWriter::SyncOf(folder / "f"), "rename f",
                                        "sync " + folder.path().string()}));
}

TEST(FileWriter, SyncAsksTheSystemToWriteTheFileToTheDisk) {
    // A pipe cannot be synced: the system refuses, where a flush alone
    // would pass.
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe(ends), 0);
    std::FILE* pipe = ::fdopen(ends[1], "wb");
    ASSERT_NE(pipe, nullptr);
    FileWriter writer;
    EXPECT_TRUE(writer.Write(pipe, "x"));
    errno = 0;
    EXPECT_FALSE(writer.Sync(pipe));
    EXPECT_EQ(errno, EINVAL);
    std::fclose(pipe);
    ::close(ends[0]);
    // A file is synced, with what was written.
    TempFolder folder;
    std::FILE* file = std::fopen((folder / "f").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(writer.Write(file, "written"));
    EXPECT_TRUE(writer.Sync(file));
    EXPECT_EQ(ReadBytes(folder / "f"), "written");
    std::fclose(file);
}

TEST(ReplaceFile, ProducingMayCutBackWhatItWrote) {
    TempFolder folder;
    const WriteResult result = ReplaceFile(folder / "f", [](OutputFile& out) {
        return out.write("keep this, not that") && out.truncate(9) && out.write("!");
    });
    ASSERT_EQ(result.status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(folder / "f"), "keep this!");
    // Giving up keeps the old file.
    EXPECT_EQ(
        ReplaceFile(folder / "f", [](OutputFile& out) { return out.write("x") && false; }).status,
        FileStatus::WriteError);
    EXPECT_EQ(ReadBytes(folder / "f"), "keep this!");
}

TEST(RemoveStaleTemporaryFiles, RemovesOnlyOurNamesOfEndedProcessesOrOldOnes) {
    TempFolder folder;
    // A process that has ended: its id is free.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string ended = std::to_string(child);
    const std::string running = std::to_string(::getpid());
    const std::vector<std::string> stale = {"strlist.txt.tmp-" + ended + "-0-12345",
                                            "strlist.txt.tmp-" + ended + "-17-0"};
    const std::vector<std::string> kept = {
        "strlist.txt.tmp-" + running + "-0-12345",  // a save in progress
        "strlist.txt.tmp-" + ended + "-0",          // not our shape
        "strlist.txt.tmp-" + ended + "-0-1-2",
        "strlist.txt.tmp-" + ended + "-0-1x",
        "strlist.txt.tmp-" + ended + "-0-1.bak",
        "pelmio.inf.tmp-" + ended + "-0-1",  // beside another file
        "strlist.txt",
        "notes.txt"};
    for (const auto& names : {stale, kept}) {
        for (const std::string& name : names) {
            WriteBytes(folder / name, "x");
        }
    }
    // Over an hour old: its process id may belong to another program now.
    const std::string old = "strlist.txt.tmp-" + running + "-1-1";
    WriteBytes(folder / old, "x");
    fs::last_write_time(folder / old, fs::file_time_type::clock::now() - std::chrono::hours(2));

    EXPECT_EQ(RemoveStaleTemporaryFiles(folder / "strlist.txt"), 3u);
    for (const std::string& name : stale) {
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    }
    EXPECT_FALSE(fs::exists(folder / old));
    for (const std::string& name : kept) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
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
