#include <filesystem>
#include <utility>
#include <vector>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/lookup_app.h"
#include "app/user_data_folder.h"
#include "desktop/data_folders.h"
#include "lookup/lookup_session.h"
#include "res/dialog_templates.h"
#include "res/version.h"
#include "ui/codec.h"
#include "ui/lookup_client.h"
#include "ui/lookup_server.h"
#include "ui/program_icon.h"
#include "ui/selection_reader.h"

namespace {

void SetApplicationFacts() {
    QCoreApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELMIO_VERSION));
}

// Ends the program once a window has painted, so start-up can be timed from
// outside: set PELMIO_EXIT_AFTER_FIRST_PAINT. The moment of the paint goes
// to stderr (steady clock, nanoseconds), as ending takes time of its own.
class ExitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::fprintf(stderr, "pelmio: first paint at %lld ns\n",
                         static_cast<long long>(
                             std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            qApp->removeEventFilter(this);
        }
        return false;
    }
};

// Qt's messages while it connects to the window system: kept until it is
// known whether it could, so a missing display gives one clear line, not
// Qt's advice on plug-ins followed by abort().
std::vector<std::pair<QtMsgType, QString>> g_startMessages;
QtMessageHandler g_qtHandler = nullptr;

void OnMessageWhileConnecting(QtMsgType type, const QMessageLogContext& context,
                              const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(
            "pelmio: cannot open a window: no display could be reached (check DISPLAY or "
            "WAYLAND_DISPLAY)\n",
            stderr);
        std::_Exit(1);
    }
    (void)context;
    g_startMessages.emplace_back(type, text);
}

// Hands the kept messages on to Qt's own output, now that start-up went on.
void StopKeepingMessages() {
    qInstallMessageHandler(g_qtHandler);
    for (const auto& [type, text] : g_startMessages) {
        if (g_qtHandler != nullptr) {
            g_qtHandler(type, QMessageLogContext(), text);
        } else {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        }
    }
    g_startMessages.clear();
}

}  // namespace

int main(int argc, char* argv[]) {
    // The arguments are read before any window system is needed, so
    // --help, --version and a wrong option work without a display.
    pelmio::CommandLine commandLine;
    {
        int count = argc;
        std::vector<char*> arguments(argv, argv + argc);
        const QCoreApplication core(count, arguments.data());
        SetApplicationFacts();
        commandLine = pelmio::ParseCommandLine(QCoreApplication::arguments());
    }
    if (commandLine.exitCode) {
        return *commandLine.exitCode;
    }

    g_qtHandler = qInstallMessageHandler(OnMessageWhileConnecting);
    QApplication application(argc, argv);
    StopKeepingMessages();
    SetApplicationFacts();
    // Names the launcher, so the desktop matches the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(PELMIO_APP_ID));
    QApplication::setWindowIcon(pelmio::ProgramIcon());
    std::filesystem::path folder = ".";
    std::vector<std::filesystem::path> dictionaries;  // the folder's own
    bool useUserDataFolder = commandLine.useUserDataFolder;
    // Started from a terminal in some other folder: the installed
    // dictionary, not an empty window and stray files in that folder.
    const bool chosenForUser =
        !useUserDataFolder && commandLine.folder.isEmpty() &&
        pelmio::StartsInUserDataFolder(folder, pelmio::InstalledDataFolder());
    if (!commandLine.folder.isEmpty()) {
        folder = pelmio::ToPath(commandLine.folder);
    } else if (useUserDataFolder || chosenForUser) {
        const std::optional<pelmio::UserFolderResult> userFolder = pelmio::OpenUserDataFolder();
        if (!userFolder) {
            return 1;
        }
        folder = userFolder->folder;
        dictionaries = userFolder->dictionaries;
        if (chosenForUser) {
            std::fprintf(stderr,
                         "pelmio: no dictionary in the current folder: using the installed one and "
                         "the user's data folder %s, as --user-data does (--folder . keeps to "
                         "this folder)\n",
                         pelmio::FromPath(folder).toLocal8Bit().constData());
        }
    }
    // A lookup goes to the program already running for the folder, if any.
    const QString serverName = pelmio::LookupServerName(folder);
    QString lookupText;
    if (commandLine.lookupText || commandLine.lookupSelection) {
        // Cut as the search reads it, a selection too: the running program
        // refuses a request past its bound, and this one would then open a
        // window of its own.
        lookupText = pelmio::CutToCp932Bytes(
            commandLine.lookupSelection ? pelmio::SelectedLookupText(*QGuiApplication::clipboard())
                                        : *commandLine.lookupText,
            pelmio::LookupSession::kSearchedKeywordBytes);
        if (pelmio::DeliverLookup(serverName, lookupText) == pelmio::Delivery::Delivered) {
            return 0;
        }
    }
    if (std::getenv("PELMIO_EXIT_AFTER_FIRST_PAINT") != nullptr) {
        application.installEventFilter(new ExitAfterFirstPaint(&application));
    }
    pelmio::CLookupApp app(folder, dictionaries, serverName, lookupText);
    app.InitInstance();
    return QApplication::exec();
}
