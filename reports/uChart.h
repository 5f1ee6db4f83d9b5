// The window "Диаграмма": the money taken in over an interval as stacked bars by subject
// category (RevenueChart), with the totals; printable and saved as PDF or PNG.
#pragma once

#include "platform/IntervalFields.h"
#include "platform/Result.h"
#include "reports/RevenueChart.h"

#include <QDate>
#include <QDialog>

class QPushButton;

namespace vornelta {

class TDesk;

// The drawing area of the window.
class TChartView : public QWidget {
    Q_OBJECT
public:
    explicit TChartView(QWidget* parent);
    void setChart(const RevenueChart& chart);
    const RevenueChart& chart() const { return m_chart; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RevenueChart m_chart;
};

class TfChart : public QDialog {
    Q_OBJECT
public:
    // The interval starts on the first day of the desk's today's month and ends today.
    TfChart(TDesk& desk, QWidget* parent);

private:
    // The controls; tests reach them by name (findChild).
    // Label1 "Интервал с:", DateFrom, Label2 "по:", DateTo, then:
    struct Ui : TIntervalFields {
        QPushButton* BitBtn1 = nullptr; // "Построить"
        QPushButton* BitBtn3 = nullptr; // "Печать"
        QPushButton* BitBtn4 = nullptr; // "Сохранить"
        QPushButton* BitBtn2 = nullptr; // "Закрыть"
        TChartView* Chart = nullptr;
    } ui;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

private:
    void buildChart();
    void printChart();
    void exportChart();

    TDesk& m_desk;
};

// Writes the chart to a file: PDF (one landscape A4 page) when the name ends in ".pdf",
// otherwise a PNG image. The file is replaced atomically; failed with a reason.
Result saveRevenueChart(const RevenueChart& chart, const QString& path);

// Opens the window modally (through the modal runner).
void runRevenueChart(TDesk& desk, QWidget* parent);

} // namespace vornelta
