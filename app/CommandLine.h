// Reading the program's command line once, with one QCommandLineParser over the command
// table (app/CommandTable), and running what it asks for when that needs no window:
//   --help, --version         the text, exit 0
//   a usage error             the problem and the usage on standard error, exit 2 (an
//                             unknown option too: it never opens the window)
//   a window-less command     exit 0, or 1 with the reason on standard error
// The language of help and usage errors is the caller's (the locale's); failures of a
// command are in the desk's language.
#pragma once

#include "app/CommandTable.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class QTextStream;

namespace pgstore {
struct PgSaveHooks;
}

namespace vornelta {

struct CommandLine {
    enum class Asks { Window, Help, Version, Command, UsageError };
    Asks asks = Asks::Window;
    QString folder;   // --folder's value; empty: the default folder
    QString database; // --database's value; empty: config.INI's, or the folder's files
    const WindowlessCommand* command = nullptr; // when it asks for a command
    DeskRun run;                                // that command bound to its arguments
    QString error;                              // the usage error
};

// The arguments without the program name.
CommandLine parseCommandLine(const QStringList& arguments, bool russian,
                             const QList<WindowlessCommand>& commands = windowlessCommands());

// What the program needs to run a command.
struct CommandEnvironment {
    QString executableFolder; // for the default program folder
    QString version;
    bool russian = false;
    // How long a command that writes the tables waits for the folder lock.
    std::chrono::milliseconds lockWait = std::chrono::seconds(10);
    // A command has nobody to ask whether to try a lost database again: it tries this many
    // times, this far apart, before it gives up. So a short outage passes, and a save whose
    // answer was lost is looked up (never saved twice) rather than reported unknown.
    int databaseRetries = 3;
    std::chrono::milliseconds databaseRetryPause = std::chrono::seconds(1);
    // Tests: what happens around the commit of a command's save to the database.
    const pgstore::PgSaveHooks* databaseSaveHooks = nullptr;
};

// Answers help, version and usage errors (no application object needed); nothing when
// the command line asks for a command or the window.
std::optional<int> answerWithoutDesk(const CommandLine& line, const CommandEnvironment& environment,
                                     QTextStream& out, QTextStream& err);

// Runs the command the line asks for: the program folder must hold data.d (a window-less
// command never makes a program folder) unless the tables are in a database; a command
// that writes the folder's tables takes the folder lock; the desk is opened as at a normal start.
// Every exception ends here, as one line on err and exit 1.
int runWindowlessCommand(const CommandLine& line, const CommandEnvironment& environment,
                         QTextStream& out, QTextStream& err);

// The whole of the above for a command line: nothing when it asks for the window.
std::optional<int>
runWithoutWindow(const QStringList& arguments, const CommandEnvironment& environment,
                 QTextStream& out, QTextStream& err,
                 const QList<WindowlessCommand>& commands = windowlessCommands());

} // namespace vornelta
