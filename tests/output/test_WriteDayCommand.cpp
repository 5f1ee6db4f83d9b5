// `--write-day`: its options, and the day written without a window as "Вывести" writes it.
#include "app/CommandLine.h"
#include "output/DayOutput.h"
#include "output/ScriptWriter.h"
#include "output/TextLineListWriter.h"
#include "output/WriteDayCommand.h"

#include "output/OutputDesk.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace outputtest;
using guisupport::cp1251;
using guisupport::readBytes;

// The --write-day options the program's command line gives, through the command table.
std::optional<TWriteDayOptions> parseWriteDayOptions(const QStringList& arguments, QString* error) {
    QList<WindowlessCommand> commands = windowlessCommands();
    std::optional<TWriteDayOptions> options;
    for (WindowlessCommand& command : commands)
        if (command.option == QLatin1String("write-day"))
            command.bind = [&](const CommandArguments& a) -> ValueResult<DeskRun> {
                ValueResult<TWriteDayOptions> read = writeDayOptions(a);
                if (!read) return read.status();
                options = read.value();
                return DeskRun();
            };
    const CommandLine line = parseCommandLine(arguments, false, commands);
    *error = line.error;
    if (line.asks != CommandLine::Asks::Command) return std::nullopt;
    return options;
}

bool asksForWriteDay(const QStringList& arguments) {
    const CommandLine line = parseCommandLine(arguments, false);
    return line.command && line.command->option == QLatin1String("write-day");
}

TEST(WriteDayOptionsTest, ReadsTheOptionsAndRefusesWhatItDoesNotKnow) {
    struct Case {
        QStringList args;
        bool ok;
        QDate day;
        QString driver;
        TDayOrder order;
    };
    const Case cases[] = {
        {{"--write-day", "2026-12-10"}, true, QDate(2026, 12, 10), "ALPHA", TDayOrder::None},
        {{"--folder", "/x", "--write-day=10.12.2026", "--driver", "TextLine", "--order",
          "category"},
         true,
         QDate(2026, 12, 10),
         "TextLine",
         TDayOrder::ByCategory},
        {{"--write-day", "2026-12-10", "--order=date", "--folder=/x"},
         true,
         QDate(2026, 12, 10),
         "ALPHA",
         TDayOrder::ByDate},
        {{"--write-day", "2026-02-30"}, false, {}, {}, TDayOrder::None},
        {{"--write-day"}, false, {}, {}, TDayOrder::None},
        {{"--write-day", "2026-12-10", "--driver", "alpha"}, false, {}, {}, TDayOrder::None},
        {{"--write-day", "2026-12-10", "--order", "id"}, false, {}, {}, TDayOrder::None},
        {{"--write-day", "2026-12-10", "--verbose"}, false, {}, {}, TDayOrder::None},
        {{"--driver", "ALPHA"}, false, {}, {}, TDayOrder::None},
    };
    for (const Case& c : cases) {
        QString error;
        const auto options = parseWriteDayOptions(c.args, &error);
        ASSERT_EQ(options.has_value(), c.ok) << c.args.join(' ').toStdString();
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        EXPECT_EQ(options->day, c.day);
        EXPECT_EQ(options->driver, c.driver);
        EXPECT_EQ(options->order, c.order);
    }
    EXPECT_TRUE(asksForWriteDay({"--folder", "x", "--write-day=2026-12-10"}));
    EXPECT_FALSE(asksForWriteDay({"--folder", "x"}));
}

class WriteDayCommandTest : public ::testing::Test {
protected:
    WriteDayCommandTest()
        : f({{1, QDate(2026, 12, 3), QStringLiteral("УСЛУГИ"), QStringLiteral("Ремонт"), {kDay}},
             {2, QDate(2026, 12, 1), QStringLiteral("ПРОЧЕЕ"), QStringLiteral("Продам"), {kDay}},
             {3,
              QDate(2026, 12, 2),
              QStringLiteral("АВТОТРАНСПОРТ"),
              QStringLiteral("Куплю"),
              {kDay}}}) {}

    int run(const TWriteDayOptions& options) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return runWriteDay(*f.desk, options, o, e);
    }
    QString textPath() const {
        return f.folder.file(QStringLiteral("Тексты/Вывод текста 10.12.2026.txt"));
    }

    DeskFixture f;
    QString out, err;
};

TEST_F(WriteDayCommandTest, WritesTheSortedDayAndPrintsEachPath) {
    const QString drive = f.insertDiskette();
    EXPECT_EQ(run({kDay, kDriverTextLine, TDayOrder::ByCategory}), 0) << err.toStdString();
    const QString tvl = QDir(drive).filePath(QStringLiteral("tvl_10_12.tvl"));
    EXPECT_EQ(out, textPath() + QLatin1Char('\n') + tvl + QLatin1Char('\n'));
    EXPECT_TRUE(err.isEmpty());
    TDayRow a, b, c;
    a.text = QStringLiteral("Куплю");
    b.text = QStringLiteral("Продам");
    c.text = QStringLiteral("Ремонт");
    EXPECT_EQ(readBytes(tvl),
              cp1251(textLineListLines({a, b, c}, QStringLiteral("Начало"), QStringLiteral("Конец"))
                         .join(QStringLiteral("\r\n")) +
                     QStringLiteral("\r\n")));

    // No order asked for: the fill order; ALPHA when no driver is given.
    EXPECT_EQ(run({kDay, kDriverAlpha, TDayOrder::None}), 0);
    EXPECT_TRUE(out.endsWith(QStringLiteral("scr_10_12.sc\n")));
    const std::string text = readBytes(textPath());
    EXPECT_LT(text.find(cp1251(QStringLiteral("Ремонт"))),
              text.find(cp1251(QStringLiteral("Продам"))));
}

TEST_F(WriteDayCommandTest, LostAnnouncementIsReportedAndSkippedAndFailuresExitWithOne) {
    ASSERT_TRUE(locateAnnouncement(*f.desk, 2));
    f.desk->tData.Delete();
    // No diskette: the text file is written, then the failure.
    EXPECT_EQ(run({kDay, kDriverAlpha, TDayOrder::None}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("ERROR")));
    EXPECT_TRUE(err.contains(QStringLiteral("A:")));
    EXPECT_EQ(out, textPath() + QLatin1Char('\n'));
    EXPECT_EQ(readBytes(textPath()).find(cp1251(QStringLiteral("Продам"))), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(f.desk->drives.folderFor(QStringLiteral("A:"))));

    // An empty day writes nothing and says so; it is no failure.
    QFile::remove(textPath());
    EXPECT_EQ(run({QDate(2027, 1, 1), kDriverAlpha, TDayOrder::None}), 0);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(textPath()));
}

TEST(WriteDayNames, TheFilesAreNamedByTheBroadcastDayAndTodaysAreLeftAlone) {
    const QDate broadcast(2027, 3, 5);
    DeskFixture f(
        {{1, QDate(2027, 3, 1), QStringLiteral("УСЛУГИ"), QStringLiteral("Ремонт"), {broadcast}}});
    const QString drive = f.insertDiskette();
    // The files of the day on air, as the window wrote them today.
    const QDate today = QDate::currentDate();
    const QString todaysText = f.folder.file(QStringLiteral("Тексты/") + plainTextFileName(today));
    const QString todaysScript = QDir(drive).filePath(titlingScriptFileName(today));
    for (const QString& path : {todaysText, todaysScript})
        guisupport::writeBytes(path, "on air");

    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runWriteDay(*f.desk, {broadcast, kDriverAlpha, TDayOrder::None}, o, e), 0)
        << err.toStdString();
    const QString text = f.folder.file(QStringLiteral("Тексты/Вывод текста 05.03.2027.txt"));
    const QString script = QDir(drive).filePath(QStringLiteral("scr_5_3.sc"));
    EXPECT_EQ(out, text + QLatin1Char('\n') + script + QLatin1Char('\n'));
    EXPECT_TRUE(QFileInfo::exists(text));
    EXPECT_TRUE(QFileInfo::exists(script));
    for (const QString& path : {todaysText, todaysScript})
        EXPECT_EQ(readBytes(path), "on air") << path.toStdString();
}

} // namespace
