// The window 'Вывод в "Квартеон"': picks an interval of days and writes the realty rows
// dated in it to the transfer file on drive A: (RealtyTransfer). "Вывести" closes the
// window when the file is written; a failure is shown and the window stays open.
#pragma once

#include "platform/IntervalFields.h"

#include <QDate>
#include <QDialog>

class QLabel;
class QPushButton;

namespace vornelta {

class TDesk;

class TfRieltOut : public QDialog {
    Q_OBJECT
public:
    // Both dates start at the desk's today.
    TfRieltOut(TDesk& desk, QWidget* parent);

private:
    // The controls; tests reach them by name (findChild).
    // Label1 "С:", DateFrom (first day), Label2 "по:", DateTo (last day), then:
    struct Ui : TIntervalFields {
        QLabel* Label3 = nullptr;       // 'Вывод в программу "Квартеон"'
        QPushButton* BitBtn1 = nullptr; // "Вывести"
        QPushButton* BitBtn2 = nullptr; // "Закрыть"
    } ui;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    // True when the file was written; a failure has been shown.
    bool exportInterval();

    TDesk& m_desk;
};

// Opens the window modally (through the modal runner).
void runRealtyExport(TDesk& desk, QWidget* parent);

} // namespace vornelta
