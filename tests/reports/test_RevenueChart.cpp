// The revenue chart: the bars an interval gets, where each announcement's money goes,
// the window, and the chart saved as PDF and PNG.
#include "reports/PeriodTestData.h"

#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedFileDialogs.h"
#include "reports/PeriodTotals.h"
#include "reports/RevenueChart.h"
#include "reports/uChart.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace periodtest;

TEST(RevenueChartBuckets, StepFollowsTheIntervalsLengthAndBucketsCoverIt) {
    struct Case {
        int from, to;
        ChartStep step;
        int bars;
    };
    for (const Case& c : {
             Case{day(2026, 12, 1), day(2026, 12, 1), ChartStep::Day, 1},
             Case{day(2026, 12, 1), day(2026, 12, 31), ChartStep::Day, 31},
             // 32 days from a Tuesday: parts of two weeks at the ends.
             Case{day(2026, 12, 1), day(2027, 1, 1), ChartStep::Week, 5},
             Case{day(2026, 1, 5), day(2026, 7, 5), ChartStep::Week, 26},
             Case{day(2026, 1, 5), day(2026, 7, 6), ChartStep::Month, 7},
             Case{day(2026, 1, 15), day(2026, 12, 31), ChartStep::Month, 12},
             Case{day(2024, 2, 10), day(2026, 3, 1), ChartStep::Month, 26},
         }) {
        const RevenueChart chart = RevenueChart::forInterval(c.from, c.to);
        SCOPED_TRACE(chartTitle(chart).toStdString());
        EXPECT_EQ(chart.step, c.step);
        ASSERT_EQ(chart.buckets.size(), c.bars);
        EXPECT_EQ(chart.buckets.first().first, c.from);
        EXPECT_EQ(chart.buckets.last().last, c.to);
        for (int i = 1; i < chart.buckets.size(); ++i)
            EXPECT_EQ(chart.buckets[i].first, chart.buckets[i - 1].last + 1);
        for (int i = 0; i < chart.buckets.size(); ++i) {
            EXPECT_EQ(chart.bucketOf(chart.buckets[i].first), i);
            EXPECT_EQ(chart.bucketOf(chart.buckets[i].last), i);
        }
        EXPECT_EQ(chart.bucketOf(c.from - 1), -1);
        EXPECT_EQ(chart.bucketOf(c.to + 1), -1);
    }
    EXPECT_TRUE(RevenueChart::forInterval(day(2026, 12, 2), day(2026, 12, 1)).buckets.isEmpty());
}

TEST(RevenueChartBuckets, WeeksRunMondayToSundayAndLabelsNameTheirDays) {
    const RevenueChart weeks = RevenueChart::forInterval(day(2026, 12, 1), day(2027, 1, 1));
    EXPECT_EQ(weeks.buckets[0].last, day(2026, 12, 6));  // Sunday
    EXPECT_EQ(weeks.buckets[1].first, day(2026, 12, 7)); // Monday
    EXPECT_EQ(chartBucketLabel(weeks, 1), QStringLiteral("07.12–13.12"));
    const RevenueChart months = RevenueChart::forInterval(day(2026, 1, 15), day(2026, 12, 31));
    EXPECT_EQ(chartBucketLabel(months, 1), QStringLiteral("02.2026"));
    EXPECT_EQ(months.buckets[1].last, day(2026, 2, 28));
    const RevenueChart days = RevenueChart::forInterval(day(2026, 12, 1), day(2026, 12, 3));
    EXPECT_EQ(chartBucketLabel(days, 2), QStringLiteral("03.12"));
}

class RevenueChartTest : public DeskFixture {
protected:
    void SetUp() override {
        DeskFixture::SetUp();
        int id = 0;
        for (const Announcement& a : announcements)
            addAnnouncement(*desk, ++id, a);
    }
    const std::vector<Announcement> announcements{
        {day(2026, 11, 30), QStringLiteral("ФИЗЛИЦА"), QStringLiteral("НАЛИЧНЫЙ"),
         QStringLiteral("ПРОЧЕЕ"), 1, 1000},
        {day(2026, 12, 1), QStringLiteral("ФИЗЛИЦА"), QStringLiteral("НАЛИЧНЫЙ"),
         QStringLiteral("ПРОЧЕЕ"), 1, 10},
        {day(2026, 12, 1), QStringLiteral("ЮРЛИЦА"), QStringLiteral("НАЛИЧНЫЙ"),
         QStringLiteral("УСЛУГИ"), 1, 20},
        {day(2026, 12, 3), QStringLiteral("ЮРЛИЦА"), QStringLiteral("НАЛИЧНЫЙ"),
         QStringLiteral("услуги"), 1, 5},
        {day(2026, 12, 3), QStringLiteral("ЮРЛИЦА"), QStringLiteral("НАЛИЧНЫЙ"),
         QStringLiteral("НЕДВИЖИМОСТЬ"), 1, 7.5},
    };
};

TEST_F(RevenueChartTest, MoneyGoesToItsDayAndCategoryAndMatchesTheReport) {
    const int from = day(2026, 12, 1), to = day(2026, 12, 3);
    const RevenueChart chart = computeRevenueChart(*desk, from, to);
    EXPECT_FALSE(desk->tData.Filtered());
    ASSERT_EQ(chart.buckets.size(), 3);
    EXPECT_EQ(chart.rows, 4);
    EXPECT_EQ(chart.buckets[0].money, (std::array<double, kChartSeries>{10, 0, 0, 20, 0}));
    EXPECT_EQ(chart.buckets[1].total(), 0);
    EXPECT_EQ(chart.buckets[2].money, (std::array<double, kChartSeries>{0, 7.5, 0, 0, 5}));
    EXPECT_EQ(chartSeriesName(1), QStringLiteral("НЕДВИЖИМОСТЬ"));
    EXPECT_EQ(chartSeriesName(4), QStringLiteral("БЕЗ КАТЕГОРИИ"));
    const PeriodTotals totals = computePeriodTotals(*desk, from, to);
    EXPECT_DOUBLE_EQ(chart.total(), totals.money);
    for (int s = 0; s < 4; ++s)
        EXPECT_DOUBLE_EQ(chart.totals[size_t(s)], totals.subjectMoney[size_t(s)]);
}

TEST_F(RevenueChartTest, SavedAsPdfAndPngAndAFailedSaveLeavesNothing) {
    const RevenueChart chart = computeRevenueChart(*desk, day(2026, 11, 1), day(2026, 12, 31));
    Result saved = saveRevenueChart(chart, folder.file("chart.pdf"));
    ASSERT_TRUE(saved) << saved.error().toStdString();
    EXPECT_EQ(guisupport::readBytes(folder.file("chart.pdf")).substr(0, 5), "%PDF-");
    saved = saveRevenueChart(chart, folder.file("chart.png"));
    ASSERT_TRUE(saved) << saved.error().toStdString();
    const QImage image(folder.file("chart.png"));
    ASSERT_FALSE(image.isNull());
    // Bars were drawn: some pixel has a series colour.
    bool coloured = false;
    for (int y = 0; y < image.height() && !coloured; y += 2)
        for (int x = 0; x < image.width() && !coloured; x += 2)
            coloured = QColor(image.pixel(x, y)) == chartSeriesColour(0);
    EXPECT_TRUE(coloured);

    saved = saveRevenueChart(chart, folder.file("missing/chart.png"));
    const QString error = saved.error();
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains("chart.png")) << error.toStdString();
    EXPECT_FALSE(QDir(folder.file("missing")).exists());
}

TEST_F(RevenueChartTest, WindowOpensWithTheChartDrawnAndSavesWhereAsked) {
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installed(dialogs);
    guisupport::ScriptedFileDialogs files;
    guisupport::ScopedInstance<FileDialogs> installedFiles(files);
    desk->setClock([] { return QDate(2026, 12, 9); });
    TfChart window(*desk, nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Диаграмма"));
    EXPECT_EQ(guisupport::control<QDateEdit>(window, "DateFrom")->date(), QDate(2026, 12, 1));
    EXPECT_EQ(guisupport::control<QDateEdit>(window, "DateTo")->date(), QDate(2026, 12, 9));
    // Drawn at opening, before "Построить".
    EXPECT_EQ(guisupport::control<TChartView>(window, "Chart")->chart().rows, 4);
    EXPECT_DOUBLE_EQ(guisupport::control<TChartView>(window, "Chart")->chart().total(), 42.5);
    EXPECT_EQ(guisupport::control<TChartView>(window, "Chart")->chart().buckets.size(), 9);
    guisupport::control<QDateEdit>(window, "DateTo")->setDate(QDate(2026, 12, 2));
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(guisupport::control<TChartView>(window, "Chart")->chart().rows, 2);

    files.answer(folder.file("out.png"));
    guisupport::control<QPushButton>(window, "BitBtn4")->click();
    ASSERT_EQ(files.requests().size(), 1u);
    EXPECT_TRUE(files.requests()[0].start.endsWith(".pdf"));
    EXPECT_FALSE(QImage(folder.file("out.png")).isNull());
    // A name typed without a suffix is saved as PDF, under the name with ".pdf".
    files.answer(folder.file("Выручка"));
    guisupport::control<QPushButton>(window, "BitBtn4")->click();
    EXPECT_EQ(guisupport::readBytes(folder.file("Выручка.pdf")).substr(0, 5), "%PDF-");
    EXPECT_FALSE(QFile::exists(folder.file("Выручка")));
    files.answer(QString());
    guisupport::control<QPushButton>(window, "BitBtn4")->click(); // cancelled: nothing happens
    EXPECT_TRUE(dialogs.boxes().empty());
    files.answer(folder.file("missing/out.pdf"));
    guisupport::control<QPushButton>(window, "BitBtn4")->click();
    EXPECT_EQ(dialogs.errors().size(), 1);
}

} // namespace
