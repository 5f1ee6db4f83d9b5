#include "reports/uReport.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/ModalRunner.h"
#include "reports/PeriodReport.h"
#include "reports/PeriodTotals.h"
#include "storage/DorodDate.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vornelta {

namespace {

QDateEdit* dateField(QWidget* parent, const char* name, const QDate& date) {
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

int32_t dayNumber(const QDate& date) { return dorod::dayNumberFromCivil(date.year(), date.month(), date.day()); }

} // namespace

TfReport::TfReport(TDesk& desk, QWidget* parent, const QDate& today) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fReport"));
    setWindowTitle(QStringLiteral("Отчет"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    ui.Label1 = new QLabel(QStringLiteral("Интервал с:"), this);
    ui.Label1->setObjectName(QStringLiteral("Label1"));
    ui.DateFrom = dateField(this, "DateFrom", today);
    ui.Label2 = new QLabel(QStringLiteral("по:"), this);
    ui.Label2->setObjectName(QStringLiteral("Label2"));
    ui.DateTo = dateField(this, "DateTo", today);
    ui.BitBtn1 = new QPushButton(QStringLiteral("Сформировать"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = new QPushButton(QStringLiteral("Закрыть"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(ui.Label1, 0, 0);
    layout->addWidget(ui.DateFrom, 0, 1);
    layout->addWidget(ui.Label2, 0, 2);
    layout->addWidget(ui.DateTo, 0, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons, 1, 0, 1, 4);

    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfReport::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfReport::BitBtn2Click);
}

void TfReport::BitBtn1Click() { showReport(); }

void TfReport::BitBtn2Click() { reject(); }

void TfReport::showReport() {
    const int32_t from = dayNumber(ui.DateFrom->date());
    const int32_t to = dayNumber(ui.DateTo->date());
    QString error;
    try {
        if (!preparePeriodReport(m_desk, periodReportValues(computePeriodTotals(m_desk, from, to), from, to),
                                 &error)) {
            Dialogs::instance().error(this, error);
            return;
        }
    } catch (...) {
        Dialogs::instance().error(this, currentExceptionMessage());
        return;
    }
    m_desk.fRep.ShowPreparedReport(this);
}

void runPeriodReport(TDesk& desk, QWidget* parent) {
    TfReport dialog(desk, parent);
    ModalRunner::instance().run(dialog);
}

} // namespace vornelta
