#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "base/folder_lock.h"
#include "lookup/lookup_session.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace pelmio {
namespace {

namespace fs = std::filesystem;
using testing::JoinCrLf;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// A session over a scratch folder holding the two dictionary files.
struct SessionFixture {
    TempFolder folder;
    LookupSession session{folder.path()};

    void write(const Lines& phrases, const Lines& words) {
        WriteBytes(folder / "settei_jyukugo.txt", JoinCrLf(phrases));
        WriteBytes(folder / "settei_tango.txt", JoinCrLf(words));
    }
};

Lines Shown(const SearchResult& result) {
    Lines lines;
    for (std::size_t row = 0; row < result.size(); ++row) {
        lines.emplace_back(result.line(row));
    }
    return lines;
}

TEST(LookupSession, ReadsTheDictionaryFilesItIsGivenAndKeepsTheRestInItsFolder) {
    SessionFixture fixture;
    fixture.write({"folder phrase"}, {"folder word"});
    TempFolder installed;
    WriteBytes(installed / "p.txt", "installed phrase\r\n");
    fixture.session.setDictionaryFiles({installed / "p.txt", installed / "missing.txt"});
    const std::vector<DictionaryProblem> problems = fixture.session.reload();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, installed / "missing.txt");
    EXPECT_EQ(Shown(fixture.session.search("")), Lines{"installed phrase"});
    ASSERT_EQ(fixture.session.saveKeyword("word").status, HistoryStatus::Ok);
    EXPECT_TRUE(fs::exists(fixture.folder / "strlist.txt"));
    EXPECT_FALSE(fs::exists(installed / "strlist.txt"));
}

TEST(LookupSession, ReloadReportsEachFileItCannotRead) {
    SessionFixture fixture;
    std::vector<DictionaryProblem> problems = fixture.session.reload();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].problem, LoadProblem::CannotRead);
    EXPECT_EQ(problems[0].fileName, "settei_jyukugo.txt");
    EXPECT_EQ(problems[1].fileName, "settei_tango.txt");
    EXPECT_EQ(fixture.session.search("").size(), 0u);

    // Only the phrase file missing, then a folder in its place: the word
    // file still loads.
    WriteBytes(fixture.folder / "settei_tango.txt", "take\r\ngo\r\n");
    problems = fixture.session.reload();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].fileName, "settei_jyukugo.txt");
    fs::create_directory(fixture.folder / "settei_jyukugo.txt");
    EXPECT_EQ(fixture.session.reload().size(), 1u);
    EXPECT_EQ(Shown(fixture.session.search("")), (Lines{"go", "take"}));
}

TEST(LookupSession, ALoadStartedAheadGivesWhatReadingThenGivesAndIsTakenOnce) {
    SessionFixture fixture;
    WriteBytes(fixture.folder / "settei_tango.txt", "take\r\ngo\r\n");
    DictionaryLoad load(fixture.session.dictionaryFiles());
    ASSERT_TRUE(load.started());
    std::vector<DictionaryProblem> problems = fixture.session.reload(load);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].problem, LoadProblem::CannotRead);
    EXPECT_EQ(problems[0].path, fs::absolute(fixture.folder / "settei_jyukugo.txt"));
    EXPECT_EQ(Shown(fixture.session.search("")), (Lines{"go", "take"}));

    // Taken: the next reload reads the files as they are now.
    EXPECT_FALSE(load.started());
    WriteBytes(fixture.folder / "settei_jyukugo.txt", "go out\r\n");
    EXPECT_TRUE(fixture.session.reload(load).empty());
    EXPECT_EQ(Shown(fixture.session.search("go")), (Lines{"go", "go out"}));
}

TEST(LookupSession, TooManyLinesAreReportedOnce) {
    SessionFixture fixture;
    const Lines lines(80'000, "line");
    fixture.write(lines, lines);
    const std::vector<DictionaryProblem> problems = fixture.session.reload();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].problem, LoadProblem::TooManyLines);
    EXPECT_EQ(fixture.session.search("").totalMatches, 100'000u);
}

TEST(LookupSession, SearchListsMatchesSortedWithTheirTableIndices) {
    SessionFixture fixture;
    // Table order: phrases first, then words.
    fixture.write({"take off,離陸する,,tEik o0f", "look up,調べる,,lUk 3p"},
                  {"take,取る,,tEik", "off,離れて,,O0f", "apple,りんご,,2pl"});
    EXPECT_TRUE(fixture.session.reload().empty());
    const SearchResult result = fixture.session.search("o");
    // Sorted without regard to case; each row names its line in the files.
    EXPECT_EQ(result.rows, (std::vector<std::uint32_t>{1, 3, 0}));
    EXPECT_EQ(result.totalMatches, 3u);
    EXPECT_EQ(result.fields(2).headword, "take off");
    EXPECT_EQ(result.fields(2).pronunciation, "tEik o0f");
    EXPECT_EQ(Shown(fixture.session.search("take off")), (Lines{"take off,離陸する,,tEik o0f"}));
    EXPECT_EQ(fixture.session.search("").size(), 5u);
    EXPECT_EQ(fixture.session.search("zzz").totalMatches, 0u);
}

TEST(LookupSession, JapaneseMatchesByItsBytesAndOnlyWhereACharacterBegins) {
    SessionFixture fixture;
    // 離陸する and ア (83 41) as literal code page 932 bytes.
    fixture.write({}, {"takeoff,\x97\xa3\x97\xa4\x82\xb7\x82\xe9", "\x83\x41", "A"});
    fixture.session.reload();
    EXPECT_EQ(Shown(fixture.session.search("\x97\xa3\x97\xa4")),
              (Lines{"takeoff,\x97\xa3\x97\xa4\x82\xb7\x82\xe9"}));
    EXPECT_EQ(Shown(fixture.session.search("A")), (Lines{"A"}));
}

TEST(LookupSession, RowLimitKeepsTheFirstLinesInTableOrderAndCountsThemAll) {
    SessionFixture fixture;
    fixture.write({}, {"a5", "a4", "a3", "a2", "a1", "b"});
    fixture.session.reload();
    fixture.session.setRowLimit(3);
    const SearchResult result = fixture.session.search("a");
    EXPECT_EQ(Shown(result), (Lines{"a3", "a4", "a5"}));
    EXPECT_EQ(result.totalMatches, 5u);
    // A negative limit still lets one row in; 0 means no limit.
    fixture.session.setRowLimit(-4);
    EXPECT_EQ(Shown(fixture.session.search("a")), (Lines{"a5"}));
    fixture.session.setRowLimit(0);
    EXPECT_EQ(fixture.session.search("a").size(), 5u);
}

TEST(LookupSession, OnlyTheFirst999BytesOfTheKeywordCount) {
    SessionFixture fixture;
    fixture.write({}, {"take"});
    fixture.session.reload();
    // "ta" and 997 spaces fill 999 bytes; what follows is not read.
    EXPECT_EQ(Shown(fixture.session.search("ta" + std::string(997, ' ') + "zzz")), (Lines{"take"}));
    EXPECT_EQ(fixture.session.search("ta" + std::string(996, ' ') + "zzz").size(), 0u);
}

TEST(LookupSession, AResultKeepsTheLinesItListedAcrossAReload) {
    SessionFixture fixture;
    fixture.write({}, {"one", "two", "three"});
    fixture.session.reload();
    const SearchResult before = fixture.session.search("t");
    EXPECT_EQ(Shown(before), (Lines{"three", "two"}));
    // Shorter files: a new search sees the new table, the old result its own.
    fixture.write({}, {"two"});
    fixture.session.reload();
    EXPECT_EQ(Shown(fixture.session.search("t")), (Lines{"two"}));
    EXPECT_EQ(Shown(before), (Lines{"three", "two"}));
    EXPECT_NE(before.dictionary, fixture.session.dictionary());
}

TEST(LookupSession, SettingsRoundTripThroughTheFile) {
    SessionFixture fixture;
    fixture.session.readSettings();
    EXPECT_EQ(fixture.session.rowLimit(), 0);
    fixture.session.setRowLimit(300);
    EXPECT_EQ(fixture.session.writeSettings().status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(fixture.folder / "pelmio.inf"), std::string("\x2c\x01\0\0\0\0\0\0", 8));
    // The options live in a file of their own, read with the row limit.
    fixture.session.setOptions({true, true});
    EXPECT_EQ(fixture.session.writeOptions().status, FileStatus::Ok);
    EXPECT_EQ(ReadBytes(fixture.folder / "pelmio.inf").size(), 8u);
    LookupSession next(fixture.folder.path());
    next.readSettings();
    EXPECT_EQ(next.rowLimit(), 300);
    EXPECT_EQ(next.options(), (LookupOptions{true, true}));
}

TEST(LookupSession, WithoutThePronunciationItHighlightsOnlyBeforeTheCode) {
    SessionFixture fixture;
    fixture.write({}, {"lid,cover,,lId", "lad,wakamono,,l1d", "slide,suberu,,slaId"});
    fixture.session.reload();
    const auto spansEndBefore = [](const SearchResult& result, std::size_t row) {
        const std::size_t code = BeforePronunciation(result.line(row)).size();
        for (const ByteSpan& span : result.spans(row)) {
            if (span.begin + span.length > code) {
                return false;
            }
        }
        return !result.spans(row).empty();
    };
    // By default the code is searched, and highlighted where it matched:
    // slide's a is only in slaId.
    SearchResult result = fixture.session.search("a");
    ASSERT_EQ(Shown(result), (Lines{"lad,wakamono,,l1d", "slide,suberu,,slaId"}));
    EXPECT_TRUE(spansEndBefore(result, 0));
    EXPECT_FALSE(spansEndBefore(result, 1));
    fixture.session.setOptions({false, false, true});
    result = fixture.session.search("a");
    EXPECT_EQ(Shown(result), Lines{"lad,wakamono,,l1d"});
    EXPECT_EQ(result.totalMatches, 1u);
    EXPECT_EQ(fixture.session.search("l 1").size(), 0u);
    result = fixture.session.search("l");
    ASSERT_EQ(result.size(), 3u);
    for (std::size_t row = 0; row < result.size(); ++row) {
        EXPECT_TRUE(spansEndBefore(result, row)) << result.line(row);
    }
    // Back on: the code is searched again at once.
    fixture.session.setOptions({});
    EXPECT_EQ(fixture.session.search("l 1").size(), 1u);
}

TEST(LookupSession, OnlyTheWindowThatChangedASettingWritesIt) {
    SessionFixture fixture;
    LookupSession other(fixture.folder.path());
    fixture.session.readSettings();
    other.readSettings();
    fixture.session.setRowLimit(300);
    fixture.session.setOptions({true, false});
    ASSERT_EQ(fixture.session.writeSettings().status, FileStatus::Ok);
    ASSERT_EQ(fixture.session.writeOptions().status, FileStatus::Ok);
    // The untouched window ends later: it must not bring back its 0.
    EXPECT_EQ(other.writeSettings().status, FileStatus::Ok);
    EXPECT_EQ(other.writeOptions().status, FileStatus::Ok);
    LookupSession next(fixture.folder.path());
    next.readSettings();
    EXPECT_EQ(next.rowLimit(), 300);
    EXPECT_EQ(next.options(), (LookupOptions{true, false}));
    // Set back to what it read: nothing changed, nothing written.
    other.setRowLimit(0);
    other.setRowLimit(300);
    EXPECT_EQ(other.writeSettings().status, FileStatus::Ok);
    EXPECT_EQ(ReadRowLimit(fixture.folder / "pelmio.inf"), 300);
}

TEST(LookupSession, ASettingWaitsWhileAnotherProgramHoldsTheLock) {
    SessionFixture fixture;
    fixture.session.setRowLimit(50);
    {
        const FolderLock held(fixture.folder.path());
        ASSERT_EQ(held.state(), LockState::Locked);
        EXPECT_EQ(fixture.session.writeSettings().status, FileStatus::Busy);
        EXPECT_FALSE(fs::exists(fixture.folder / "pelmio.inf"));
    }
    EXPECT_EQ(fixture.session.writeSettings().status, FileStatus::Ok);
    EXPECT_EQ(ReadRowLimit(fixture.folder / "pelmio.inf"), 50);
}

TEST(LookupSession, WindowGeometryIsWrittenOnlyWhenChangedAndUnderTheLock) {
    SessionFixture fixture;
    LookupSession other(fixture.folder.path());
    fixture.session.readSettings();
    other.readSettings();
    const fs::path options = fixture.folder / "pelmio-options.txt";
    // Unchanged: the folder gains no file.
    fixture.session.setWindowGeometry(fixture.session.windowGeometry());
    EXPECT_EQ(fixture.session.writeWindowGeometry().status, FileStatus::Ok);
    EXPECT_FALSE(fs::exists(options));

    WindowGeometry geometry;
    geometry.mainSize = {{500, 600}};
    fixture.session.setWindowGeometry(geometry);
    {
        const FolderLock held(fixture.folder.path());
        ASSERT_EQ(held.state(), LockState::Locked);
        EXPECT_EQ(fixture.session.writeWindowGeometry().status, FileStatus::Busy);
        EXPECT_FALSE(fs::exists(options));
    }
    EXPECT_EQ(fixture.session.writeWindowGeometry().status, FileStatus::Ok);
    // Another window's options change keeps the sizes, and its untouched
    // geometry does not bring back what it read.
    other.setOptions({false, true});
    ASSERT_EQ(other.writeOptions().status, FileStatus::Ok);
    EXPECT_EQ(other.writeWindowGeometry().status, FileStatus::Ok);
    LookupSession next(fixture.folder.path());
    next.readSettings();
    EXPECT_EQ(next.windowGeometry(), geometry);
    EXPECT_EQ(next.options(), (LookupOptions{false, true}));
}

// Records the name of each file a write replaces, by the temporary file
// it makes beside it.
class CreationRecorder : public FileWriter {
public:
    std::FILE* CreateNew(const fs::path& path) override {
        const std::string name = path.filename().string();
        replaced.push_back(name.substr(0, name.find(".tmp-")));
        return FileWriter::CreateNew(path);
    }
    Lines replaced;
};

TEST(LookupSession, EveryFileItWritesIsOnItsListOfFiles) {
    TempFolder folder;
    CreationRecorder recorder;
    LookupSession session(folder.path(), recorder);
    session.saveKeyword("take");
    session.setRowLimit(30);
    session.setOptions({true, false, false});
    WindowGeometry geometry;
    geometry.mainSize = {{400, 500}};
    session.setWindowGeometry(geometry);
    ASSERT_EQ(session.writeSettings().status, FileStatus::Ok);
    ASSERT_EQ(session.writeOptions().status, FileStatus::Ok);
    ASSERT_EQ(session.writeWindowGeometry().status, FileStatus::Ok);
    ASSERT_EQ(recorder.replaced.size(), 4u);
    const Lines names = SessionFileNames();
    for (const std::string& name : recorder.replaced) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
}

TEST(LookupSession, StaleTemporaryFilesOfEveryFileItWritesAreRemoved) {
    SessionFixture fixture;
    const Lines names = SessionFileNames();
    for (const char* name : {"strlist.txt", "pelmio.inf", "pelmio-options.txt", "settei_tango.txt",
                             "settei_jyukugo.txt"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
    // Left by a process that has ended, and one of a running process.
    for (const std::string& name : names) {
        WriteBytes(fixture.folder / (name + ".tmp-999999999-0-123"), "stale");
    }
    const fs::path running =
        fixture.folder / ("pelmio-options.txt.tmp-" + std::to_string(::getpid()) + "-0-123");
    WriteBytes(running, "being written");
    fixture.session.removeStaleTemporaryFiles();
    for (const std::string& name : names) {
        EXPECT_FALSE(fs::exists(fixture.folder / (name + ".tmp-999999999-0-123"))) << name;
    }
    EXPECT_TRUE(fs::exists(running));
    // Not while another program holds the lock: it may be writing them.
    // The file of a process that really ran and ended goes once it is free.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const fs::path killed = fixture.folder / ("strlist.txt.tmp-" + std::to_string(child) + "-0-1");
    WriteBytes(killed, "left by a killed save");
    {
        const FolderLock held(fixture.folder.path());
        fixture.session.removeStaleTemporaryFiles();
        EXPECT_TRUE(fs::exists(killed));
    }
    fixture.session.removeStaleTemporaryFiles();
    EXPECT_FALSE(fs::exists(killed));
}

TEST(LookupSession, KeywordsGoInFrontOfTheHistory) {
    SessionFixture fixture;
    // An empty keyword only makes sure the file exists.
    EXPECT_EQ(fixture.session.saveKeyword("").status, HistoryStatus::Ok);
    EXPECT_EQ(ReadBytes(fixture.folder / "strlist.txt"), "");
    fixture.session.saveKeyword("take");
    const HistoryResult saved = fixture.session.saveKeyword("\x97\xa3\x97\xa4");
    EXPECT_EQ(saved.list, (Lines{"\x97\xa3\x97\xa4", "take"}));
    EXPECT_EQ(ReadBytes(fixture.folder / "strlist.txt"), "\x97\xa3\x97\xa4\r\ntake\r\n");
    // Written by another program: the list is read afresh.
    WriteBytes(fixture.folder / "strlist.txt", "9\r\n9\r\n8\r\n");
    EXPECT_EQ(fixture.session.historyList().list, (Lines{"9", "8"}));
}

}  // namespace
}  // namespace pelmio
