// The program's command line as one table: every option `vornelta` takes, the commands
// that run without a window, and what each one runs. The parser (app/CommandLine), the
// help (app/ProgramHelp) and the README's command lines (checked by a test) all read it.
//
// A window-less command is one entry of windowlessCommands(): its option and values, its
// own options, its help in both languages, whether it writes the desk's tables (it then
// waits for the folder lock) and `bind`, which turns the parsed arguments into the run of
// the subsystem's `run…(TDesk&, options, out, err)` or a usage error.
#pragma once

#include "platform/Result.h"

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

namespace vornelta {

class TDesk;
struct TWriteDayOptions;

// A text of the command line in both of its languages.
struct Bilingual {
    QString russian, english;
    const QString& in(bool inRussian) const { return inRussian ? russian : english; }
};

// An option that belongs to one command ("--driver ALPHA|TextLine", "--json"). Only the
// command's own options are known while it is parsed: another command may have an option
// of the same name, with or without a value.
struct CommandOption {
    QString name;    // without the dashes
    Bilingual value; // what its value is called in the help; empty for a switch
};

// How a command uses the program folder.
enum class FolderUse {
    ReadsTables,  // reads whole files (saves are atomic renames): no lock
    WritesTables, // waits for the folder lock, then refuses
};

// A command, bound to its arguments: runs on the open desk and gives the exit code. An
// exception it lets through is reported by the command line's one guard.
using DeskRun = std::function<int(TDesk& desk, QTextStream& out, QTextStream& err)>;

// What a command's bind reads.
struct CommandArguments {
    const QCommandLineParser& parser;
    QStringList values; // the command's values in order (its option's value first)
    bool russian;       // the language of usage errors
};

struct WindowlessCommand {
    QString option;               // without the dashes; its value is the first of `values`
    QList<Bilingual> values;      // at least one: DATE, or FROM TO
    QList<CommandOption> options; // the options only this command takes
    Bilingual help;               // what it does (lines of at most 60 characters)
    FolderUse folder = FolderUse::ReadsTables;
    // The run for these arguments, or the usage error in their language.
    std::function<ValueResult<DeskRun>(const CommandArguments& arguments)> bind;
    // Lays out pages (a PDF): runs with a display, the offscreen one. The others run with
    // no display and no window system at all.
    bool paints = false;
};

// Every window-less command, in the order the help lists them.
const QList<WindowlessCommand>& windowlessCommands();

// The options of --write-day from its arguments, or the usage error.
ValueResult<TWriteDayOptions> writeDayOptions(const CommandArguments& arguments);

// "--write-day DATE [--driver ALPHA|TextLine] [--order date|category]".
QString commandSynopsis(const WindowlessCommand& command, bool russian);

} // namespace vornelta
