// Run dates: the interval fill, calendar paging, the short date entries, and an
// announcement written to data.d and dates.d — including files that cannot be written.
#include "IntakeFixture.h"
#include "app/DeleteAnnouncement.h"

#include "intake/Announcement.h"
#include "intake/RunDates.h"
#include "tables/AnnouncementTables.h"

#include <QDir>
#include <QFile>

using namespace intaketest;

namespace {

struct IntervalCase {
    QDate from, to;
    QList<QDate> days;
};

TEST(RunDates, IntervalRunsForwardFromTheFirstDayWithoutTheLast) {
    const QDate june1(2004, 6, 1);
    const std::vector<IntervalCase> cases = {
        {june1,
         QDate(2004, 6, 6),
         {june1, QDate(2004, 6, 2), QDate(2004, 6, 3), QDate(2004, 6, 4), QDate(2004, 6, 5)}},
        {june1, june1, {}}, // equal: nothing
        {june1,
         QDate(2004, 5, 30),
         {june1, QDate(2004, 6, 2)}}, // "to" before "from": still forward
        {QDate(2004, 2, 28),
         QDate(2004, 3, 2),
         {QDate(2004, 2, 28), QDate(2004, 2, 29), QDate(2004, 3, 1)}},
        {QDate(2026, 12, 31), QDate(2027, 1, 2), {QDate(2026, 12, 31), QDate(2027, 1, 1)}},
    };
    for (const IntervalCase& c : cases)
        EXPECT_EQ(intervalDays(c.from, c.to), c.days)
            << c.from.toString().toStdString() << " .. " << c.to.toString().toStdString();
    EXPECT_EQ(intervalEnd(june1, 5), QDate(2004, 6, 6));
}

TEST(RunDates, PagingKeepsTheDayOrTakesTheMonthsLast) {
    EXPECT_EQ(pageMonths(QDate(2026, 1, 31), 1), QDate(2026, 2, 28));
    EXPECT_EQ(pageMonths(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
    EXPECT_EQ(pageMonths(QDate(2026, 3, 31), -1), QDate(2026, 2, 28));
    EXPECT_EQ(pageMonths(QDate(2026, 12, 15), 1), QDate(2027, 1, 15));
    EXPECT_EQ(pageYears(QDate(2024, 2, 29), 1), QDate(2025, 2, 28));
    EXPECT_EQ(pageYears(QDate(2024, 2, 29), -1), QDate(2023, 2, 28));
    EXPECT_EQ(pageYears(QDate(2026, 6, 10), -1), QDate(2025, 6, 10));
}

class RunDateTableTest : public IntakeTest {};

TEST_F(RunDateTableTest, EntriesUseTheShortDateFormatAndReadBack) {
    EXPECT_EQ(shortDate(QDate(2004, 6, 10)), q("10.06.2004"));
    EXPECT_EQ(parseShortDate(q("10.06.2004")), QDate(2004, 6, 10));
    EXPECT_FALSE(parseShortDate(q("31.02.2004")).has_value());
    EXPECT_EQ(dateOfDayNumber(dayNumberOf(QDate(1999, 12, 31))), QDate(1999, 12, 31));
    EXPECT_EQ(receiptDatesText({q("10.06.2004"), q("11.06.2004"), q("10.06.2004")}),
              q("10.06.2004,11.06.2004,10.06.2004"));
    EXPECT_EQ(receiptDatesText({}), QString());
}

TEST_F(RunDateTableTest, LoadingFollowsTheAnnouncementEvenInOutputDayMode) {
    start(knownClients());
    goTo(1);
    // The output window has the run-date view on its day.
    const DeskScope dayShown = desk->runDatesOfDay(day(2026, 12, 10));
    EXPECT_EQ(loadRunDates(*desk), (QStringList{q("10.12.2026"), q("11.12.2026")}));
    EXPECT_EQ(desk->runDateFilter(), RunDateFilter::OutputDay);
    EXPECT_EQ(desk->tDates.RecordCount(), 2); // the day's view again: announcements 1 and 2
    goTo(3);
    EXPECT_TRUE(loadRunDates(*desk).isEmpty());
}

TEST_F(RunDateTableTest, SavingAChangeReplacesOnlyItsOwnDays) {
    start(knownClients());
    goTo(1);
    TAnnouncement a = *readCurrentAnnouncement(*desk);
    a.pasport = q("новый паспорт");
    const QList<int32_t> days = {day(2026, 12, 20), day(2026, 12, 20), day(2026, 12, 19)};
    const Result result = saveAnnouncement(*desk, a, days, false);
    ASSERT_TRUE(result.ok()) << result.error().toStdString();
    EXPECT_EQ(runDaysInFile(1), std::vector<int>(days.begin(), days.end()));
    EXPECT_EQ(runDaysInFile(2), std::vector<int>{day(2026, 12, 10)});
    EXPECT_EQ(runDaysInFile(4), std::vector<int>{day(2026, 12, 12)});
    const auto rows = rowsOf("data.d");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].at("Pasport"), guisupport::cp1251(q("новый паспорт")));
    EXPECT_EQ(rows[0].at("temp"), "1");
    EXPECT_EQ(rows[0].at("type"), guisupport::cp1251(q("БЕГУЩАЯ СТРОКА")));
}

// After a save the run-date view shows the run days of the announcement current then:
// the view the save changed them through when it still follows that announcement, a view
// built anew when the save moved the list to another one (a deletion).
TEST_F(RunDateTableTest, AfterASaveTheRunDaysShownAreTheCurrentAnnouncements) {
    start(knownClients());
    const QList<int32_t> days = {day(2026, 12, 21), day(2026, 12, 22)};
    const QStringList shown = {q("21.12.2026"), q("22.12.2026")};
    for (const bool isNew : {false, true}) {
        SCOPED_TRACE(isNew ? "a new announcement" : "a change");
        goTo(1);
        TAnnouncement a = *readCurrentAnnouncement(*desk);
        if (isNew) a.id = nextAnnouncementNumber(desk->tData, nullptr);
        ASSERT_TRUE(saveAnnouncement(*desk, a, days, isNew));
        EXPECT_EQ(desk->tData.FieldByName("id").AsInteger(), a.id);
        EXPECT_EQ(loadRunDates(*desk), shown);
        EXPECT_EQ(desk->tDates.RecordCount(), 2);
    }
    // Announcement 1 deleted: the list is on announcement 2, and so are the run days.
    goTo(1);
    loadRunDates(*desk);
    ASSERT_TRUE(deleteCurrentAnnouncement(*desk));
    ASSERT_EQ(desk->tData.FieldByName("id").AsInteger(), 2);
    EXPECT_EQ(loadRunDates(*desk), QStringList{q("10.12.2026")});
}

TEST_F(RunDateTableTest, TextWithoutWindows1251FormIsRefusedWithNothingWritten) {
    start(knownClients());
    const std::string before = guisupport::readBytes(folder.file(q("data.d")));
    TAnnouncement a;
    a.id = 6;
    a.client = q("КЛИЕНТ");
    a.text = q("Продам ☃");
    const Result result = saveAnnouncement(*desk, a, {day(2026, 12, 20)}, true);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error().isEmpty());
    EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
    EXPECT_EQ(desk->tData.RecordCount(), 5);
}

// A file that cannot be replaced: a folder stands where the table file was.
void blockFile(const QString& path) {
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
}

TEST_F(RunDateTableTest, DataFileThatCannotBeWrittenLeavesBothTablesAsTheyWere) {
    start(knownClients());
    const std::string datesBefore = guisupport::readBytes(folder.file(q("dates.d")));
    blockFile(folder.file(q("data.d")));
    TAnnouncement a;
    a.id = 6;
    a.client = q("НОВЫЙ");
    const Result result = saveAnnouncement(*desk, a, {day(2026, 12, 20)}, true);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains(q("data.d"))) << result.error().toStdString();
    EXPECT_EQ(desk->tData.RecordCount(), 5);
    EXPECT_FALSE(desk->tData.HasChanges());
    EXPECT_FALSE(desk->tDates.HasChanges());
    EXPECT_EQ(guisupport::readBytes(folder.file(q("dates.d"))), datesBefore);
}

TEST_F(RunDateTableTest, DatesFileThatCannotBeWrittenPutsDataFileBack) {
    start(knownClients());
    const auto dataBefore = rowsOf("data.d");
    blockFile(folder.file(q("dates.d")));
    TAnnouncement a;
    a.id = 6;
    a.client = q("НОВЫЙ");
    const Result result = saveAnnouncement(*desk, a, {day(2026, 12, 20)}, true);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains(q("dates.d"))) << result.error().toStdString();
    // Never an announcement in data.d without its days.
    EXPECT_EQ(rowsOf("data.d"), dataBefore);
    EXPECT_EQ(desk->tData.RecordCount(), 5);
    EXPECT_FALSE(desk->tData.HasChanges());

    // Once the file can be written again, the same save goes through, once.
    ASSERT_TRUE(QDir().rmdir(folder.file(q("dates.d"))));
    const Result again = saveAnnouncement(*desk, a, {day(2026, 12, 20)}, true);
    ASSERT_TRUE(again.ok()) << again.error().toStdString();
    EXPECT_EQ(rowsOf("data.d").size(), 6u);
    EXPECT_EQ(runDaysInFile(6), std::vector<int>{day(2026, 12, 20)});
}

} // namespace
