#include "app/CommandLine.h"

#include "app/ProgramHelp.h"
#include "desk/DamagedTable.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "platform/ErrorGuard.h"
#include "platform/FolderLock.h"
#include "platform/ProgramFolder.h"
#include "tables/defs/TableDefinitions.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <thread>

namespace vornelta {

namespace {

const QString kFolder = QStringLiteral("folder");
const QString kDatabase = QStringLiteral("database");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

// The options QApplication takes for itself ("-platform offscreen", "-style fusion"):
// known here so that they are not refused, left for QApplication to read.
const QStringList kQtValueOptions = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("style"),
    QStringLiteral("stylesheet"),      QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
};
const QStringList kQtSwitches = {QStringLiteral("reverse"), QStringLiteral("widgetcount")};

// The argument as it was typed for an option the parser names without dashes.
QString typed(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        QString bare = argument;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (bare.section(QLatin1Char('='), 0, 0) == name) return argument;
    }
    return QStringLiteral("--") + name;
}

QString unexpected(const QString& argument, bool russian) {
    return russian ? QStringLiteral("Неизвестный параметр «%1»").arg(argument)
                   : QStringLiteral("unexpected argument: %1").arg(argument);
}

QString joinedValues(const WindowlessCommand& command, bool russian) {
    QStringList names;
    for (const Bilingual& value : command.values)
        names << value.in(russian);
    return names.join(russian ? QStringLiteral(" и ") : QStringLiteral(" and "));
}

// The commands the arguments ask for, before parsing: the parser then knows the options of
// that command only, so two commands may each have an option of the same name and shape of
// its own, and another command's option is refused as unknown. The values of --folder and
// of Qt's options are skipped (a folder may be called "--write-day").
QList<const WindowlessCommand*> commandsAskedFor(const QStringList& arguments,
                                                 const QList<WindowlessCommand>& commands) {
    QList<const WindowlessCommand*> asked;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) break;
        QString bare = argument;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (bare.size() == argument.size()) continue; // a value, not an option
        if (bare == kFolder || bare == kDatabase || kQtValueOptions.contains(bare)) {
            ++i;
            continue;
        }
        for (const WindowlessCommand& command : commands)
            if (argument == QStringLiteral("--") + command.option ||
                argument.startsWith(QStringLiteral("--") + command.option + QLatin1Char('=')))
                asked << &command;
    }
    return asked;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, bool russian,
                             const QList<WindowlessCommand>& commands) {
    CommandLine line;
    const auto usageError = [&](const QString& problem) {
        line.asks = CommandLine::Asks::UsageError;
        line.error = problem;
        line.command = nullptr;
        line.run = {};
        return line;
    };

    const QList<const WindowlessCommand*> asked = commandsAskedFor(arguments, commands);
    if (asked.size() > 1 && asked[0] != asked[1])
        return usageError(russian ? QStringLiteral("Только одна команда за раз: --%1 и --%2")
                                        .arg(asked[0]->option, asked[1]->option)
                                  : QStringLiteral("one command at a time: --%1 and --%2")
                                        .arg(asked[0]->option, asked[1]->option));
    line.command = asked.value(0);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // The options of every start, the window's and the commands' alike, kept in CommandLine
    // and told in programHelp.
    parser.addOption({kFolder, QString(), QStringLiteral("DIR")});
    parser.addOption({kDatabase, QString(), QStringLiteral("URL")});
    parser.addOption({{QStringLiteral("h"), kHelp}, QString()});
    parser.addOption({kVersion, QString()});
    for (const QString& name : kQtValueOptions)
        parser.addOption({name, QString(), QStringLiteral("VALUE")});
    for (const QString& name : kQtSwitches)
        parser.addOption({name, QString()});
    if (line.command) {
        parser.addOption({line.command->option, QString(), line.command->values.first().english});
        for (const CommandOption& option : line.command->options)
            parser.addOption({option.name, QString(), option.value.english});
    }

    const bool parsed = parser.parse(QStringList{QStringLiteral("vornelta")} + arguments);
    // Help and version are answered whatever else the line holds.
    if (parser.isSet(kHelp)) {
        line.asks = CommandLine::Asks::Help;
        return line;
    }
    if (parser.isSet(kVersion)) {
        line.asks = CommandLine::Asks::Version;
        return line;
    }
    if (!parsed) {
        if (!parser.unknownOptionNames().isEmpty())
            return usageError(
                unexpected(typed(arguments, parser.unknownOptionNames().first()), russian));
        // The only other failure: a value option last, without its value.
        const QString last = arguments.isEmpty() ? QString() : arguments.last();
        return usageError(russian ? QStringLiteral("%1: не указано значение").arg(last)
                                  : QStringLiteral("%1 needs a value").arg(last));
    }
    line.folder = parser.value(kFolder);
    line.database = parser.value(kDatabase).trimmed();
    if (parser.isSet(kDatabase) && line.database.isEmpty())
        return usageError(russian ? QStringLiteral("--database: не указан адрес базы данных")
                                  : QStringLiteral("--database needs a URL"));

    const QStringList positional = parser.positionalArguments();
    if (!line.command) {
        if (!positional.isEmpty()) return usageError(unexpected(positional.first(), russian));
        return line; // the window
    }

    const WindowlessCommand& command = *line.command;
    const QStringList values = QStringList{parser.value(command.option)} + positional;
    if (values.size() < command.values.size())
        return usageError(russian ? QStringLiteral("--%1: укажите %2")
                                        .arg(command.option, joinedValues(command, true))
                                  : QStringLiteral("--%1 needs %2")
                                        .arg(command.option, joinedValues(command, false)));
    if (values.size() > command.values.size())
        return usageError(unexpected(values.at(command.values.size()), russian));
    ValueResult<DeskRun> run = command.bind({parser, values, russian});
    if (!run) return usageError(run.error());
    line.asks = CommandLine::Asks::Command;
    line.run = std::move(run).value();
    return line;
}

std::optional<int> answerWithoutDesk(const CommandLine& line, const CommandEnvironment& environment,
                                     QTextStream& out, QTextStream& err) {
    switch (line.asks) {
    case CommandLine::Asks::Help:
        out << programHelp(environment.russian);
        out.flush();
        return 0;
    case CommandLine::Asks::Version:
        out << programVersion(environment.version, environment.russian);
        out.flush();
        return 0;
    case CommandLine::Asks::UsageError:
        err << QStringLiteral("vornelta: ") << line.error << '\n'
            << programUsage(environment.russian);
        err.flush();
        return 2;
    case CommandLine::Asks::Window:
    case CommandLine::Asks::Command:
        break;
    }
    return std::nullopt;
}

int runWindowlessCommand(const CommandLine& line, const CommandEnvironment& environment,
                         QTextStream& out, QTextStream& err) {
    const auto fail = [&](const QString& reason) {
        err << reason << '\n';
        err.flush();
        return 1;
    };
    const ProgramFolder folder = ProgramFolder::chosen(line.folder, environment.executableFolder);
    // The tables are in a database when one is named here or in config.INI.
    TSettings configured;
    LoadConfig(folder.file(kConfigFileName), configured);
    const bool onDatabase = !line.database.isEmpty() || !configured.DatabaseUrl.isEmpty();
    // A mistyped --folder must not become a new, empty desk that "has no announcements".
    if (!onDatabase && !QFileInfo(folder.file(QString::fromLatin1(kAnnouncementFileName))).isFile())
        return fail(QStringLiteral("В папке «%1» нет таблицы %2: это не папка программы.")
                        .arg(QDir::toNativeSeparators(folder.path()),
                             QString::fromLatin1(kAnnouncementFileName)));
    if (onDatabase && !QFileInfo(folder.path()).isDir())
        return fail(QStringLiteral("Папки «%1» нет: это не папка программы.")
                        .arg(QDir::toNativeSeparators(folder.path())));
    // Several counters save to one database at once, each in its own transaction: the
    // folder lock guards the folder's table files only.
    std::optional<FolderLock> lock;
    if (line.command->folder == FolderUse::WritesTables && !onDatabase) {
        lock.emplace(folder);
        if (const Result locked = lock->lock(environment.lockWait); !locked)
            return fail(locked.error());
    }
    if (const Result prepared = prepareProgramFolder(folder); !prepared)
        return fail(prepared.error());
    return runCommandGuarded(err, [&] {
        TDesk desk(folder);
        desk.setDatabaseUrl(line.database);
        int retries = 0;
        desk.askToRetry = [&](const QString&) {
            if (retries++ >= environment.databaseRetries) return false;
            std::this_thread::sleep_for(environment.databaseRetryPause);
            return true;
        };
        desk.databaseSaveHooks = environment.databaseSaveHooks;
        if (const Result opened = openDeskOrRestore(desk, nullptr); !opened) {
            err << opened.error() << '\n';
            err.flush();
            return 1;
        }
        return line.run(desk, out, err);
    });
}

std::optional<int> runWithoutWindow(const QStringList& arguments,
                                    const CommandEnvironment& environment, QTextStream& out,
                                    QTextStream& err, const QList<WindowlessCommand>& commands) {
    const CommandLine line = parseCommandLine(arguments, environment.russian, commands);
    if (const std::optional<int> code = answerWithoutDesk(line, environment, out, err)) return code;
    if (line.asks == CommandLine::Asks::Window) return std::nullopt;
    return runWindowlessCommand(line, environment, out, err);
}

} // namespace vornelta
