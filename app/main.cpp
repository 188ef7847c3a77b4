#include <filesystem>
#include <vector>

#include <QApplication>

#include "app/command_line.h"
#include "app/lookup_app.h"
#include "app/user_data_folder.h"
#include "res/dialog_templates.h"
#include "res/version.h"
#include "ui/program_icon.h"

namespace {

void SetApplicationFacts() {
    QCoreApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELMIO_VERSION));
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

    QApplication application(argc, argv);
    SetApplicationFacts();
    // Names the launcher, so the desktop matches the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(PELMIO_APP_ID));
    QApplication::setWindowIcon(pelmio::ProgramIcon());
    std::filesystem::path folder = ".";
    if (commandLine.useUserDataFolder) {
        const std::optional<std::filesystem::path> userFolder = pelmio::OpenUserDataFolder();
        if (!userFolder) {
            return 1;
        }
        folder = *userFolder;
    }
    pelmio::CLookupApp app(folder);
    if (!app.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
