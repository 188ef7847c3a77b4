#include "app/command_line.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace pelmio {

namespace {

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// What QGuiApplication and QApplication read from the command line
// themselves; accepted here, hidden from the usage, and left to them.
void AddQtOptions(QCommandLineParser& parser) {
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name",
          "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are written with one dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Looks up English words and phrases, with a Japanese interface.\n"
        "Started without options, Pelmio reads and writes its files in the current folder;\n"
        "where that folder holds no dictionary and one is installed, it works as\n"
        "--user-data does."));
    // Not addHelpOption(): its --help-all would list options of Qt's that
    // this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption userData(
        QStringLiteral("user-data"),
        QStringLiteral("Keep the history, the settings and the options in the user's data "
                       "folder, $XDG_DATA_HOME/pelmio (default ~/.local/share/pelmio), and read "
                       "the installed dictionary, unless the user put their own there."));
    parser.addOption(userData);
    const QCommandLineOption folder(
        QStringLiteral("folder"),
        QStringLiteral("Read and write the files in <DIR>, dictionaries included."),
        QStringLiteral("DIR"));
    parser.addOption(folder);
    const QCommandLineOption lookup(
        QStringLiteral("lookup"),
        QStringLiteral("Look <TEXT> up: in the Pelmio already running for the same folder, whose "
                       "window comes to the front, or else in a new one."),
        QStringLiteral("TEXT"));
    parser.addOption(lookup);
    const QCommandLineOption lookupSelection(
        QStringLiteral("lookup-selection"),
        QStringLiteral("Look up the first line of the text selected in any program (the primary "
                       "selection where there is one, else the clipboard), as --lookup does."));
    parser.addOption(lookupSelection);
    AddQtOptions(parser);

    CommandLine result;
    if (!parser.parse(arguments)) {
        Print(stderr, QStringLiteral("pelmio: %1\nTry 'pelmio --help'.\n").arg(parser.errorText()));
        result.exitCode = 2;
        return result;
    }
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        result.exitCode = 0;
        return result;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        result.exitCode = 0;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Print(stderr, QStringLiteral("pelmio: unexpected argument '%1'\nTry 'pelmio --help'.\n")
                          .arg(parser.positionalArguments().constFirst()));
        result.exitCode = 2;
        return result;
    }
    result.useUserDataFolder = parser.isSet(userData);
    const auto fail = [&result](const QString& message) {
        Print(stderr, QStringLiteral("pelmio: %1\nTry 'pelmio --help'.\n").arg(message));
        result.exitCode = 2;
    };
    result.lookupSelection = parser.isSet(lookupSelection);
    if (parser.isSet(lookup)) {
        result.lookupText = parser.value(lookup);
        if (result.lookupSelection) {
            fail(QStringLiteral("--lookup and --lookup-selection name two texts; give one."));
            return result;
        }
    }
    if (parser.isSet(folder)) {
        result.folder = parser.value(folder);
        if (result.useUserDataFolder) {
            fail(QStringLiteral("--folder and --user-data name two folders; give one."));
        } else if (!QFileInfo(result.folder).isDir()) {
            fail(QStringLiteral("--folder: '%1' is not a folder.").arg(result.folder));
        }
    }
    return result;
}

}  // namespace pelmio
