// Lookups from outside the main window: a second start of the program, a
// killed program's socket, oversized text, another user, and the clipboard
// option. The selection and the clipboard of a real display are in
// outside_lookup_x11_test.cpp.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <string>

#include "lookup/lookup_request.h"
#include "search/keyword_search.h"
#include "settings/options_file.h"
#include "tests/ui/outside_lookup_support.h"
#include "ui/codec.h"
#include "ui/lookup_client.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

class OutsideLookupTest : public QObject {
    Q_OBJECT

private slots:
    void secondStartLooksUpInTheFirstAndEnds();
    void killedProgramsSocketIsReplaced();
    void textIsCutAt999BytesAsTheSearchReadsIt();
    void serverBoundsWhatItReadsAndKeepsServing();
    void anotherUsersProgramIsNeverReached();
    void clipboardOptionOnAndOff();
    void aLookupBeforeTheWindowWaitsForIt();
};

namespace {

QString Repeat(const QString& text, qsizetype count) {
    return text.repeated(count);
}

// Starts the program in the folder and kills it once it listens, as a
// crash would: its socket stays behind with nobody listening.
bool LeaveStaleSocket(const RunningWindow& running) {
    QProcess program;
    program.start(QStringLiteral(PELMIO_PROGRAM),
                  {QStringLiteral("--folder"), FromPath(running.fixture.folder.path())});
    const QString name = running.serverName();
    if (!QTest::qWaitFor([&name] { return QFileInfo::exists(name); }, 20000)) {
        program.kill();
        program.waitForFinished();
        return false;
    }
    program.kill();
    return program.waitForFinished() && QFileInfo::exists(name);
}

}  // namespace

void OutsideLookupTest::secondStartLooksUpInTheFirstAndEnds() {
    RunningWindow running;
    QVERIFY(running.start());
    running.setKeyword(QStringLiteral("old"));
    const ProgramRun second = RunProgram(running.lookupArguments(QStringLiteral("take")));
    QVERIFY2(second.finished, "the second start did not end");
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("take"));
    QCOMPARE(Rows(*running.window), QStringList({QStringLiteral("take,取る,,tEik"),
                                                 QStringLiteral("taken,取られた,take,tEik1n")}));
    // The same folder named another way reaches the same program.
    const fs::path roundabout = running.fixture.folder / "sub" / "..";
    fs::create_directory(running.fixture.folder / "sub");
    const ProgramRun other = RunProgram({QStringLiteral("--folder"), FromPath(roundabout),
                                         QStringLiteral("--lookup"), QStringLiteral("give up")});
    QVERIFY(other.finished);
    QCOMPARE(other.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("give up"));
    QCOMPARE(Rows(*running.window), QStringList({QStringLiteral("give up,諦める,,")}));
    // A second window for the folder neither takes the name over nor, as
    // it ends, takes it away.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMIO_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    const ProgramRun window = RunProgram(
        {QStringLiteral("--folder"), FromPath(running.fixture.folder.path())}, environment);
    QVERIFY(window.finished);
    QVERIFY(window.errors.contains("first paint"));
    // Empty text only brings the window forward: the box keeps its text.
    const ProgramRun empty = RunProgram(running.lookupArguments(QString()));
    QVERIFY(empty.finished);
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("give up"));
}

void OutsideLookupTest::killedProgramsSocketIsReplaced() {
    RunningWindow running;
    QVERIFY(LeaveStaleSocket(running));
    // A lookup meets the dead socket: it opens a window of its own (and
    // ends at its first paint) instead of waiting or claiming success.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELMIO_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    const ProgramRun alone =
        RunProgram(running.lookupArguments(QStringLiteral("take")), environment);
    QVERIFY(alone.finished);
    QCOMPARE(alone.exitCode, 0);
    QVERIFY2(alone.errors.contains("first paint"), alone.errors.constData());
    // A new program takes the name over and serves later starts.
    QVERIFY(LeaveStaleSocket(running));
    QVERIFY(running.start());
    const ProgramRun second = RunProgram(running.lookupArguments(QStringLiteral("take")));
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("take"));
}

void OutsideLookupTest::textIsCutAt999BytesAsTheSearchReadsIt() {
    // 10 MB of text: only what a search reads, cut between characters.
    const QString huge = QStringLiteral("a") + Repeat(QStringLiteral("あ"), 5 * 1024 * 1024);
    const QString cut = CutToCp932Bytes(huge, kMaxKeywordBytes);
    QCOMPARE(cut, QStringLiteral("a") + Repeat(QStringLiteral("あ"), 499));
    QCOMPARE(ToCp932(cut, 10000)->size(), std::size_t{999});
    // A double-byte character that would end past 999 is left out whole.
    QCOMPARE(CutToCp932Bytes(QStringLiteral("aa") + Repeat(QStringLiteral("あ"), 600), 999),
             QStringLiteral("aa") + Repeat(QStringLiteral("あ"), 498));
    QCOMPARE(CutToCp932Bytes(Repeat(QStringLiteral("ｶ"), 5000), 999),
             Repeat(QStringLiteral("ｶ"), 999));
    // Nor is a character outside code page 932 split in its halves.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    QCOMPARE(CutToCp932Bytes(Repeat(QStringLiteral("a"), 998) + emoji, 999),
             Repeat(QStringLiteral("a"), 998));
    QCOMPARE(CutToCp932Bytes(QStringLiteral("take"), 999), QStringLiteral("take"));

    // Through a second start, with the longest argument the system passes
    // (one argument may not exceed 128 KiB on Linux, so not 10 MB).
    RunningWindow running;
    QVERIFY(running.start());
    const QString argument = QStringLiteral("a") + Repeat(QStringLiteral("あ"), 43'690);
    QCOMPARE(argument.toUtf8().size(), 131'071);
    const ProgramRun second = RunProgram(running.lookupArguments(argument));
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(running.keyword(), QStringLiteral("a") + Repeat(QStringLiteral("あ"), 499));
    // And without one: a program that starts alone puts the cut in its box.
    RunningWindow alone;
    CLookupDlg window(alone.fixture.environment());
    window.lookUpFromOutside(argument);
    QCOMPARE(Control<QComboBox>(window, res::kIdKeywordBox)->currentText(),
             QStringLiteral("a") + Repeat(QStringLiteral("あ"), 499));
}

void OutsideLookupTest::serverBoundsWhatItReadsAndKeepsServing() {
    RunningWindow running;
    QVERIFY(running.start());
    running.setKeyword(QStringLiteral("old"));
    // A client that stops half way through its request holds nobody up.
    QLocalSocket stalled;
    stalled.connectToServer(running.serverName());
    QVERIFY(stalled.waitForConnected());
    stalled.write("lookup 4\nta");
    QVERIFY(stalled.waitForBytesWritten());
    // 10 MB claimed and sent: the server drops it at the bound instead of
    // reading it all.
    QLocalSocket flood;
    qint64 written = 0;
    connect(&flood, &QLocalSocket::bytesWritten, [&written](qint64 bytes) { written += bytes; });
    flood.connectToServer(running.serverName());
    QVERIFY(flood.waitForConnected());
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'a');
    flood.write("lookup " + QByteArray::number(tenMegabytes.size()) + "\n" + tenMegabytes);
    QTRY_COMPARE(flood.state(), QLocalSocket::UnconnectedState);
    QVERIFY2(written < tenMegabytes.size(), "the server read all of it");
    QCOMPARE(running.keyword(), QStringLiteral("old"));
    // A request at the bound is served, and cut as the search reads it.
    QLocalSocket client;
    client.connectToServer(running.serverName());
    QVERIFY(client.waitForConnected());
    const std::string request = LookupRequest(std::string(kMaxLookupTextBytes, 'b'));
    client.write(request.data(), static_cast<qint64>(request.size()));
    QByteArray answer;
    QTRY_COMPARE(answer += client.readAll(), QByteArray("done\n"));
    QCOMPARE(running.keyword(), Repeat(QStringLiteral("b"), 999));
}

void OutsideLookupTest::anotherUsersProgramIsNeverReached() {
    if (!RunningAsRoot()) {
        QSKIP("needs root, to be another user");
    }
    RunningWindow running;
    QVERIFY(running.start());
    running.setKeyword(QStringLiteral("old"));
    const QString name = running.serverName();
    // Another user who knows the name gets no connection at all.
    QVERIFY(AsNobody(
        [&name] { return DeliverLookup(name, QStringLiteral("take")) == Delivery::NoServer; }));
    QCoreApplication::processEvents();
    QCOMPARE(running.keyword(), QStringLiteral("old"));
    // Nor could they put a socket of their own under it.
    QVERIFY((fs::status(fs::path(name.toStdString()).parent_path()).permissions() &
             (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none);
}

void OutsideLookupTest::clipboardOptionOnAndOff() {
    // The offscreen platform's clipboard belongs to no program, so text set
    // here stands for text copied in another program.
    RunningWindow running;
    QVERIFY(running.start());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("take"));
    QCOMPARE(running.keyword(), QString());  // off unless asked for

    // Turned on in 設定, it is kept in the options file.
    const auto setOption = [&running](bool on) {
        WhenOpen<CSettingsDlg>([on](CSettingsDlg& settings) {
            Control<QCheckBox>(settings, res::kIdClipboardLookup)->setChecked(on);
            settings.accept();
        });
        Control<QPushButton>(*running.window, res::kIdSettings)->click();
    };
    setOption(true);
    QCOMPARE(ReadLookupOptions(running.fixture.folder / kOptionsFileName).lookUpClipboard, true);
    clipboard->setText(QStringLiteral(" give up\n"));
    QCOMPARE(running.keyword(), QStringLiteral("give up"));
    QCOMPARE(Rows(*running.window), QStringList({QStringLiteral("give up,諦める,,")}));
    // Text that is no few English words is left alone.
    clipboard->setText(QStringLiteral("int main() { return 0; }"));
    QCOMPARE(running.keyword(), QStringLiteral("give up"));

    // The option lists nothing: the list is not made again.
    const QSignalSpy resets(List(*running.window)->model(), &QAbstractItemModel::modelReset);
    setOption(false);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(ReadLookupOptions(running.fixture.folder / kOptionsFileName).lookUpClipboard, false);
    clipboard->setText(QStringLiteral("take"));
    QCOMPARE(running.keyword(), QStringLiteral("give up"));

    // A window that starts with the option on from the file watches at once.
    WriteBytes(running.fixture.folder / kOptionsFileName, "clipboard-lookup=1\n");
    running.outside.reset();
    running.window.reset();
    QVERIFY(running.start());
    clipboard->setText(QStringLiteral("taken"));
    QCOMPARE(running.keyword(), QStringLiteral("taken"));
}

void OutsideLookupTest::aLookupBeforeTheWindowWaitsForIt() {
    // Listening, with the window not made yet (or showing a message as it
    // is made): the start is answered, and the window looks the text up.
    RunningWindow running;
    running.outside = std::make_unique<OutsideLookup>(running.serverName());
    QVERIFY(running.outside->isListening());
    const ProgramRun second = RunProgram(running.lookupArguments(QStringLiteral("give")));
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);
    const ProgramRun third = RunProgram(running.lookupArguments(QStringLiteral("take")));
    QVERIFY(third.finished);
    running.window = std::make_unique<CLookupDlg>(running.fixture.environment());
    running.outside->attach(*running.window);
    QCOMPARE(running.keyword(), QStringLiteral("take"));  // the last one asked
    QCOMPARE(Rows(*running.window).size(), 2);
}

}  // namespace pelmio

QTEST_MAIN(pelmio::OutsideLookupTest)
#include "outside_lookup_test.moc"
