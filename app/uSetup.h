// The settings dialog "Настройки": the tariffs and the output parameters of config.INI
// (page "Общие"), the folders that stand for the drives "A:" … "F:" (page "Диски") and
// the desk's printer (page "Печать").
// "Сохранить" puts the controls into the desk's settings and writes the file at once.
#pragma once

#include "desk/Settings.h"
#include "platform/DriveMap.h"

#include <QDialog>
#include <QHash>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QLocale;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace vornelta {

class TDesk;

class TfSetup : public QDialog {
    Q_OBJECT
public:
    TfSetup(TDesk& desk, QWidget* parent);
    ~TfSetup() override;

public slots:
    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void bDriveClick(int index);

private:
    struct Ui {
        QTabWidget* PageControl1;
        QWidget* TabSheet1;           // "Общие"
        QWidget* TabSheet2;           // "Диски"
        QWidget* TabSheet3;           // "Печать"
        QWidget* TabSheet4;           // "База данных"
        QGroupBox* GroupBox1;         // "Цена за слово"
        QDoubleSpinBox* ePrice;       // "Физлица "
        QDoubleSpinBox* ePriceP;      // "Предприниматели"
        QDoubleSpinBox* ePriceUr;     // "Юрлица "
        QDoubleSpinBox* ePricepovtor; // "Цена за повтор телефона"
        QLineEdit* eFirst;            // "Текст в начале блока: "
        QLineEdit* eLast;             // "Текст в конце блока: "
        QSpinBox* edelay;             // "Задержка перед повтором блока: "
        QSpinBox* eSymKol;            // "Ограничение символов:"
        QSpinBox* eProb;              // "Хвостовые пробелы:"
        QComboBox* eOutDev;           // "Выводить строку на дисковод: "
        std::array<QLineEdit*, 6> eDrive;   // eDriveA … eDriveF: "A:" … "F:", a folder each
        std::array<QToolButton*, 6> bDrive; // bDriveA … bDriveF: "…", choose that folder
        QComboBox* ePrinter; // "Принтер": "по умолчанию" and the system's printers
        QCheckBox* cReceiptWithoutPreview; // "Печатать квитанцию без просмотра"
        QLineEdit* eDatabaseUrl; // "Адрес базы данных": empty for the folder
        QPushButton* BitBtn1;    // "Сохранить"
        QPushButton* BitBtn2;    // "Закрыть"
    };
    void buildGeneralPage();
    void buildDrivesPage();
    void buildPrintPage();
    void buildDatabasePage();
    // The printer list: the default first, then the installed printers, and the configured
    // one even when it is not installed (so that saving does not lose it).
    void fillPrinters(const QString& configured);
    // The settings as the controls give them; the desk's own for what the dialog does not show.
    TSettings settingsFromControls() const;
    DriveMap drivesFromControls() const;
    // Puts the controls into the desk's settings and writes config.INI; false (with the
    // reason said) when a text cannot be stored or the file cannot be written.
    bool saveControls();
    void chooseDriveFolder(int index);
    // Whether every text can be stored in Windows-1251; otherwise says which and where.
    bool textsAreStorable();

    TDesk& m_desk;
    Ui ui{};
    // The record as the controls were filled from it, and what the number boxes showed
    // then: a box left as shown keeps the stored value even where the box had to round
    // or clamp it.
    TSettings m_loaded;
    QHash<const QObject*, double> m_shown;
};

// "Настройки" from the main menu: the dialog, modally; true when it saved.
bool runSettingsDialog(TDesk& desk, QWidget* parent);
// Closing the main window writes the settings; a failed write is said in an error box.
void saveSettingsOnClose(TDesk& desk, QWidget* parent);

// The locale of the number boxes: the system's, Russian where the system has none.
QLocale setupNumberLocale();

} // namespace vornelta
