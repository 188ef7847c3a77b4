#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/folder_lock.h"
#include "desktop/data_folders.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// An install laid out as cmake --install makes it: bin/pelmio and
// share/pelmio/ with the dictionary.
fs::path MakeInstall(const fs::path& prefix, const std::string& phrases, const std::string& words) {
    fs::create_directories(prefix / "bin");
    WriteBytes(prefix / "bin" / "pelmio", "");
    fs::create_directories(prefix / "share" / "pelmio");
    WriteBytes(prefix / "share" / "pelmio" / "settei_jyukugo.txt", phrases);
    WriteBytes(prefix / "share" / "pelmio" / "settei_tango.txt", words);
    return prefix / "share" / "pelmio";
}

TEST(FindInstalledDataFolder, FindsTheDataNextToTheProgramWhereverItIsCopied) {
    TempFolder root;
    MakeInstall(root / "opt", "p", "w");
    EXPECT_EQ(FindInstalledDataFolder(root / "opt" / "bin" / "pelmio", "/nonexistent"),
              root / "opt" / "share" / "pelmio");
    fs::copy(root / "opt", root / "copy", fs::copy_options::recursive);
    EXPECT_EQ(FindInstalledDataFolder(root / "copy" / "bin" / "pelmio", "/nonexistent"),
              root / "copy" / "share" / "pelmio");
}

TEST(FindInstalledDataFolder, FallsBackToXdgDataDirsInOrder) {
    TempFolder root;
    fs::create_directories(root / "lone" / "bin");  // a program with no data beside it
    fs::create_directories(root / "a" / "pelmio");  // empty: skipped
    fs::create_directories(root / "b" / "pelmio");
    WriteBytes(root / "b" / "pelmio" / "settei_tango.txt", "w");
    fs::create_directories(root / "c" / "pelmio");
    WriteBytes(root / "c" / "pelmio" / "settei_jyukugo.txt", "p");
    const fs::path program = root / "lone" / "bin" / "pelmio";
    const std::string dirs = "relative/dir:" + (root / "a").string() +
                             "::" + (root / "b").string() + ":" + (root / "c").string();
    EXPECT_EQ(FindInstalledDataFolder(program, dirs), root / "b" / "pelmio");
    // The data beside the program comes first.
    MakeInstall(root / "lone", "p", "w");
    EXPECT_EQ(FindInstalledDataFolder(program, dirs), root / "lone" / "share" / "pelmio");
    // Nothing anywhere.
    EXPECT_EQ(FindInstalledDataFolder(root / "x" / "bin" / "pelmio", (root / "a").string()),
              fs::path());
}

TEST(UserDataFolderPath, FollowsTheXdgRules) {
    EXPECT_EQ(UserDataFolderPath("/data", "/home/u"), fs::path("/data/pelmio"));
    EXPECT_EQ(UserDataFolderPath(nullptr, "/home/u"), fs::path("/home/u/.local/share/pelmio"));
    // An empty or relative XDG_DATA_HOME is not valid and is ignored.
    EXPECT_EQ(UserDataFolderPath("", "/home/u"), fs::path("/home/u/.local/share/pelmio"));
    EXPECT_EQ(UserDataFolderPath("data", "/home/u"), fs::path("/home/u/.local/share/pelmio"));
    EXPECT_EQ(UserDataFolderPath(nullptr, nullptr), fs::path());
    EXPECT_EQ(UserDataFolderPath("rel", ""), fs::path());
}

TEST(PrepareUserDataFolder, CreatesTheFolderAndReadsTheInstalledDictionary) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "phrases\r\n", "words\r\n");
    const fs::path folder = root / "home" / ".local" / "share" / "pelmio";
    UserFolderResult result = PrepareUserDataFolder(folder, installed);
    ASSERT_EQ(result.status, UserFolderStatus::Ok) << result.detail;
    EXPECT_EQ(result.folder, folder);
    // Nothing is copied: an upgrade of the install reaches the user.
    EXPECT_EQ(result.dictionaries, (std::vector<fs::path>{installed / "settei_jyukugo.txt",
                                                          installed / "settei_tango.txt"}));
    EXPECT_TRUE(fs::is_empty(folder));

    // A file the user put there is read instead, and never touched.
    WriteBytes(folder / "settei_tango.txt", "mine");
    result = PrepareUserDataFolder(folder, installed);
    EXPECT_EQ(result.dictionaries, (std::vector<fs::path>{installed / "settei_jyukugo.txt",
                                                          folder / "settei_tango.txt"}));
    EXPECT_TRUE(result.removed.empty());
    EXPECT_EQ(ReadBytes(folder / "settei_tango.txt"), "mine");
}

TEST(PrepareUserDataFolder, RemovesCopiesAnEarlierVersionMadeAndNobodyEdited) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "new phrases\r\n", "new words\r\n");
    const fs::path folder = root / "data";
    fs::create_directories(folder);
    // A copy of the install as it is, and one of a version shipped before:
    // both Pelmio's own, both gone in favour of the installed files.
    WriteBytes(folder / "settei_jyukugo.txt", "new phrases\r\n");
    fs::copy_file(PELMIO_DATA_DIR "/settei_tango.txt", folder / "settei_tango.txt");
    UserFolderResult result = PrepareUserDataFolder(folder, installed);
    ASSERT_EQ(result.status, UserFolderStatus::Ok);
    EXPECT_EQ(result.removed, (std::vector<std::string>{"settei_jyukugo.txt", "settei_tango.txt"}));
    EXPECT_EQ(result.dictionaries, (std::vector<fs::path>{installed / "settei_jyukugo.txt",
                                                          installed / "settei_tango.txt"}));
    EXPECT_TRUE(fs::is_empty(folder));

    // An edited copy, one byte more or one byte changed, is the user's.
    std::string edited = ReadBytes(PELMIO_DATA_DIR "/settei_tango.txt");
    edited.back() = edited.back() == 'x' ? 'y' : 'x';
    WriteBytes(folder / "settei_tango.txt", edited);
    WriteBytes(folder / "settei_jyukugo.txt", "new phrases\r\nmine\r\n");
    result = PrepareUserDataFolder(folder, installed);
    EXPECT_TRUE(result.removed.empty());
    EXPECT_EQ(result.dictionaries,
              (std::vector<fs::path>{folder / "settei_jyukugo.txt", folder / "settei_tango.txt"}));
    EXPECT_EQ(ReadBytes(folder / "settei_tango.txt"), edited);
}

TEST(PrepareUserDataFolder, KnowsEveryShippedVersionByItsHash) {
    const std::string shipped = ReadBytes(PELMIO_DATA_DIR "/settei_jyukugo.txt");
    EXPECT_TRUE(IsBundledVersion("settei_jyukugo.txt", shipped));
    EXPECT_FALSE(IsBundledVersion("settei_tango.txt", shipped));
    EXPECT_FALSE(IsBundledVersion("settei_jyukugo.txt", shipped + "\r\n"));
    EXPECT_NE(ContentHash("a"), ContentHash("b"));
    EXPECT_EQ(ContentHash(""), 0xCBF29CE484222325ULL);
}

TEST(PrepareUserDataFolder, RemovesAnUneditedCopyOnlyUnderTheFoldersLock) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "p", "w");
    const fs::path folder = root / "data";
    fs::create_directory(folder);
    WriteBytes(folder / "settei_tango.txt", "w");
    {
        const FolderLock other(folder);
        ASSERT_EQ(other.state(), LockState::Locked);
        const UserFolderResult result =
            PrepareUserDataFolder(folder, installed, std::chrono::milliseconds(0));
        // The installed file is read all the same; the copy waits.
        EXPECT_EQ(result.status, UserFolderStatus::Ok);
        EXPECT_EQ(result.dictionaries.back(), installed / "settei_tango.txt");
        EXPECT_TRUE(result.removed.empty());
        EXPECT_EQ(ReadBytes(folder / "settei_tango.txt"), "w");
    }
    const UserFolderResult result = PrepareUserDataFolder(folder, installed);
    EXPECT_EQ(result.removed, std::vector<std::string>{"settei_tango.txt"});
    EXPECT_FALSE(fs::exists(folder / "settei_tango.txt"));
}

TEST(PrepareUserDataFolder, ReadsTheFoldersNameWhereNothingIsInstalled) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "p", "w");
    fs::remove(installed / "settei_tango.txt");
    const UserFolderResult partial = PrepareUserDataFolder(root / "a", installed);
    EXPECT_EQ(partial.status, UserFolderStatus::Ok);
    EXPECT_EQ(partial.dictionaries, (std::vector<fs::path>{installed / "settei_jyukugo.txt",
                                                           root / "a" / "settei_tango.txt"}));
    // No install found: the folder is still made, and is empty.
    const UserFolderResult none = PrepareUserDataFolder(root / "b", fs::path());
    EXPECT_EQ(none.status, UserFolderStatus::Ok);
    EXPECT_EQ(none.dictionaries, (std::vector<fs::path>{root / "b" / "settei_jyukugo.txt",
                                                        root / "b" / "settei_tango.txt"}));
    EXPECT_TRUE(fs::is_empty(root / "b"));
}

#ifndef _WIN32
TEST(PrepareUserDataFolder, NeverReplacesWhatStandsInThePlaceOfTheFolderOrAFile) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "p", "w");

    WriteBytes(root / "file", "keep");
    EXPECT_EQ(PrepareUserDataFolder(root / "file", installed).status, UserFolderStatus::NotAFolder);
    EXPECT_EQ(ReadBytes(root / "file"), "keep");

    fs::create_symlink(root / "gone", root / "dangling");
    const UserFolderResult dangling = PrepareUserDataFolder(root / "dangling", installed);
    EXPECT_EQ(dangling.status, UserFolderStatus::DanglingLink);
    EXPECT_EQ(dangling.detail, (root / "gone").string());
    EXPECT_TRUE(fs::is_symlink(root / "dangling"));
    EXPECT_FALSE(fs::exists(root / "gone"));

    // A link to a real folder is used as the folder.
    fs::create_directory(root / "real");
    fs::create_directory_symlink(root / "real", root / "linked");
    EXPECT_EQ(PrepareUserDataFolder(root / "linked", installed).status, UserFolderStatus::Ok);
    EXPECT_TRUE(fs::is_empty(root / "real"));

    // A dictionary name that is a link to nothing is the user's: left alone.
    fs::create_directory(root / "user");
    fs::create_symlink(root / "elsewhere.txt", root / "user" / "settei_tango.txt");
    const UserFolderResult linked = PrepareUserDataFolder(root / "user", installed);
    EXPECT_EQ(linked.dictionaries.back(), root / "user" / "settei_tango.txt");
    EXPECT_TRUE(linked.removed.empty());
    EXPECT_TRUE(fs::is_symlink(root / "user" / "settei_tango.txt"));
    EXPECT_FALSE(fs::exists(root / "elsewhere.txt"));
}

TEST(PrepareUserDataFolder, ReportsAFolderItCannotMake) {
    TempFolder root;
    WriteBytes(root / "plain", "");
    // A parent that is a file, and a file system nobody may write to (even
    // root, who passes every permission check).
    for (const fs::path& folder : {root / "plain" / "data" / "pelmio", fs::path("/proc/pelmio")}) {
        const UserFolderResult result = PrepareUserDataFolder(folder, fs::path());
        EXPECT_EQ(result.status, UserFolderStatus::CannotCreate) << folder;
        EXPECT_FALSE(result.detail.empty());
    }
    EXPECT_EQ(ReadBytes(root / "plain"), "");
    EXPECT_EQ(PrepareUserDataFolder(fs::path(), fs::path()).status, UserFolderStatus::NoFolder);
}

TEST(PrepareUserDataFolder, NamesTheLinkToNothingOnTheWay) {
    TempFolder root;
    // XDG_DATA_HOME itself dangles: not "File exists", but the link.
    fs::create_symlink(root / "gone", root / "xdg");
    const UserFolderResult result = PrepareUserDataFolder(root / "xdg" / "pelmio", fs::path());
    EXPECT_EQ(result.status, UserFolderStatus::DanglingLink);
    EXPECT_EQ(result.folder, root / "xdg");
    EXPECT_EQ(result.detail, (root / "gone").string());
    EXPECT_FALSE(fs::exists(root / "gone"));
}

TEST(PrepareUserDataFolder, NamesTheFolderThatMayNotBeEntered) {
    if (!testing::RunningAsRoot()) {
        GTEST_SKIP() << "needs root, to be another user";
    }
    TempFolder root;
    fs::permissions(root.path(), fs::perms::all);
    fs::create_directory(root / "closed");
    fs::permissions(root / "closed", fs::perms::owner_all);
    const fs::path closed = root / "closed";
    // As another user: the folder in the way is closed, not a file.
    EXPECT_TRUE(testing::AsNobody([&closed] {
        const UserFolderResult result = PrepareUserDataFolder(closed / "pelmio", fs::path());
        return result.status == UserFolderStatus::NoAccess && result.folder == closed;
    }));
    EXPECT_TRUE(testing::AsNobody([&closed] {
        const UserFolderResult result =
            PrepareUserDataFolder(closed / "share" / "pelmio", fs::path());
        return result.status == UserFolderStatus::NoAccess && result.folder == closed;
    }));
}
#endif

TEST(StartsInUserDataFolder, OnlyWhereTheFolderHoldsNoDictionaryAndOneIsInstalled) {
    TempFolder root;
    const fs::path installed = MakeInstall(root / "usr", "p", "w");
    fs::create_directories(root / "here");
    EXPECT_TRUE(StartsInUserDataFolder(root / "here", installed));
    // Nothing installed: the folder it was started in, as ever.
    EXPECT_FALSE(StartsInUserDataFolder(root / "here", {}));
    // Either file, in any form, is the user's own choice of folder.
    WriteBytes(root / "here" / "settei_tango.txt", "");
    EXPECT_FALSE(StartsInUserDataFolder(root / "here", installed));
    fs::create_directories(root / "there");
    fs::create_symlink(root / "gone", root / "there" / "settei_jyukugo.txt");
    EXPECT_FALSE(StartsInUserDataFolder(root / "there", installed));
}

}  // namespace
}  // namespace pelmio
