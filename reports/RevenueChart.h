// The revenue chart as plain code: the money of the announcements taken in over an
// interval, per day (per week or per month for longer intervals), split by subject
// category, and its drawing with QPainter onto any device (the window, a printer, a PDF
// or an image).
#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

class QPainter;
class QRectF;

namespace vornelta {

class TDesk;

// One bar per bucket. Intervals up to kMaxDailyBars days get a bar per day, up to
// kMaxWeeklyBars weeks a bar per week (Monday to Sunday), longer ones a bar per month;
// the first and last buckets are cut to the interval.
inline constexpr int kMaxDailyBars = 31;
inline constexpr int kMaxWeeklyBars = 26;

enum class ChartStep { Day, Week, Month };

// The four subject categories in their order, then everything else (empty, misspelt).
inline constexpr int kChartSeries = 5;

struct ChartBucket {
    int32_t first = 0; // day numbers, both included
    int32_t last = 0;
    std::array<double, kChartSeries> money{};
    double total() const;
};

struct RevenueChart {
    int32_t from = 0;
    int32_t to = 0;
    ChartStep step = ChartStep::Day;
    QList<ChartBucket> buckets; // in date order, covering from..to; none when from > to
    std::array<double, kChartSeries> totals{};
    int rows = 0;
    double total() const;

    // The empty buckets of from..to.
    static RevenueChart forInterval(int32_t from, int32_t to);
    // Adds one announcement's money to its day's bucket and its category; a day outside
    // the interval is ignored.
    void add(int32_t day, std::string_view objCat, double summa);
    // The bucket holding a day; -1 outside.
    int bucketOf(int32_t day) const;
};

// The chart of the announcements taken in from..to, read through data.d's period filter,
// which is switched off again afterwards.
RevenueChart computeRevenueChart(TDesk& desk, int32_t from, int32_t to);

// Names and colours of the series, in order.
QString chartSeriesName(int series);
QColor chartSeriesColour(int series);
// The label under a bucket's bar: "05.12" for a day, "30.11–06.12" for a week,
// "12.2026" for a month.
QString chartBucketLabel(const RevenueChart& chart, int bucket);
// The heading: "Выручка с … по … (по дням)".
QString chartTitle(const RevenueChart& chart);

// Draws the whole chart (heading, axes, stacked bars, legend with the totals) into rect.
void paintRevenueChart(QPainter& painter, const QRectF& rect, const RevenueChart& chart);

} // namespace vornelta
