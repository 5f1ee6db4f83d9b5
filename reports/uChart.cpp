#include "reports/uChart.h"

#include "desk/Desk.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/FileDialogs.h"
#include "platform/ModalRunner.h"
#include "platform/SystemErrorText.h"
#include "reports/engine/ReportPrinter.h"

#include <QDir>
#include <QHBoxLayout>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace vornelta {

namespace {

constexpr int kImageWidth = 1600;
constexpr int kImageHeight = 900;

} // namespace

// ------------------------------------------------------------------- view

TChartView::TChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Chart"));
    setMinimumSize(640, 360);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartView::setChart(const RevenueChart& chart) {
    m_chart = chart;
    update();
}

void TChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintRevenueChart(painter, QRectF(rect()), m_chart);
}

// ------------------------------------------------------------------- window

TfChart::TfChart(TDesk& desk, QWidget* parent) : QDialog(parent), m_desk(desk) {
    const QDate today = desk.today();
    setObjectName(QStringLiteral("fChart"));
    setWindowTitle(QStringLiteral("Диаграмма"));
    resize(900, 560);

    ui.create(this, QStringLiteral("Интервал с:"), QDate(today.year(), today.month(), 1), today);
    ui.BitBtn1 = named(new QPushButton(QStringLiteral("Построить"), this), "BitBtn1");
    ui.BitBtn1->setDefault(true);
    ui.BitBtn3 = named(new QPushButton(QStringLiteral("Печать"), this), "BitBtn3");
    ui.BitBtn4 = saveButton(this, "BitBtn4");
    ui.BitBtn2 = closeButton(this, "BitBtn2");
    ui.Chart = new TChartView(this);

    auto* layout = new QVBoxLayout(this);
    QHBoxLayout* top = ui.addRow(layout);
    top->addWidget(ui.BitBtn1);
    top->addStretch(1);
    top->addWidget(ui.BitBtn3);
    top->addWidget(ui.BitBtn4);
    top->addWidget(ui.BitBtn2);
    layout->addWidget(ui.Chart, 1);

    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfChart::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfChart::BitBtn2Click);
    connect(ui.BitBtn3, &QPushButton::clicked, this, &TfChart::BitBtn3Click);
    connect(ui.BitBtn4, &QPushButton::clicked, this, &TfChart::BitBtn4Click);
    // The window opens with the chart of its opening interval drawn (its empty bars when
    // the tables cannot be read).
    ui.Chart->setChart(RevenueChart::forInterval(ui.firstDay(), ui.lastDay()));
    buildChart();
}

void TfChart::BitBtn1Click() {
    buildChart();
}
void TfChart::BitBtn2Click() {
    reject();
}
void TfChart::BitBtn3Click() {
    printChart();
}
void TfChart::BitBtn4Click() {
    exportChart();
}

void TfChart::buildChart() {
    try {
        ui.Chart->setChart(computeRevenueChart(m_desk, ui.firstDay(), ui.lastDay()));
    } catch (...) {
        Dialogs::instance().error(this, currentExceptionMessage());
    }
}

void TfChart::printChart() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(chartTitle(ui.Chart->chart()));
    (void)selectPrinter(printer, m_desk.settings.Printer); // the dialog may change it
    const RevenueChart chart = ui.Chart->chart();
    const ValueResult<bool> printed = printWithDialog(this, printer, [&](QPrinter& target) {
        QPainter painter(&target);
        const QSize page = target.pageLayout().paintRectPixels(target.resolution()).size();
        paintRevenueChart(painter, QRectF(QPointF(0, 0), QSizeF(page)), chart);
    });
    if (!printed) Dialogs::instance().error(this, printed.error());
}

void TfChart::exportChart() {
    const QString suggested = m_desk.folder().file(QStringLiteral("Диаграмма.pdf"));
    const QString path =
        FileDialogs::instance().saveFileName(this, QStringLiteral("Сохранить диаграмму"), suggested,
                                             QStringLiteral("PDF (*.pdf);;Рисунок PNG (*.png)"));
    if (path.isEmpty()) return;
    if (const Result saved = saveRevenueChart(ui.Chart->chart(), path); !saved)
        Dialogs::instance().error(this, saved.error());
}

Result saveRevenueChart(const RevenueChart& chart, const QString& path) {
    const auto fail = [&](const QString& why) {
        return Result::failed(QStringLiteral("Не удалось записать «%1»: %2")
                                  .arg(QDir::toNativeSeparators(path), why));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(fileErrorText(file));
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter pdf(&file);
        pdf.setTitle(chartTitle(chart));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(150);
        QPainter painter;
        if (!painter.begin(&pdf)) return fail(QStringLiteral("PDF не создан"));
        paintRevenueChart(painter, QRectF(0, 0, pdf.width(), pdf.height()), chart);
        painter.end();
    } else {
        QImage image(kImageWidth, kImageHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paintRevenueChart(painter, QRectF(image.rect()), chart);
        }
        if (!image.save(&file, "PNG")) return fail(QStringLiteral("рисунок не записан"));
    }
    if (!file.commit()) return fail(fileErrorText(file));
    return Result();
}

void runRevenueChart(TDesk& desk, QWidget* parent) {
    TfChart dialog(desk, parent);
    ModalRunner::instance().run(dialog);
}

} // namespace vornelta
