#include "realty/uRieltOut.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/ModalRunner.h"
#include "realty/RealtyTransfer.h"
#include "storage/DorodDate.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornelta {

namespace {

QLabel* boldLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QDateEdit* dateField(QWidget* parent, const char* name, const QDate& date) {
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

int32_t dayNumber(const QDate& date) { return dorod::dayNumberFromCivil(date.year(), date.month(), date.day()); }

} // namespace

TfRieltOut::TfRieltOut(TDesk& desk, QWidget* parent, const QDate& today) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fRieltOut"));
    setWindowTitle(QStringLiteral("Вывод в \"Квартеон\""));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    ui.Label3 = boldLabel(this, "Label3", QStringLiteral("Вывод в программу \"Квартеон\""));
    ui.Label1 = boldLabel(this, "Label1", QStringLiteral("С:"));
    ui.DateFrom = dateField(this, "DateFrom", today);
    ui.Label2 = boldLabel(this, "Label2", QStringLiteral("по:"));
    ui.DateTo = dateField(this, "DateTo", today);
    ui.BitBtn1 = new QPushButton(QStringLiteral("Вывести"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = new QPushButton(QStringLiteral("Закрыть"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.Label3, 0, Qt::AlignHCenter);
    auto* dates = new QHBoxLayout;
    dates->addWidget(ui.Label1);
    dates->addWidget(ui.DateFrom);
    dates->addSpacing(12);
    dates->addWidget(ui.Label2);
    dates->addWidget(ui.DateTo);
    layout->addLayout(dates);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    layout->addLayout(buttons);

    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfRieltOut::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfRieltOut::BitBtn2Click);
}

void TfRieltOut::BitBtn1Click() {
    if (exportInterval()) accept();
}

void TfRieltOut::BitBtn2Click() { reject(); }

bool TfRieltOut::exportInterval() {
    try {
        exportRealty(m_desk, dayNumber(ui.DateFrom->date()), dayNumber(ui.DateTo->date()));
        return true;
    } catch (...) {
        Dialogs::instance().error(this, currentExceptionMessage());
        return false;
    }
}

void runRealtyExport(TDesk& desk, QWidget* parent) {
    TfRieltOut dialog(desk, parent);
    ModalRunner::instance().run(dialog);
}

} // namespace vornelta
