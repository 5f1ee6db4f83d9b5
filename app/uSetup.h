// The settings dialog "Настройки": the tariffs and the output parameters of config.INI
// (page "Общие") and the folders that stand for the drives "A:" … "F:" (page "Диски").
// "Сохранить" puts the controls into the desk's settings and writes the file at once.
#pragma once

#include "desk/Settings.h"

#include <QDialog>
#include <QHash>

#include <array>
#include <functional>

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

    // Controls, by their names.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // "Общие"
    QWidget* TabSheet2 = nullptr; // "Диски"
    QGroupBox* GroupBox1 = nullptr; // "Цена за слово"
    QDoubleSpinBox* ePrice = nullptr;
    QDoubleSpinBox* ePriceP = nullptr;
    QDoubleSpinBox* ePriceUr = nullptr;
    QDoubleSpinBox* ePricepovtor = nullptr;
    QLineEdit* eFirst = nullptr;
    QLineEdit* eLast = nullptr;
    QSpinBox* edelay = nullptr;
    QSpinBox* eSymKol = nullptr;
    QSpinBox* eProb = nullptr;
    QComboBox* eOutDev = nullptr;
    // One folder and one "…" button per drive, in the order of DriveMap::letters().
    std::array<QLineEdit*, 6> eDrive{};
    std::array<QToolButton*, 6> bDrive{};
    QPushButton* BitBtn1 = nullptr; // "Сохранить"
    QPushButton* BitBtn2 = nullptr; // "Закрыть"

    // Asks for a drive's folder, starting at `start`; empty when the operator cancels.
    // A folder dialog by default; tests put in their own answer.
    std::function<QString(const QString& drive, const QString& start)> chooseFolder;

public slots:
    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void bDriveClick(int index);

private:
    void buildGeneralPage();
    void buildDrivesPage();
    // Whether every text can be stored in Windows-1251; otherwise says which and where.
    bool textsAreStorable();

    TDesk& m_desk;
    // The record as the controls were filled from it, and what the number boxes showed
    // then: a box left as shown keeps the stored value even where the box had to round
    // or clamp it.
    TSettings m_loaded;
    QHash<const QObject*, double> m_shown;
};

// The locale of the number boxes: the system's, Russian where the system has none.
QLocale setupNumberLocale();

} // namespace vornelta
