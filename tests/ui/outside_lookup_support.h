#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>

#include <filesystem>
#include <memory>

#include "tests/support/test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/codec.h"
#include "ui/lookup_dlg.h"
#include "ui/lookup_server.h"
#include "ui/outside_lookup.h"

namespace pelmio::testing {

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray errors;  // what it wrote to stderr
};

// Runs the built program to its end while this process's event loop runs,
// so a window here can serve it. One still running after the time-out is
// killed: a second start that wrongly opened a window of its own.
inline ProgramRun RunProgram(
    const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PELMIO_PROGRAM), arguments);
    ProgramRun run;
    run.finished =
        QTest::qWaitFor([&program] { return program.state() == QProcess::NotRunning; }, 20000);
    if (!run.finished) {
        program.kill();
        program.waitForFinished();
    }
    run.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.errors = program.readAllStandardError();
    return run;
}

// A runtime folder only this user can reach, for this process and the
// programs it starts, so the sockets of one test meet no others.
class PrivateRuntimeFolder {
public:
    PrivateRuntimeFolder() {
        std::filesystem::permissions(m_folder.path(), std::filesystem::perms::owner_all);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FromPath(m_folder.path())));
    }
    ~PrivateRuntimeFolder() { qunsetenv("XDG_RUNTIME_DIR"); }
    PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
    PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

private:
    TempFolder m_folder;
};

// A main window in a scratch folder that takes lookups from outside as the
// program's does.
struct RunningWindow {
    PrivateRuntimeFolder runtime;
    WindowFixture fixture;
    std::unique_ptr<CLookupDlg> window;
    std::unique_ptr<OutsideLookup> outside;

    RunningWindow() {
        fixture.writeDictionaries({"give up,諦める,,"},
                                  {"take,取る,,tEik", "taken,取られた,take,tEik1n"});
    }
    QString serverName() const { return LookupServerName(fixture.folder.path()); }
    // Makes the window and listens; false when the name could not be had.
    bool start() {
        outside = std::make_unique<OutsideLookup>(serverName());
        window = std::make_unique<CLookupDlg>(fixture.environment());
        outside->attach(*window);
        window->show();
        return outside->isListening();
    }
    QString keyword() const {
        return Control<QComboBox>(*window, res::kIdKeywordBox)->currentText();
    }
    void setKeyword(const QString& text) {
        Control<QComboBox>(*window, res::kIdKeywordBox)->setEditText(text);
    }
    // The program's arguments to look text up in the window's folder.
    QStringList lookupArguments(const QString& text) const {
        return {QStringLiteral("--folder"), FromPath(fixture.folder.path()),
                QStringLiteral("--lookup"), text};
    }
};

}  // namespace pelmio::testing
