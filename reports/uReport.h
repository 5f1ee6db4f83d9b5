// The window "Отчет": picks an interval of days; "Сформировать" totals the announcements
// taken in over it (PeriodTotals) and shows the report in the print preview. The window
// stays open for another run.
#pragma once

#include "platform/IntervalFields.h"

#include <QDate>
#include <QDialog>

class QPushButton;

namespace vornelta {

class TDesk;

class TfReport : public QDialog {
    Q_OBJECT
public:
    // Both dates start at the desk's today.
    TfReport(TDesk& desk, QWidget* parent);

private:
    // The controls; tests reach them by name (findChild).
    // Label1 "Интервал с:", DateFrom (first day), Label2 "по:", DateTo (last day), then:
    struct Ui : TIntervalFields {
        QPushButton* BitBtn1 = nullptr; // "Сформировать"
        QPushButton* BitBtn2 = nullptr; // "Закрыть"
    } ui;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    void showReport();

    TDesk& m_desk;
};

// Opens the window modally (through the modal runner).
void runPeriodReport(TDesk& desk, QWidget* parent);

} // namespace vornelta
