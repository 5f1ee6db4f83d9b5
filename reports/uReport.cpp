#include "reports/uReport.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/ModalRunner.h"
#include "reports/PeriodReport.h"
#include "reports/PeriodTotals.h"
#include "reports/engine/Report.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornelta {

TfReport::TfReport(TDesk& desk, QWidget* parent) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fReport"));
    setWindowTitle(QStringLiteral("Отчет"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    const QDate today = desk.today();
    ui.create(this, QStringLiteral("Интервал с:"), today, today);
    ui.BitBtn1 = new QPushButton(QStringLiteral("Сформировать"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = new QPushButton(QStringLiteral("Закрыть"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    ui.addRow(layout);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons);

    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfReport::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfReport::BitBtn2Click);
}

void TfReport::BitBtn1Click() {
    showReport();
}

void TfReport::BitBtn2Click() {
    reject();
}

void TfReport::showReport() {
    const int32_t from = ui.firstDay();
    const int32_t to = ui.lastDay();
    try {
        if (const Result prepared = preparePeriodReport(
                m_desk, periodReportValues(computePeriodTotals(m_desk, from, to), from, to));
            !prepared) {
            Dialogs::instance().error(this, prepared.error());
            return;
        }
    } catch (...) {
        Dialogs::instance().error(this, currentExceptionMessage());
        return;
    }
    m_desk.report().setPrinterName(m_desk.settings.Printer); // the desk's printer
    m_desk.report().ShowPreparedReport(this);
}

void runPeriodReport(TDesk& desk, QWidget* parent) {
    TfReport dialog(desk, parent);
    ModalRunner::instance().run(dialog);
}

} // namespace vornelta
