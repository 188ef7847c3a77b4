// Signals that end the session, caught as the program catches them.
#include <QCoreApplication>
#include <QTest>

#include <csignal>

#include "app/session_end.h"

namespace pelmio {

class SessionEndTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_MAIN(pelmio::SessionEndTest)
#include "session_end_test.moc"
