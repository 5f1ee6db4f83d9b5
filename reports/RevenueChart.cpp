#include "reports/RevenueChart.h"

#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "reports/PeriodTotals.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "tables/AnnouncementTables.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>

namespace vornelta {

namespace {

constexpr int kOtherSeries = kChartSeries - 1;

int32_t weekStart(int32_t day) {
    // Day 1 (0001-01-01) was a Monday.
    return day - int32_t(((int64_t(day) - 1) % 7 + 7) % 7);
}

int32_t nextMonthStart(int32_t day) {
    const dorod::CivilDate d = dorod::civilFromDayNumber(day);
    return d.month == 12 ? dorod::dayNumberFromCivil(d.year + 1, 1, 1)
                         : dorod::dayNumberFromCivil(d.year, d.month + 1, 1);
}

QString dayMonth(int32_t day) {
    const dorod::CivilDate d = dorod::civilFromDayNumber(day);
    return QStringLiteral("%1.%2")
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'));
}

// A round step for the value axis giving about `ticks` lines up to `top`.
double niceStep(double top, int ticks) {
    if (top <= 0) return 1;
    const double raw = top / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * magnitude) return m * magnitude;
    return 10 * magnitude;
}

} // namespace

double ChartBucket::total() const {
    double sum = 0;
    for (double m : money)
        sum += m;
    return sum;
}

double RevenueChart::total() const {
    double sum = 0;
    for (double m : totals)
        sum += m;
    return sum;
}

RevenueChart RevenueChart::forInterval(int32_t from, int32_t to) {
    RevenueChart chart;
    chart.from = from;
    chart.to = to;
    if (from > to) return chart;
    const int64_t days = int64_t(to) - from + 1;
    if (days <= kMaxDailyBars)
        chart.step = ChartStep::Day;
    else if ((weekStart(to) - weekStart(from)) / 7 + 1 <= kMaxWeeklyBars)
        chart.step = ChartStep::Week;
    else
        chart.step = ChartStep::Month;
    for (int32_t first = from; first <= to;) {
        int32_t next = first + 1;
        if (chart.step == ChartStep::Week) next = weekStart(first) + 7;
        if (chart.step == ChartStep::Month) next = nextMonthStart(first);
        ChartBucket bucket;
        bucket.first = first;
        bucket.last = std::min(to, next - 1);
        chart.buckets.append(bucket);
        first = next;
    }
    return chart;
}

int RevenueChart::bucketOf(int32_t day) const {
    if (buckets.isEmpty() || day < from || day > to) return -1;
    const auto it = std::upper_bound(buckets.begin(), buckets.end(), day,
                                     [](int32_t d, const ChartBucket& b) { return d < b.first; });
    return int(it - buckets.begin()) - 1;
}

void RevenueChart::add(int32_t day, std::string_view objCat, double summa) {
    const int b = bucketOf(day);
    if (b < 0) return;
    int series = kOtherSeries;
    const std::vector<std::string>& categories = subjectCategoriesBytes();
    for (int i = 0; i < kOtherSeries && i < int(categories.size()); ++i)
        if (objCat == categories[size_t(i)]) series = i;
    buckets[b].money[size_t(series)] += summa;
    totals[size_t(series)] += summa;
    ++rows;
}

RevenueChart computeRevenueChart(TDesk& desk, int32_t from, int32_t to) {
    RevenueChart chart = RevenueChart::forInterval(from, to);
    const dorod::TDorodField& indate = storeField(desk.tData, field::kIndate);
    const dorod::TDorodField& objCat = storeField(desk.tData, field::kObjCat);
    const dorod::TDorodField& summa = storeField(desk.tData, field::kSumma);
    forEachAnnouncementInPeriod(desk, from, to, [&](const uint8_t* rec) {
        chart.add(dorod::record::getInt32(rec, indate), dorod::record::getText(rec, objCat),
                  dorod::record::getDouble(rec, summa));
    });
    return chart;
}

QString chartSeriesName(int series) {
    if (series >= 0 && series < kOtherSeries && series < subjectCategories().size())
        return subjectCategories()[series];
    return QStringLiteral("БЕЗ КАТЕГОРИИ");
}

QColor chartSeriesColour(int series) {
    static const QColor colours[kChartSeries] = {QColor(0x8e, 0x5e, 0xa2), QColor(0x2f, 0x6d, 0xb5),
                                                 QColor(0xd9, 0x7b, 0x26), QColor(0x3c, 0x9a, 0x4a),
                                                 QColor(0xc8, 0xc8, 0xc8)};
    return colours[std::clamp(series, 0, kChartSeries - 1)];
}

QString chartBucketLabel(const RevenueChart& chart, int bucket) {
    const ChartBucket& b = chart.buckets.at(bucket);
    switch (chart.step) {
    case ChartStep::Day:
        return dayMonth(b.first);
    case ChartStep::Week:
        return dayMonth(b.first) + QChar(0x2013) + dayMonth(b.last);
    case ChartStep::Month: {
        const dorod::CivilDate d = dorod::civilFromDayNumber(b.first);
        return QStringLiteral("%1.%2").arg(d.month, 2, 10, QLatin1Char('0')).arg(d.year);
    }
    }
    return {};
}

QString chartTitle(const RevenueChart& chart) {
    const char* by = chart.step == ChartStep::Day    ? "по дням"
                     : chart.step == ChartStep::Week ? "по неделям"
                                                     : "по месяцам";
    return QStringLiteral("Выручка %1 (%2)")
        .arg(periodIntervalText(chart.from, chart.to), QString::fromUtf8(by));
}

void paintRevenueChart(QPainter& painter, const QRectF& rect, const RevenueChart& chart) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect, Qt::white);
    const QFontMetricsF fm(painter.font(), painter.device());
    const double line = fm.height();
    const double pad = line * 0.6;

    // Heading.
    QRectF heading(rect.left() + pad, rect.top() + pad, rect.width() - 2 * pad, line * 1.4);
    const QFont base = painter.font();
    QFont bold = base;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, chartTitle(chart));
    painter.setFont(base);

    // Legend on the right: a box per series with its total, then the grand total.
    QStringList legend;
    for (int s = 0; s < kChartSeries; ++s)
        legend << QStringLiteral("%1: %2").arg(chartSeriesName(s),
                                               formatMoney(chart.totals[size_t(s)]));
    const QStringList grand{QStringLiteral("ИТОГО: %1").arg(formatMoney(chart.total())),
                            QStringLiteral("Объявлений: %1").arg(chart.rows)};
    const QFontMetricsF boldMetrics(bold, painter.device());
    double legendWidth = 0;
    for (const QString& t : grand)
        legendWidth = std::max(legendWidth, boldMetrics.horizontalAdvance(t));
    for (const QString& t : legend)
        legendWidth = std::max(legendWidth, fm.horizontalAdvance(t) + line * 1.2);
    legendWidth = std::min(legendWidth + pad, rect.width() * 0.4);
    const double legendLeft = rect.right() - pad - legendWidth;
    double y = heading.bottom() + pad;
    for (int s = kChartSeries - 1; s >= 0; --s) {
        const QRectF box(legendLeft, y + line * 0.15, line * 0.8, line * 0.8);
        painter.fillRect(box, chartSeriesColour(s));
        painter.setPen(Qt::black);
        painter.drawRect(box);
        painter.drawText(QRectF(legendLeft + line * 1.2, y, legendWidth - line * 1.2, line),
                         Qt::AlignLeft | Qt::AlignVCenter, legend[s]);
        y += line * 1.3;
    }
    painter.setFont(bold);
    y += line * 0.3;
    for (const QString& t : grand) {
        painter.drawText(QRectF(legendLeft, y, legendWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                         t);
        y += line * 1.2;
    }
    painter.setFont(base);

    // Plot area: value axis on the left, labels below.
    const double top = heading.bottom() + pad;
    double maxValue = 0;
    for (const ChartBucket& b : chart.buckets)
        maxValue = std::max(maxValue, b.total());
    const double step = niceStep(maxValue, 5);
    const double axisTop = std::max(step, std::ceil(maxValue / step) * step);
    double axisWidth = 0;
    for (double v = 0; v <= axisTop + step / 2; v += step)
        axisWidth = std::max(axisWidth, fm.horizontalAdvance(formatMoney(v)));
    const QRectF plot(rect.left() + pad + axisWidth + pad / 2, top + line / 2,
                      legendLeft - pad - (rect.left() + pad + axisWidth + pad / 2),
                      rect.bottom() - pad - line * 1.5 - (top + line / 2));
    if (plot.width() <= 0 || plot.height() <= 0) {
        painter.restore();
        return;
    }
    const auto yOf = [&](double v) { return plot.bottom() - v / axisTop * plot.height(); };
    for (double v = 0; v <= axisTop + step / 2; v += step) {
        const double yy = yOf(v);
        painter.setPen(QPen(QColor(0xe0, 0xe0, 0xe0), 0));
        painter.drawLine(QPointF(plot.left(), yy), QPointF(plot.right(), yy));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(rect.left() + pad, yy - line / 2, axisWidth, line),
                         Qt::AlignRight | Qt::AlignVCenter, formatMoney(v));
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    const int n = int(chart.buckets.size());
    if (n == 0) {
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("Нет объявлений за этот период"));
        painter.restore();
        return;
    }
    const double slot = plot.width() / n;
    const double barWidth = std::max(1.0, slot * 0.7);
    // Every k-th label, so that labels do not overlap.
    double labelWidth = 0;
    for (int i = 0; i < n; ++i)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(chartBucketLabel(chart, i)));
    const int every = std::max(1, int(std::ceil((labelWidth + pad) / slot)));
    for (int i = 0; i < n; ++i) {
        const ChartBucket& b = chart.buckets[i];
        const double x = plot.left() + slot * i + (slot - barWidth) / 2;
        double base = 0;
        for (int s = 0; s < kChartSeries; ++s) {
            const double v = b.money[size_t(s)];
            if (v <= 0) continue;
            const QRectF bar(QPointF(x, yOf(base + v)), QPointF(x + barWidth, yOf(base)));
            painter.fillRect(bar, chartSeriesColour(s));
            base += v;
        }
        if (i % every == 0) {
            painter.setPen(Qt::black);
            painter.drawText(QRectF(plot.left() + slot * i + slot / 2 - labelWidth,
                                    plot.bottom() + 2, 2 * labelWidth, line),
                             Qt::AlignHCenter | Qt::AlignTop, chartBucketLabel(chart, i));
        }
    }
    painter.restore();
}

} // namespace vornelta
