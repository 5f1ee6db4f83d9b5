// The commands without a window as a script calls them: arguments, exit codes, what goes
// to standard output and standard error.
#include "reports/PeriodTestData.h"

#include "app/CommandLine.h"
#include "platform/CommandDate.h"
#include "reports/PeriodTotals.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace periodtest;

struct CommandRun {
    int code = -1;
    QString out, err;
};

// Whether the command line is one the window does not open for.
bool hasDeskCommand(const QStringList& arguments) {
    return parseCommandLine(arguments, false).asks != CommandLine::Asks::Window;
}

std::optional<int> runDeskCommand(const QStringList& arguments, const QString& executableFolder,
                                  QTextStream& out, QTextStream& err) {
    CommandEnvironment environment;
    environment.executableFolder = executableFolder;
    return runWithoutWindow(arguments, environment, out, err);
}

TEST(DeskCommandDates, BothFormsAndNothingElse) {
    EXPECT_EQ(parseCommandDay("2026-12-31"), day(2026, 12, 31));
    EXPECT_EQ(parseCommandDay("31.12.2026"), day(2026, 12, 31));
    EXPECT_EQ(parseCommandDay("01.02.2024"), day(2024, 2, 1));
    for (const char* bad : {"", "2026-02-30", "31.12.26", "12/31/2026", "2026-12-31x", "today"})
        EXPECT_FALSE(parseCommandDay(QString::fromLatin1(bad))) << bad;
}

class DeskCommandsTest : public DeskFixture {
protected:
    void SetUp() override {
        DeskFixture::SetUp();
        addAnnouncement(*desk, 1, {day(2026, 12, 1), "ФИЗЛИЦА", "НАЛИЧНЫЙ", "ПРОЧЕЕ", 4, 1000});
        addAnnouncement(*desk, 2, {day(2026, 12, 31), "ЮРЛИЦА", "БЕЗНАЛИЧНЫЙ", "УСЛУГИ", 6, 234.5});
        addAnnouncement(*desk, 3, {day(2027, 1, 1), "ЮРЛИЦА", "БЕЗНАЛИЧНЫЙ", "УСЛУГИ", 6, 1});
        addRealtyRow(*desk, {day(2026, 12, 2), "СДАМ", "", "Сдам квартиру"});
        saveTable(desk->tData);
        saveTable(desk->tRielt);
        desk.reset();
    }

    CommandRun run(QStringList arguments) {
        arguments.prepend(folder.path());
        arguments.prepend("--folder");
        CommandRun r;
        QTextStream out(&r.out), err(&r.err);
        const std::optional<int> code =
            runDeskCommand(arguments, QStringLiteral("/nonexistent"), out, err);
        EXPECT_TRUE(code.has_value());
        r.code = code.value_or(-1);
        return r;
    }
};

TEST_F(DeskCommandsTest, PeriodReportAsJsonHoldsTheReportsTextsInOrder) {
    const CommandRun r = run({"--period-report", "2026-12-01", "31.12.2026", "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_TRUE(r.out.endsWith("}\n"));
    const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(json.keys().size(), 26);
    EXPECT_EQ(json.value("interval").toString(), QStringLiteral("с 01.12.2026 по 31.12.2026"));
    EXPECT_EQ(json.value("vskol").toString(), "2");
    EXPECT_EQ(json.value("vsslov").toString(), "10");
    EXPECT_EQ(json.value("vssum").toString(), "1234,5");
    EXPECT_EQ(json.value("katursum").toString(), "234,5");
    EXPECT_EQ(json.value("koussum").toString(), "234,5");
    EXPECT_EQ(json.value("spbeskol").toString(), "0");
    // Members in the report's order.
    qsizetype at = -1;
    for (const QString& name : periodReportObjectNames()) {
        const qsizetype next = r.out.indexOf("\"" + name + "\":");
        EXPECT_GT(next, at) << name.toStdString();
        at = next;
    }
}

TEST_F(DeskCommandsTest, PeriodReportWithoutJsonPrintsOneLinePerObject) {
    const CommandRun r = run({"--period-report", "2026-12-31", "2026-12-31"});
    ASSERT_EQ(r.code, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 26);
    EXPECT_EQ(lines[1], "vskol\t1");
    EXPECT_EQ(lines[3], QStringLiteral("vssum\t234,5"));
}

TEST_F(DeskCommandsTest, ExportRealtyWritesTheTransferFile) {
    ASSERT_TRUE(QDir().mkpath(folder.file("A")));
    const CommandRun r = run({"--export-realty", "01.12.2026", "2026-12-02"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString path = QDir(folder.file("A")).filePath("transfer.d");
    EXPECT_EQ(r.out, QDir::toNativeSeparators(path) + "\t1\n");
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(DeskCommandsTest, FailuresExitOneAndUsageErrorsExitTwo) {
    // No folder for drive A:.
    CommandRun r = run({"--export-realty", "2026-12-01", "2026-12-02"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("transfer.d"));
    EXPECT_TRUE(r.out.isEmpty());

    struct Case {
        QStringList arguments;
        const char* says;
    };
    for (const Case& c :
         {Case{{"--period-report", "2026-12-01"}, "FROM and TO"},
          Case{{"--period-report", "2026-13-01", "2026-12-02"}, "not a date"},
          Case{{"--export-realty", "2026-12-01", "tomorrow"}, "not a date"},
          Case{{"--period-report", "2026-12-01", "2026-12-02", "--pdf"}, "--pdf"},
          Case{{"--export-realty", "2026-12-01", "2026-12-02", "--json"}, "unexpected"},
          Case{{"--period-report", "2026-12-01", "2026-12-02", "--xml"}, "unexpected"}}) {
        r = run(c.arguments);
        EXPECT_EQ(r.code, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("usage:"));
    }
    // A folder whose tables cannot be read.
    guisupport::writeBytes(folder.file("data.d"), "not a table");
    r = run({"--period-report", "2026-12-01", "2026-12-02"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
}

TEST(DeskCommandsPresence, OnlyTheseCommandsAreTaken) {
    EXPECT_TRUE(hasDeskCommand({"--folder", "/x", "--period-report", "a", "b"}));
    EXPECT_TRUE(hasDeskCommand({"--export-realty"}));
    EXPECT_FALSE(hasDeskCommand({"--folder", "--period-report"})); // a folder of that name
    EXPECT_FALSE(hasDeskCommand({}));
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_FALSE(runDeskCommand({"--folder", "/x"}, "/x", o, e).has_value());
}

} // namespace
