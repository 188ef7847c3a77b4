// The program as a whole: the signals that end a session.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/session_end.h"
#include "base/folder_lock.h"
#include "settings/settings_file.h"
#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/detail_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/lookup_dlg.h"
#include "ui/settings_dlg.h"

namespace pelmio {

using namespace testing;
namespace fs = std::filesystem;

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
#ifndef _WIN32
    void sessionEndingSignalsEndTheProgramAsItsCloseBoxDoes() {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            TempFolder folder;
            WriteBytes(folder / "settei_jyukugo.txt", "take off,,,\r\n");
            WriteBytes(folder / "settei_tango.txt", "take,,,\r\n");
            // Settings the window did not change: its end leaves them alone.
            const std::string settings("\x2C\x01\0\0\xFF\xFF\xFF\xFF", 8);
            WriteBytes(folder / "pelmio.inf", settings);
            QProcess program;
            program.setWorkingDirectory(QString::fromStdString(folder.path().string()));
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(PELMIO_PROGRAM), {});
            QVERIFY(program.waitForStarted());
            // The window makes the history file once it is being set up.
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(folder / "strlist.txt"), 30000);
            QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal), 0);
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(ReadBytes(folder / "pelmio.inf"), settings);
        }
    }
#endif

#ifndef _WIN32
    void repeatedSignalsDoNotCutTheEndingShort() {
        int ended = 0;
        bool finished = false;
        {
            SessionEndWatcher watcher([&] {
                ++ended;
                // The end waits for a lock to save: more signals come.
                for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
                    ::raise(signal);
                }
                finished = true;
            });
            // Two in quick succession, before the event loop reaches either.
            ::raise(SIGTERM);
            ::raise(SIGHUP);
            QTRY_COMPARE(ended, 1);
            QVERIFY(finished);
            QCoreApplication::processEvents();
            QCOMPARE(ended, 1);
        }
        // A new watcher starts afresh.
        SessionEndWatcher again([&] { ++ended; });
        ::raise(SIGINT);
        QTRY_COMPARE(ended, 2);
    }
#endif
};

}  // namespace pelmio

QTEST_MAIN(pelmio::ProgramTest)
#include "program_test.moc"
