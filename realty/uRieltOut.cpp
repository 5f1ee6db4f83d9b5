#include "realty/uRieltOut.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/ModalRunner.h"
#include "realty/RealtyTransfer.h"

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

} // namespace

TfRieltOut::TfRieltOut(TDesk& desk, QWidget* parent) : QDialog(parent), m_desk(desk) {
    setObjectName(QStringLiteral("fRieltOut"));
    setWindowTitle(QStringLiteral("Вывод в \"Квартеон\""));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    ui.Label3 = boldLabel(this, "Label3", QStringLiteral("Вывод в программу \"Квартеон\""));
    const QDate today = desk.today();
    ui.create(this, QStringLiteral("С:"), today, today, true);
    ui.BitBtn1 = new QPushButton(QStringLiteral("Вывести"), this);
    ui.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = new QPushButton(QStringLiteral("Закрыть"), this);
    ui.BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.Label3, 0, Qt::AlignHCenter);
    ui.addRow(layout, 12);
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

void TfRieltOut::BitBtn2Click() {
    reject();
}

bool TfRieltOut::exportInterval() {
    try {
        exportRealty(m_desk, ui.firstDay(), ui.lastDay());
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
