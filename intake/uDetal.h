// The entry form "Объявление": takes a new announcement from a client or changes the
// current one of tData. Word count and price come from WordCount/Price, the date list
// from RunDates, the writing from Announcement; the form reads its controls and calls
// them.
#pragma once

#include <QDialog>
#include <QTextEdit>

#include <array>
#include <functional>

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

// Opens "Объявление" modally for a new announcement (the new-announcement flag set) or
// for tData's current row; true when it saved.
bool runAnnouncementForm(TDesk& desk, QWidget* parent, bool newAnnouncement);

// The announcement text box: one line (Enter never breaks it, pasted line breaks become
// spaces), a colour per character.
class TOneLineTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TOneLineTextEdit(QWidget* parent);
    // Called for Enter instead of a line break.
    std::function<void()> onEnter;

    void insertFromMimeData(const QMimeData* source) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TfDetal : public QDialog {
    Q_OBJECT
public:
    // Reads the desk's new-announcement flag and fills the controls (FormCreate).
    TfDetal(TDesk& desk, QWidget* parent);
    ~TfDetal() override;

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
    void buildHeader(QGridLayout* grid);
    void buildText(QVBoxLayout* column);
    void buildDates(QVBoxLayout* column);
    void buildFooter(QVBoxLayout* layout);
    void FormCreate();
    void fillFromCurrentRow();
    void setText(const QString& text, const QList<int>& colours);
    bool validate();
    QString buildColourRuns();
    bool printReceipt();
    void pageCalendar(QDate date);

    TDesk& m_desk;
    bool m_new = false;
    int m_number = 0;
    int m_words = 0;
    bool m_saved = false;
    bool m_realtyDone = false;       // classified once per opening, however many save attempts
    QString m_lastText;              // eTextChange acts on changes of the text, not of its colours
    bool m_clientKeyDeletes = false; // the last key in the client box deleted text
};

} // namespace vornelta
