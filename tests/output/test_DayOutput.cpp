// The day list without a window (fill, sorts, moves) and writing a day out: the plain
// text file, the driver's file, the drive and the failures that must leave no file.
#include "output/DayOutput.h"
#include "output/ScriptWriter.h"
#include "output/TextLineListWriter.h"

#include "output/OutputDesk.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace outputtest;
using guisupport::cp1251;
using guisupport::readBytes;

// The output's result with the paths it reported written.
struct Outcome {
    bool ok;
    QString error;
    QStringList written;
};

Outcome write(const TDesk& desk, TDayOutput request) {
    QStringList written;
    request.written = [&](const QString& path) { written << path; };
    const Result result = writeDayOutput(desk, request);
    return {result.ok(), result.error(), written};
}

TDayRow dayRow(int id, QDate indate, const QString& objCat) {
    TDayRow r;
    r.Id = id;
    r.Indate = indate;
    r.ObjCat = objCat;
    r.text = QString::number(id);
    return r;
}

QList<int> ids(const TDayList& list) {
    QList<int> out;
    for (const TDayRow& r : list.rows())
        out << r.Id;
    return out;
}

TEST(DayListTest, SortsAscendingWithTiesByCreationNumberAndFollowsTheSelection) {
    QLocale::setDefault(QLocale(QLocale::Russian));
    TDayList list;
    list.append(dayRow(1, QDate(2026, 12, 3), QStringLiteral("УСЛУГИ")));
    list.append(dayRow(2, QDate(2026, 12, 1), QStringLiteral("прочее")));
    list.append(dayRow(3, QDate(2026, 12, 3), QStringLiteral("АВТОТРАНСПОРТ")));
    list.append(dayRow(4, QDate(2026, 12, 1), QStringLiteral("ПРОЧЕЕ")));

    EXPECT_EQ(list.sort(TDayOrder::ByDate, 2), 3); // id 3 was selected
    EXPECT_EQ(ids(list), (QList<int>{2, 4, 1, 3}));
    // Letter case is ignored: «прочее» and «ПРОЧЕЕ» tie and keep their creation order.
    EXPECT_EQ(list.sort(TDayOrder::ByCategory, 0), 1);
    EXPECT_EQ(ids(list), (QList<int>{3, 2, 4, 1}));
    EXPECT_EQ(list.sort(TDayOrder::None, 1), 1);
    QLocale::setDefault(QLocale::c());
}

TEST(DayListTest, MovesExchangeFieldsWhileCreationNumbersStayWithThePlaces) {
    TDayList list;
    for (int id = 1; id <= 4; ++id)
        list.append(dayRow(id, QDate(2026, 12, 1), QStringLiteral("ПРОЧЕЕ")));
    list.exchange(2, 3);
    EXPECT_EQ(ids(list), (QList<int>{1, 2, 4, 3}));
    list.moveToTop(2);
    EXPECT_EQ(ids(list), (QList<int>{4, 1, 2, 3}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list.creationNumber(i), i + 1);
    // All keys equal: the sort orders by the places' creation numbers, so the hand order stays.
    list.sort(TDayOrder::ByCategory, -1);
    EXPECT_EQ(ids(list), (QList<int>{4, 1, 2, 3}));
    list.clear();
    list.append(dayRow(9, QDate(2026, 12, 1), QString()));
    EXPECT_EQ(list.creationNumber(0), 1);
}

TEST(DayListTest, FillCopiesTheDaysAnnouncementsAndReportsLostOnes) {
    DeskFixture f(
        {{1,
          QDate(2026, 12, 1),
          QStringLiteral("УСЛУГИ"),
          QStringLiteral("Ремонт"),
          {kDay, kOtherDay},
          true,
          QStringLiteral("2-15-30"),
          255},
         {2,
          QDate(2026, 11, 30),
          QStringLiteral("ПРОЧЕЕ"),
          QString(701, QLatin1Char('x')),
          {kDay, kDay}},
         {3,
          QDate(2026, 12, 2),
          QStringLiteral("ПРОЧЕЕ"),
          QStringLiteral("Другой день"),
          {kOtherDay}},
         {4, QDate(2026, 12, 2), QStringLiteral("ПРОЧЕЕ"), QStringLiteral("Удалено"), {kDay}}});
    // Announcement 4 is deleted, its run day left behind.
    ASSERT_TRUE(locateAnnouncement(*f.desk, 4));
    f.desk->tData.Delete();
    f.desk->search(QStringLiteral("Ремонт")); // a search hides announcement 2

    TDayList list;
    QList<int> lost, steps;
    int total = -1;
    TFillProgress progress{[&](int n) { total = n; }, [&](int n) { steps << n; },
                           [&](int id) { lost << id; }};
    fillDayList(*f.desk, kDay, list, progress);

    EXPECT_EQ(ids(list), (QList<int>{1, 2, 2}));
    EXPECT_EQ(lost, QList<int>{4});
    EXPECT_EQ(total, 4);
    EXPECT_EQ(steps, (QList<int>{1, 2, 3, 4}));
    const TDayRow& first = list.row(0);
    EXPECT_EQ(first.Indate, QDate(2026, 12, 1));
    EXPECT_EQ(first.ObjCat, QStringLiteral("УСЛУГИ"));
    EXPECT_TRUE(first.Povt);
    EXPECT_EQ(first.Tel, QStringLiteral("2-15-30"));
    EXPECT_EQ(first.XML, QStringLiteral("<<255>>\r\nРемонт"));
    EXPECT_EQ(list.row(1).text.size(), kDayTextWidth);
    // The desk is back in the by-announcement mode, the search gone.
    EXPECT_EQ(f.desk->runDateFilter(), RunDateFilter::ByAnnouncement);
    EXPECT_FALSE(f.desk->tData.Filtered());
    EXPECT_EQ(f.desk->tData.RecordCount(), 3);

    // Filling again replaces the list and starts the creation numbers afresh.
    fillDayList(*f.desk, kOtherDay, list);
    EXPECT_EQ(ids(list), (QList<int>{1, 3}));
    EXPECT_EQ(list.creationNumber(1), 2);
}

// ------------------------------------------------------------------- writing

class DayOutputTest : public ::testing::Test {
protected:
    DayOutputTest() : f({}) {}
    TDayOutput request(const QString& driver) {
        TDayOutput r;
        r.rows = {dayRow(1, QDate(2026, 12, 1), QString()),
                  dayRow(2, QDate(2026, 12, 1), QString())};
        r.rows[0].text = QStringLiteral("Продам дом");
        r.rows[0].XML = QStringLiteral("<<255>>\r\nПродам дом");
        r.rows[1].text = QStringLiteral("Куплю гараж");
        r.rows[1].XML = QStringLiteral("<<0>>\r\nКуплю гараж");
        r.driver = driver;
        r.today = QDate(2026, 12, 7);
        return r;
    }
    QString textPath() const {
        return f.folder.file(QStringLiteral("Тексты/Вывод текста 07.12.2026.txt"));
    }
    DeskFixture f;
};

TEST_F(DayOutputTest, PlainTextFileWithAndWithoutTrailingSpaces) {
    for (const int xprob : {0, 3}) {
        f.desk->settings.XProb = xprob;
        const Outcome result = write(*f.desk, request(QStringLiteral("нет")));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.written, QStringList{textPath()});
        const std::string sp(size_t(xprob), ' ');
        EXPECT_EQ(readBytes(textPath()), cp1251(QStringLiteral("Начало")) + sp + "\r\n`\r\n" +
                                             cp1251(QStringLiteral("Продам дом")) + sp +
                                             "\r\n`\r\n" + cp1251(QStringLiteral("Куплю гараж")) +
                                             sp + "\r\n" + cp1251(QStringLiteral("Конец")) + "\r\n")
            << xprob;
    }
}

TEST_F(DayOutputTest, EachDriverWritesItsFileOnTheDriveAfterTheTextFile) {
    const QString drive = f.insertDiskette();
    QStringList events;
    for (const QString& driver : {kDriverAlpha, kDriverTextLine}) {
        TDayOutput r = request(driver);
        r.beforeTitling = [&] { events << QStringLiteral("prompt"); };
        r.progress = [&](int n) { events << QString::number(n); };
        const Outcome result = write(*f.desk, r);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        const QString name =
            driver == kDriverAlpha ? QStringLiteral("scr_7_12.sc") : QStringLiteral("tvl_7_12.tvl");
        EXPECT_EQ(result.written, (QStringList{textPath(), QDir(drive).filePath(name)}));
        const QStringList lines =
            driver == kDriverAlpha
                ? titlingScriptLines(r.rows, QStringLiteral("Начало"), QStringLiteral("Конец"))
                : textLineListLines(r.rows, QStringLiteral("Начало"), QStringLiteral("Конец"));
        EXPECT_EQ(readBytes(QDir(drive).filePath(name)),
                  cp1251(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
    EXPECT_EQ(events, (QStringList{"1", "2", "prompt", "1", "2", "prompt"}));
}

TEST_F(DayOutputTest, FailuresStopTheOutputAndLeaveNoFile) {
    // No diskette: the text file is written, the script is not, and nothing is left half.
    Outcome result = write(*f.desk, request(kDriverAlpha));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(QStringLiteral("A:"))) << result.error.toStdString();
    EXPECT_EQ(result.written, QStringList{textPath()});
    EXPECT_FALSE(QFileInfo::exists(f.desk->drives.folderFor(QStringLiteral("A:"))));

    // No drive chosen at all.
    f.desk->settings.OutDev.clear();
    result = write(*f.desk, request(kDriverTextLine));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());

    // "Тексты" missing: nothing is written, the prompt does not come.
    ASSERT_TRUE(QFile::remove(textPath()));
    ASSERT_TRUE(QDir(f.folder.file(QStringLiteral("Тексты"))).removeRecursively());
    f.desk->settings.OutDev = QStringLiteral("A:");
    f.insertDiskette();
    bool prompted = false;
    TDayOutput r = request(kDriverAlpha);
    r.beforeTitling = [&] { prompted = true; };
    result = write(*f.desk, r);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(prompted);
    EXPECT_TRUE(result.written.isEmpty());
    EXPECT_TRUE(QDir(f.desk->drives.folderFor(QStringLiteral("A:"))).isEmpty());

    // A text the code page cannot hold: no file under the final name.
    ASSERT_TRUE(QDir().mkpath(f.folder.file(QStringLiteral("Тексты"))));
    r = request(kDriverAlpha);
    r.rows[1].text = QStringLiteral("日本");
    result = write(*f.desk, r);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(QFileInfo::exists(textPath()));
}

TEST(DayOutputNames, TextFileNameTakesTheShortDateAndNoPathSeparator) {
    dorod::setFormatSettings(dorod::FormatSettings{});
    EXPECT_EQ(plainTextFileName(QDate(2026, 12, 7)), QStringLiteral("Вывод текста 07.12.2026.txt"));
    dorod::FormatSettings us;
    us.shortDateFormat = "M/d/yyyy";
    dorod::setFormatSettings(us);
    EXPECT_EQ(plainTextFileName(QDate(2026, 12, 7)), QStringLiteral("Вывод текста 12.7.2026.txt"));
    dorod::setFormatSettings(dorod::FormatSettings{});
}

} // namespace
