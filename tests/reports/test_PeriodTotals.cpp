// The period totals: which announcements count, in which groups, and the texts handed to
// the report's 26 objects.
#include "reports/PeriodTestData.h"

#include "reports/PeriodTotals.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace periodtest;

const QString kFiz = QStringLiteral("ФИЗЛИЦА"), kUr = QStringLiteral("ЮРЛИЦА"),
              kPred = QStringLiteral("ПРЕДПРИНИМАТЕЛИ");
const QString kNal = QStringLiteral("НАЛИЧНЫЙ"), kBez = QStringLiteral("БЕЗНАЛИЧНЫЙ"),
              kVz = QStringLiteral("ВЗАИМОРАСЧЕТ"), kBes = QStringLiteral("БЕСПЛАТНО");
const QString kPr = QStringLiteral("ПРОЧЕЕ"), kNed = QStringLiteral("НЕДВИЖИМОСТЬ"),
              kAu = QStringLiteral("АВТОТРАНСПОРТ"), kUs = QStringLiteral("УСЛУГИ");

QMap<QString, QString> asMap(const ReportValues& values) {
    QMap<QString, QString> map;
    for (const auto& [name, text] : values)
        map[name] = text;
    return map;
}

TEST(PeriodTotalsFormat, MoneyInGeneralFormWithTheLocaleSeparator) {
    const dorod::FormatSettings saved = dorod::formatSettings();
    dorod::setFormatSettings(dorod::FormatSettings{});
    struct Case {
        double value;
        const char* text;
    };
    for (const Case& c :
         {Case{1234.5, "1234,5"}, Case{100, "100"}, Case{0, "0"}, Case{-0.0, "0"},
          Case{0.1 + 0.1 + 0.1, "0,3"}, Case{1.0 / 3, "0,333333333333333"}, Case{-12.25, "-12,25"},
          Case{123456789012.5, "123456789012,5"}, Case{1e15, "1E15"}, Case{2.5e-7, "2,5E-7"}})
        EXPECT_EQ(formatMoney(c.value), QString::fromUtf8(c.text)) << c.value;
    dorod::FormatSettings point;
    point.decimalSeparator = '.';
    dorod::setFormatSettings(point);
    EXPECT_EQ(formatMoney(1234.5), QStringLiteral("1234.5"));
    dorod::setFormatSettings(saved);
}

TEST(PeriodTotalsAdd, GroupsCountOnlyExactValuesAndAreIndependent) {
    PeriodTotals t;
    const auto add = [&](const QString& c, const QString& o, const QString& s, int slov,
                         double sum) {
        t.add(guisupport::cp1251(c), guisupport::cp1251(o), guisupport::cp1251(s), slov, sum);
    };
    add(kFiz, kNal, kPr, 10, 50);
    add(QStringLiteral("физлица"), kBez, kNed, 5, 25); // lower case: no client group
    add(kFiz + QLatin1Char(' '), kBes, kUs, 3, 7.5);   // trailing blank: no client group
    add(kUr, QStringLiteral(""), QStringLiteral("ПРОЧЕЕ?"), 1, 2);
    add(kPred, kVz, kAu, 2, 4);
    EXPECT_EQ(t.rows, 5);
    EXPECT_EQ(t.words, 21);
    EXPECT_DOUBLE_EQ(t.money, 88.5);
    // clientCategories() order: ФИЗЛИЦА, ПРЕДПРИНИМАТЕЛИ, ЮРЛИЦА.
    EXPECT_EQ(t.clientCount, (std::array<int32_t, 3>{1, 1, 1}));
    EXPECT_EQ(t.clientMoney, (std::array<double, 3>{50, 4, 2}));
    EXPECT_EQ(t.paymentCount, (std::array<int32_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(t.paymentMoney, (std::array<double, 4>{50, 25, 4, 7.5}));
    EXPECT_EQ(t.subjectCount, (std::array<int32_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(t.subjectMoney, (std::array<double, 4>{50, 25, 4, 7.5}));
}

class PeriodTotalsTest : public DeskFixture {
protected:
    void SetUp() override {
        DeskFixture::SetUp();
        int id = 0;
        for (const Announcement& a : announcements)
            addAnnouncement(*desk, ++id, a);
    }

    QMap<QString, QString> report(int from, int to) {
        return asMap(periodReportValues(computePeriodTotals(*desk, from, to), from, to));
    }

    const int d1 = day(2026, 12, 1), d5 = day(2026, 12, 5), d10 = day(2026, 12, 10);
    const std::vector<Announcement> announcements{
        {day(2026, 11, 30), kFiz, kNal, kPr, 100, 1000}, // the day before
        {d1, kFiz, kNal, kPr, 10, 0.1},                  // the first day
        {d5, kUr, kBez, kNed, 20, 0.1},
        {d10, kPred, kVz, kAu, 30, 0.1}, // the last day
        {d10, QStringLiteral("физлица"), kBes, kUs, 5, 12.5},
        {day(2026, 12, 11), kUr, kBez, kNed, 100, 1000}, // the day after
    };
};

TEST_F(PeriodTotalsTest, BothEndsCountAndEveryFigureHasItsText) {
    const QMap<QString, QString> r = report(d1, d10);
    const QMap<QString, QString> expected{
        {"interval", QStringLiteral("с 01.12.2026 по 10.12.2026")},
        {"vskol", "4"},
        {"vsslov", "65"},
        {"vssum", "12,8"},
        {"katfizkol", "1"},
        {"katurkol", "1"},
        {"katpredkol", "1"},
        {"katfizsum", "0,1"},
        {"katursum", "0,1"},
        {"katpredsum", "0,1"},
        {"spnalkol", "1"},
        {"spbezkol", "1"},
        {"spvzkol", "1"},
        {"spbeskol", "1"},
        {"spnalsum", "0,1"},
        {"spbezsum", "0,1"},
        {"spvzsum", "0,1"},
        {"spbessum", "12,5"},
        {"koprkol", "1"},
        {"koprsum", "0,1"},
        {"konedkol", "1"},
        {"konedsum", "0,1"},
        {"koaukol", "1"},
        {"koausum", "0,1"},
        {"kouskol", "1"},
        {"koussum", "12,5"},
    };
    EXPECT_EQ(r, expected);
}

// Every group with a count and a sum of its own: a figure taken from the wrong group (two
// client categories swapped, a payment's count in a subject's place) shows.
TEST_F(PeriodTotalsTest, EveryGroupsOwnCountAndSumGoToItsOwnFigures) {
    const int day = d1 + 1;
    int id = 100;
    for (const Announcement& a : distinctGroupAnnouncements(day))
        addAnnouncement(*desk, ++id, a);
    const QMap<QString, QString> r = report(day, day);
    const QMap<QString, QString> expected{
        {"interval", QStringLiteral("с 02.12.2026 по 02.12.2026")},
        {"vskol", "10"},
        {"vsslov", "55"},
        {"vssum", "1023"},
        {"katfizkol", "1"},
        {"katfizsum", "8"},
        {"katpredkol", "2"},
        {"katpredsum", "544"},
        {"katurkol", "3"},
        {"katursum", "321"},
        {"spnalkol", "1"},
        {"spnalsum", "1"},
        {"spbezkol", "2"},
        {"spbezsum", "6"},
        {"spvzkol", "3"},
        {"spvzsum", "56"},
        {"spbeskol", "4"},
        {"spbessum", "960"},
        {"koprkol", "1"},
        {"koprsum", "512"},
        {"konedkol", "2"},
        {"konedsum", "384"},
        {"koaukol", "3"},
        {"koausum", "112"},
        {"kouskol", "4"},
        {"koussum", "15"},
    };
    EXPECT_EQ(r, expected);
}

TEST_F(PeriodTotalsTest, TheLastDayAloneAndThreeTimesOneTenth) {
    // A row dated exactly on the last day is counted.
    QMap<QString, QString> r = report(d5, d10);
    EXPECT_EQ(r["vskol"], "3");
    r = report(d10, d10);
    EXPECT_EQ(r["vskol"], "2");
    EXPECT_EQ(r["katfizkol"], "0") << "lower-case category counted";
    EXPECT_EQ(r["spbeskol"], "1");
    EXPECT_EQ(r["vssum"], "12,6");
    EXPECT_EQ(r["interval"], QStringLiteral("с 10.12.2026 по 10.12.2026"));

    // Three announcements of 0.1 each.
    desk->tData.First();
    desk->tData.Delete(); // the one of 30.11
    r = report(d1, d5);
    EXPECT_EQ(r["vskol"], "2");
    addAnnouncement(*desk, 7, {d5, kFiz, kNal, kPr, 1, 0.1});
    r = report(d1, d5);
    EXPECT_EQ(r["vssum"], "0,3");
}

TEST_F(PeriodTotalsTest, EmptyAndReversedIntervalsGiveZeroEverywhere) {
    for (auto [from, to] : {std::pair{day(2025, 1, 1), day(2025, 1, 31)}, std::pair{d10, d1}}) {
        const ReportValues values =
            periodReportValues(computePeriodTotals(*desk, from, to), from, to);
        ASSERT_EQ(values.size(), 26);
        EXPECT_EQ(values[0].second, periodIntervalText(from, to));
        for (int i = 1; i < values.size(); ++i)
            EXPECT_EQ(values[i].second, "0") << values[i].first.toStdString();
    }
}

TEST_F(PeriodTotalsTest, TheListIsUnfilteredAfterwardsAndNoPeriodIsLeftBehind) {
    desk->search(QStringLiteral("нет такого текста"));
    ASSERT_TRUE(desk->tData.Filtered());
    computePeriodTotals(*desk, d1, d10);
    EXPECT_FALSE(desk->tData.Filtered());
    EXPECT_EQ(desk->tData.RecordCount(), int(announcements.size()));
    EXPECT_EQ(desk->tData.RecNo(), 1);
    EXPECT_EQ(desk->announcementFilter(), AnnouncementFilter::None);
}

TEST_F(PeriodTotalsTest, APendingEditIsCountedAndTheNamesComeInTheReportsOrder) {
    desk->tData.Insert();
    desk->tData.FieldByName("indate").SetAsDayNumber(d5);
    desk->tData.FieldByName("Summa").SetAsFloat(1);
    const ReportValues values = periodReportValues(computePeriodTotals(*desk, d5, d5), d5, d5);
    EXPECT_EQ(asMap(values)["vskol"], "2");

    QStringList names;
    for (const auto& v : values)
        names << v.first;
    EXPECT_EQ(names, periodReportObjectNames());
    EXPECT_EQ(names.first(), "interval");
    EXPECT_EQ(names.last(), "koussum");
    EXPECT_EQ(names.indexOf("katurkol"), 5);
}

TEST(PeriodReportJson, KeepsTheOrderAndEscapesTexts) {
    const ReportValues values{{"interval", QStringLiteral("с \"1\" по\\2")}, {"vssum", "1234,5"}};
    const QString json = periodReportJson(values);
    EXPECT_EQ(json, QStringLiteral("{\"interval\":\"с \\\"1\\\" по\\\\2\",\"vssum\":\"1234,5\"}"));
    const QJsonObject parsed = QJsonDocument::fromJson(json.toUtf8()).object();
    EXPECT_EQ(parsed.value("interval").toString(), values[0].second);
}

} // namespace
