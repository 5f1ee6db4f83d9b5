// The entry form "Объявление": takes a new announcement from a client or changes the
// current one of tData. Word count and price come from WordCount/Price, the date list
// from RunDates, the writing from Announcement; the form reads its controls and calls
// them.
#pragma once

#include "intake/OneLineTextEdit.h"

#include <QDate>
#include <QDialog>

#include <array>
#include <cstdint>
#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QToolButton;
class QVBoxLayout;

namespace vornelta {

class TDesk;
struct TAnnouncement;

// Opens "Объявление" modally for a new announcement (newAnnouncement) or for tData's
// current row; true when it saved.
bool runAnnouncementForm(TDesk& desk, QWidget* parent, bool newAnnouncement);

class TfDetal : public QDialog {
    Q_OBJECT
public:
    // Opens for a new announcement (newAnnouncement) or for tData's current row, and fills
    // the controls (FormCreate).
    TfDetal(TDesk& desk, QWidget* parent, bool newAnnouncement);
    ~TfDetal() override;

    int number() const { return m_number; }
    bool isNewAnnouncement() const { return m_new; }
    int wordCount() const { return m_words; }
    bool saved() const { return m_saved; }
    // The colour of every character of eText, and the colour typed next.
    QList<int> textColours() const;
    int insertionColour() const;

public slots:
    void eClientChange(const QString& typed);
    void eTextChange();
    void eTextKeyPress();
    void bc1Click(int colour);
    void SpeedButton1Click();
    void b2Click(int days);
    void eDaysChange(int days);
    void BitBtn4Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton6Click();
    void SpeedButton5Click();
    void eCalChange();
    void eCalDblClick();
    void eDatesDblClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void Rasch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QDateEdit* eDate = nullptr;          // "Дата:"
        QLabel* lNum = nullptr;              // after "Порядковый №"
        QLineEdit* eClient = nullptr;        // "Заказчик:", upper case
        QComboBox* eClientCat = nullptr;     // "Категория:"
        QLineEdit* ePasp = nullptr;          // "Паспорт:"
        QLineEdit* eTel = nullptr;           // "Телефон:"
        QCheckBox* ePovt = nullptr;          // "Повтор в конце"
        QComboBox* eOplata = nullptr;        // "Оплата:"
        QGroupBox* GroupBox1 = nullptr;      // "Объявление"
        QToolButton* SpeedButton1 = nullptr; // "Шаблоны"
        std::array<QToolButton*, 8> bc{};    // bc1 … bc8, "А" in the eight colours
        TOneLineTextEdit* eText = nullptr;   // the text, bold Arial 16 px, white on silver
        QComboBox* eKateg = nullptr;         // "Категория объявления:"
        QPlainTextEdit* eXML = nullptr;      // hidden: the colour runs
        QGroupBox* GroupBox2 = nullptr;      // "Даты выхода"
        QListWidget* eDates = nullptr;       // the date list
        QGroupBox* GroupBox3 = nullptr;  // "Автозаполнение дат. Интервал"
        QDateEdit* dFrom = nullptr;      // "C:"
        QDateEdit* dTo = nullptr;        // "По:"
        QSpinBox* eDays = nullptr;       // "К-во дней:"
        std::array<QToolButton*, 9> b{}; // b2 … b10, "2" … "10"
        QPushButton* BitBtn4 = nullptr;  // "Заполнить"
        QGroupBox* GroupBox4 = nullptr;  // "Ввод дат вручную"
        QCalendarWidget* eCal = nullptr; // weeks from Sunday
        QLabel* lDate = nullptr;         // the calendar's date
        QToolButton* SpeedButton3 = nullptr; // "<<"
        QToolButton* SpeedButton4 = nullptr; // "<"
        QToolButton* SpeedButton6 = nullptr; // ">"
        QToolButton* SpeedButton5 = nullptr; // ">>"
        QDoubleSpinBox* eSumm = nullptr;     // "Сумма:", bold
        QPushButton* BitBtn1 = nullptr;      // "Сохранить"
        QPushButton* BitBtn2 = nullptr;      // "Закрыть"
        QStatusBar* sb = nullptr;            // six panels
        std::array<QLabel*, 6> panels{};
    } ui;

    void buildHeader(QGridLayout* grid);
    void buildText(QVBoxLayout* column);
    void buildDates(QVBoxLayout* column);
    void buildFooter(QVBoxLayout* layout);
    void FormCreate();
    void fillFromCurrentRow();
    // Puts a text from outside (a template) in the box, in the colour typed next.
    void takeText(const QString& text);
    bool validate();
    // The announcement as the controls hold it; a sum box left as it was shown keeps the
    // stored sum (the box rounds to kopecks).
    TAnnouncement announcementFromControls() const;
    // The run days of the date list; nothing, with the entry named, when one cannot be
    // read.
    std::optional<QList<int32_t>> runDaysFromControls(QString* unreadable) const;
    void pageCalendar(QDate date);
    // A paste into a box was cut to its field's width.
    void sayPasteCut(const QString& box, int width, int dropped);

    TDesk& m_desk;
    bool m_new = false;
    int m_number = 0;
    int m_words = 0;
    bool m_saved = false;
    bool m_realtyDone = false; // a realty row written: once per opening, however many saves
    // Changing: the stored sum and what the box showed of it.
    std::optional<double> m_storedSum;
    double m_shownSum = 0;
    QString m_lastText;              // eTextChange acts on changes of the text, not of its colours
    bool m_clientKeyDeletes = false; // the last key in the client box deleted text
};

} // namespace vornelta
