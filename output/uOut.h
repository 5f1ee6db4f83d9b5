// The output window "Вывод объявлений": one broadcast day's announcements gathered into
// the day list, put in order (by date taken, by category, by hand), corrected through the
// entry form, looked over in the word processor and written out ("Вывести"). The work is
// done by the plain functions of DayList, DayOutput and WordProcessor; the handlers only
// read the controls and call them.
#pragma once

#include "output/DayList.h"
#include "output/WordProcessor.h"

#include <QDate>
#include <QDialog>

#include <functional>

class QAbstractTableModel;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;

namespace vornelta {

class TDesk;
class DayListModel;

class TfOut : public QDialog {
    Q_OBJECT
public:
    // The desk's today is the date the window opens on and the output files are named after.
    TfOut(TDesk& desk, QWidget* parent);
    ~TfOut() override;

    const TDayList& mtDAta() const { return m_list; }
    // The selected row of the list; -1 when none.
    int selectedRow() const;
    void selectRow(int row);

    // --- what the program wires in ---
    // Opens the entry form on tData's current announcement (positioned before the call);
    // true when it saved. Without it a double click opens nothing.
    std::function<bool(TDesk&, QWidget*)> editCurrentAnnouncement;
    // The main window's side of a fill: clearing its search box, and detaching (false)
    // and binding again (true) its announcement list.
    std::function<void()> clearMainSearch;
    std::function<void(bool attached)> attachMainList;
    // Starts the word processor of "Просмотр".
    WordProcessorFactory createWordProcessor = &OdtWordProcessor::create;

public slots:
    void FormCreate();
    void BitBtn1Click();
    void cDAtClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button1Click();
    void StriDblClick();
    void BitBtn4Click();
    void BitBtn2Click();
    void BitBtn3Click();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QDateEdit* eOdate = nullptr;         // "Дата вывода"
        QPushButton* BitBtn1 = nullptr;      // "Заполнить"
        QTableView* Stri = nullptr;          // the day list, one column "Текст"
        QToolButton* SpeedButton1 = nullptr; // up
        QToolButton* SpeedButton2 = nullptr; // down
        QPushButton* Button1 = nullptr;      // "№1"
        QGroupBox* GroupBox1 = nullptr;      // "Сортировка"
        QRadioButton* cDAt = nullptr;        // "По дате приема"
        QRadioButton* rCat = nullptr;        // "По категориям"
        QProgressBar* Gauge1 = nullptr;
        QComboBox* eType = nullptr;     // "Драйвер": "ALPHA", "TextLine", editable
        QPushButton* BitBtn4 = nullptr; // "Просмотр"
        QPushButton* BitBtn2 = nullptr; // "Вывести"
        QPushButton* BitBtn3 = nullptr; // "Закрыть"
    } ui;

    void buildControls();
    void fill();
    void sortBy(TDayOrder order);
    void moveUp();
    void moveDown();
    void moveToTop();
    void editSelected();
    void preview();
    void output();
    void showList(int selected);

    TDesk& m_desk;
    TDayList m_list;
    DayListModel* m_model = nullptr;
    TDayOrder m_order = TDayOrder::None;
};

} // namespace vornelta
