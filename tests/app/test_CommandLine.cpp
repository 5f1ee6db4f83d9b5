// The program's command line: one table read by one parser, the help and the README; what
// is refused (exit 2, never the window) and in which language; the folder rule and the
// folder lock as the commands and the window meet them.
#include "app/CommandLine.h"
#include "app/ProgramHelp.h"
#include "app/ProgramStart.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "platform/FolderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace std::chrono_literals;

struct CommandRun {
    std::optional<int> code;
    QString out, err;
};

CommandRun run(const QStringList& arguments, bool russian,
               const QList<WindowlessCommand>& commands = windowlessCommands(),
               std::chrono::milliseconds lockWait = 10s) {
    CommandEnvironment environment;
    environment.executableFolder = QStringLiteral("/nonexistent");
    environment.russian = russian;
    environment.lockWait = lockWait;
    CommandRun r;
    QTextStream out(&r.out), err(&r.err);
    r.code = runWithoutWindow(arguments, environment, out, err, commands);
    return r;
}

bool hasCyrillic(const QString& text) {
    static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
    return text.contains(cyrillic);
}

// A command that writes the desk's tables, as the next ones will: it must wait for the lock.
WindowlessCommand tableWriter(bool* ran) {
    return {QStringLiteral("add-note"),
            {{QStringLiteral("ФАЙЛ"), QStringLiteral("FILE")}},
            {{QStringLiteral("pdf"), {}}},
            {QStringLiteral("добавляет заметку"), QStringLiteral("adds a note")},
            FolderUse::WritesTables,
            [ran](const CommandArguments&) -> ValueResult<DeskRun> {
                return DeskRun([ran](TDesk&, QTextStream&, QTextStream&) {
                    *ran = true;
                    return 0;
                });
            }};
}

TEST(CommandLineRefuses, WrongArgumentsExitTwoWithTheUsageInTheLocalesLanguage) {
    const QStringList cases[] = {
        {"--bogus"},
        {"-bogus"},
        {"stray"},
        {"--folders=/x", "/data/desk"},
        {"--folder"},
        {"--folder", "/x", "--json"},
        {"--database"},
        {"--database", " ", "--period-report", "2026-12-01", "2026-12-02"},
        {"--driver", "ALPHA"},
        {"--write-day", "2026-12-10", "--json"},
        {"--write-day", "2026-12-10", "extra"},
        {"--write-day", "2026-12-10", "--driver", "alpha"},
        {"--write-day", "2026-02-30"},
        {"--write-day", "2026-12-10", "--period-report", "2026-12-01", "2026-12-02"},
        {"--period-report", "2026-12-01"},
        {"--export-realty", "2026-12-01", "2026-12-02", "--pdf", "x.pdf"},
    };
    for (const bool russian : {false, true})
        for (const QStringList& arguments : cases) {
            SCOPED_TRACE((arguments.join(' ') + (russian ? " (ru)" : " (en)")).toStdString());
            const CommandRun r = run(arguments, russian);
            EXPECT_EQ(r.code, std::optional<int>(2)); // nothing means the window opens
            EXPECT_TRUE(r.out.isEmpty());
            const QString problem = r.err.section('\n', 0, 0);
            EXPECT_TRUE(problem.startsWith("vornelta: ")) << r.err.toStdString();
            EXPECT_EQ(hasCyrillic(problem), russian) << problem.toStdString();
            EXPECT_TRUE(r.err.contains(russian ? QStringLiteral("Использование: vornelta")
                                               : QStringLiteral("usage: vornelta")));
            EXPECT_TRUE(r.err.contains(commandSynopsis(windowlessCommands().first(), russian)))
                << r.err.toStdString();
        }
}

TEST(CommandLineAccepts, TheFolderAndQtsOwnOptionsOpenTheWindow) {
    const struct {
        QStringList arguments;
        QString folder; // as the program folder takes it
    } cases[] = {
        {{}, "/opt/vornelta/bin/"},
        {{"--folder", "/data/desk"}, "/data/desk/"},
        {{"--folder=/data/x/../Реклама//"}, QStringLiteral("/data/Реклама/")},
        {{"-style", "fusion", "--folder", "desk"}, QDir::currentPath() + "/desk/"},
        {{"-platform", "offscreen"}, "/opt/vornelta/bin/"},
        {{"--folder="}, "/opt/vornelta/bin/"},
        {{"--folder", "--period-report"}, QDir::currentPath() + "/--period-report/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(c.arguments, false);
        EXPECT_EQ(line.asks, CommandLine::Asks::Window) << line.error.toStdString();
        EXPECT_EQ(ProgramFolder::chosen(line.folder, "/opt/vornelta/bin").path(), c.folder);
    }
}

TEST(CommandLineAccepts, TheDatabaseForTheWindowAndEveryCommand) {
    const QString url = "postgresql://desk@server/vornelta";
    const struct {
        QStringList arguments;
        CommandLine::Asks asks;
        QString database;
    } cases[] = {
        {{"--database", url}, CommandLine::Asks::Window, url},
        {{"--database=" + url, "--folder", "/x"}, CommandLine::Asks::Window, url},
        {{"--database", url, "--period-report", "2026-12-01", "2026-12-02", "--json"},
         CommandLine::Asks::Command,
         url},
        {{"--write-day", "2026-12-10", "--database", url}, CommandLine::Asks::Command, url},
        // A value is never taken for a command.
        {{"--database", "--write-day"}, CommandLine::Asks::Window, "--write-day"},
        {{"--export-realty", "2026-12-01", "2026-12-02"}, CommandLine::Asks::Command, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(c.arguments, false);
        EXPECT_EQ(line.asks, c.asks) << line.error.toStdString();
        EXPECT_EQ(line.database, c.database);
    }
}

TEST(CommandTable, ACommandAddedToTheTableIsParsedHelpedAndItsSharedOptionKept) {
    bool ran = false;
    QList<WindowlessCommand> commands = windowlessCommands();
    commands << tableWriter(&ran);
    for (const bool russian : {false, true}) {
        const QString help = programHelp(russian, commands);
        const QString usage = programUsage(russian, commands);
        for (const WindowlessCommand& command : commands) {
            EXPECT_TRUE(help.contains(commandSynopsis(command, russian))) << help.toStdString();
            EXPECT_TRUE(help.contains(command.help.in(russian).section('\n', 0, 0)));
            EXPECT_TRUE(usage.contains(commandSynopsis(command, russian)));
        }
        EXPECT_TRUE(help.contains(russian ? "--add-note ФАЙЛ [--pdf]" : "--add-note FILE [--pdf]"));
    }
    // --pdf belongs to both commands now.
    EXPECT_EQ(parseCommandLine({"--add-note", "a.txt", "--pdf"}, false, commands).asks,
              CommandLine::Asks::Command);
    const CommandLine report = parseCommandLine(
        {"--period-report", "2026-12-01", "2026-12-31", "--pdf", "r.pdf"}, false, commands);
    EXPECT_EQ(report.asks, CommandLine::Asks::Command) << report.error.toStdString();
    EXPECT_EQ(report.command->option, "period-report");
    EXPECT_FALSE(ran);
}

TEST(CommandTable, TheReadmesCommandLinesAreTheTables) {
    QFile file(QStringLiteral(VORNELTA_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString readme = QString::fromUtf8(file.readAll());
    const QStringList readmeLines = readme.split('\n');
    for (const WindowlessCommand& command : windowlessCommands())
        EXPECT_TRUE(
            readmeLines.contains("    vornelta [--folder DIR] " + commandSynopsis(command, false)))
            << commandSynopsis(command, false).toStdString();

    // Every option a command line of the README names is one the table knows.
    QStringList known = {"folder", "database", "help", "version"};
    for (const WindowlessCommand& command : windowlessCommands()) {
        known << command.option;
        for (const CommandOption& option : command.options)
            known << option.name;
    }
    static const QRegularExpression programLine(QStringLiteral("^    (\\S*/)?vornelta (.*)$"));
    static const QRegularExpression option(QStringLiteral("--([a-z-]+)"));
    int lines = 0;
    for (const QString& line : readmeLines) {
        const QRegularExpressionMatch m = programLine.match(line);
        if (!m.hasMatch()) continue;
        ++lines;
        const QString arguments = m.captured(2).section(QStringLiteral("  #"), 0, 0);
        for (auto it = option.globalMatch(arguments); it.hasNext();) {
            const QString name = it.next().captured(1);
            EXPECT_TRUE(known.contains(name))
                << "--" << name.toStdString() << " in: " << line.toStdString();
        }
    }
    EXPECT_GE(lines, int(windowlessCommands().size()));
}

class FolderRules : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prepareProgramFolder(ProgramFolder(folder.path())));
        TDesk desk{ProgramFolder(folder.path())};
        desk.open(); // the tables, as a first start makes them
    }
    guisupport::TempFolder folder;
};

TEST_F(FolderRules, CommandsRefuseAFolderWithoutData_dAndMakeNothing) {
    const QString missing = folder.file("typo/desk");
    const QString empty = folder.file("empty");
    ASSERT_TRUE(QDir().mkpath(empty));
    for (const QString& path : {missing, empty})
        for (const QStringList& command :
             {QStringList{"--write-day", "2026-12-10"},
              QStringList{"--period-report", "2026-12-01", "2026-12-31"},
              QStringList{"--export-realty", "2026-12-01", "2026-12-31"}}) {
            SCOPED_TRACE((path + ' ' + command.join(' ')).toStdString());
            const CommandRun r = run(QStringList{"--folder", path} << command, false);
            EXPECT_EQ(r.code, std::optional<int>(1));
            EXPECT_TRUE(r.err.contains(ProgramFolder(path).path())) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty());
        }
    EXPECT_FALSE(QFileInfo::exists(folder.file("typo")));
    EXPECT_EQ(QDir(empty).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST_F(FolderRules, ACommandOnAnEncipheredTableFailsRatherThanWaitForAPassword) {
    {
        TDesk desk{ProgramFolder(folder.path())};
        desk.open();
        desk.tData.SetPassword("secret");
        desk.tData.SaveToFile(desk.tData.TablePath());
    }
    // No one can type a password for a command: the program itself, as a script runs it.
    for (const QStringList& command :
         {QStringList{"--write-day", "2026-12-10"},
          QStringList{"--period-report", "2026-12-01", "2026-12-31"}}) {
        SCOPED_TRACE(command.join(' ').toStdString());
        QProcess program;
        program.start(QStringLiteral(VORNELTA_EXECUTABLE),
                      QStringList{"--folder", folder.path()} << command);
        ASSERT_TRUE(program.waitForFinished(60000)) << "waits for a password nobody can type";
        EXPECT_EQ(program.exitCode(), 1);
        const QByteArray error = program.readAllStandardError();
        EXPECT_TRUE(error.contains("tData") || error.contains("data.d")) << error.toStdString();
        EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    }
}

TEST_F(FolderRules, TheWindowAsksBeforeMakingANewFolder) {
    guisupport::ScriptedDialogs dialogs{false};
    Dialogs::setInstance(&dialogs);
    const QString missing = folder.file("new/desk");
    EXPECT_EQ(runDeskWindow(missing, "/nonexistent"), 1);
    Dialogs::setInstance(nullptr);
    ASSERT_EQ(dialogs.questions().size(), 1);
    EXPECT_TRUE(dialogs.questions().first().contains(missing))
        << dialogs.questions().first().toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder.file("new")));
}

TEST_F(FolderRules, WhileTheFolderIsTakenWritersWaitThenRefuseReadersRunAndTheWindowSaysWho) {
    const QString holder = QStringLiteral("компьютер %1, процесс %2")
                               .arg(QSysInfo::machineHostName())
                               .arg(QCoreApplication::applicationPid());
    bool ran = false;
    QList<WindowlessCommand> commands = windowlessCommands();
    commands << tableWriter(&ran);
    const QStringList writer = {"--folder", folder.path(), "--add-note", "a.txt"};
    {
        FolderLock window{ProgramFolder(folder.path())};
        ASSERT_TRUE(window.lock());

        CommandRun r = run(writer, false, commands, 200ms);
        EXPECT_EQ(r.code, std::optional<int>(1));
        EXPECT_TRUE(
            r.err.contains(QStringLiteral("Программа уже открыта на этой папке: ") + holder))
            << r.err.toStdString();
        EXPECT_FALSE(ran);

        for (const QStringList& reader :
             {QStringList{"--write-day", "2026-12-10"},
              QStringList{"--period-report", "2026-12-01", "2026-12-31"}}) {
            r = run(QStringList{"--folder", folder.path()} << reader, false, commands, 200ms);
            EXPECT_EQ(r.code, std::optional<int>(0)) << r.err.toStdString();
        }

        guisupport::ScriptedDialogs dialogs;
        Dialogs::setInstance(&dialogs);
        EXPECT_EQ(runDeskWindow(folder.path(), "/nonexistent"), 1);
        Dialogs::setInstance(nullptr);
        ASSERT_EQ(dialogs.errors().size(), 1);
        EXPECT_TRUE(dialogs.errors().first().contains(holder))
            << dialogs.errors().first().toStdString();
    }
    const CommandRun r = run(writer, false, commands, 200ms);
    EXPECT_EQ(r.code, std::optional<int>(0)) << r.err.toStdString();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(QFileInfo::exists(folder.file(FolderLock::fileName()))); // released
}

} // namespace
