#pragma once

#include <optional>

#include <QStringList>

namespace pelmio {

struct CommandLine {
    // Set when the program is done: the usage or the version was printed
    // (0), or the arguments were wrong (2, with a message on stderr).
    std::optional<int> exitCode;
    // --user-data: work in the user's data folder, not the current one.
    bool useUserDataFolder = false;
    // --folder DIR: work in that folder; empty when not given.
    QString folder;
    // --lookup TEXT: the text to look up, in the program already running
    // for the folder where there is one.
    std::optional<QString> lookupText;
    // --lookup-selection: the same with the text selected in any program.
    bool lookupSelection = false;
};

// Reads the program's arguments with QCommandLineParser. Needs only a
// QCoreApplication, so it works where no display can be opened. Qt's own
// window-system options (-platform, -style, ...) are let through for
// QApplication to take.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace pelmio
