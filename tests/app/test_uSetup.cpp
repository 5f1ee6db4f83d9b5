// The settings dialog as the operator uses it: it opens on the stored values, "Сохранить"
// writes config.INI at once (and refuses what the file cannot hold), "Закрыть" and Esc
// change nothing, and the page "Диски" says where each drive letter writes.
#include "app/uSetup.h"
#include "app/uVornelta.h"
#include "desk/Desk.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedFileDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "platform/SystemLocale.h"
#include "reports/engine/ReportPrinter.h"
#include "storage/DorodLocale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>

using namespace vornelta;
using guisupport::control;
using guisupport::cp1251;
using guisupport::readBytes;

namespace {

// The dialog's controls, found by their system names.
struct SetupControls {
    explicit SetupControls(const QWidget& d)
        : PageControl1(control<QTabWidget>(d, "PageControl1")),
          TabSheet1(control<QWidget>(d, "TabSheet1")), TabSheet2(control<QWidget>(d, "TabSheet2")),
          GroupBox1(control<QGroupBox>(d, "GroupBox1")),
          ePrice(control<QDoubleSpinBox>(d, "ePrice")),
          ePriceP(control<QDoubleSpinBox>(d, "ePriceP")),
          ePriceUr(control<QDoubleSpinBox>(d, "ePriceUr")),
          ePricepovtor(control<QDoubleSpinBox>(d, "ePricepovtor")),
          eFirst(control<QLineEdit>(d, "eFirst")), eLast(control<QLineEdit>(d, "eLast")),
          edelay(control<QSpinBox>(d, "edelay")), eSymKol(control<QSpinBox>(d, "eSymKol")),
          eProb(control<QSpinBox>(d, "eProb")), eOutDev(control<QComboBox>(d, "eOutDev")),
          BitBtn1(control<QPushButton>(d, "BitBtn1")), BitBtn2(control<QPushButton>(d, "BitBtn2")) {
        const char* letters = "ABCDEF";
        for (int i = 0; i < 6; ++i) {
            eDrive[size_t(i)] = control<QLineEdit>(d, (std::string("eDrive") + letters[i]).c_str());
            bDrive[size_t(i)] =
                control<QToolButton>(d, (std::string("bDrive") + letters[i]).c_str());
        }
    }
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QGroupBox* GroupBox1;
    QDoubleSpinBox *ePrice, *ePriceP, *ePriceUr, *ePricepovtor;
    QLineEdit *eFirst, *eLast;
    QSpinBox *edelay, *eSymKol, *eProb;
    QComboBox* eOutDev;
    QPushButton *BitBtn1, *BitBtn2;
    std::array<QLineEdit*, 6> eDrive{};
    std::array<QToolButton*, 6> bDrive{};
};
SetupControls ctl(const QWidget& dialog) {
    return SetupControls(dialog);
}

// A config.INI with every key, a comment, the owner's NAME, a key and a section of
// someone else.
const QString kFullConfig = QStringLiteral("; рабочее место кассира\r\n"
                                           "[General]\r\n"
                                           "NAME=Телеканал «Север»\r\n"
                                           "WordPrice=12,5\r\n"
                                           "WordPriceP=7,25\r\n"
                                           "WordPriceUr=30\r\n"
                                           "PricePovtor=15\r\n"
                                           "BlockDelay=40\r\n"
                                           "StringFirst=Бегущая строка\r\n"
                                           "StringLast=Конец\r\n"
                                           "SymKol=250\r\n"
                                           "OutDev=C:\r\n"
                                           "XProb=3\r\n"
                                           "Extra=чужое\r\n"
                                           "\r\n"
                                           "[Other]\r\n"
                                           "WordPrice=99\r\n");

class SetupDialogTest : public ::testing::Test {
protected:
    SetupDialogTest() { applyLocale(QLocale(QLocale::Russian)); }
    ~SetupDialogTest() override { dorod::setFormatSettings(m_saved); }

    // Writes config.INI and reads it as the main window does at start.
    void startWith(const QString& config) {
        guisupport::writeBytes(desk.configPath(), cp1251(config));
        LoadConfig(desk.configPath(), desk.settings, &desk.drives);
    }
    std::string config() const { return readBytes(desk.configPath()); }

    // The text of the label that names a control.
    static QString labelOf(const QWidget* control) {
        for (const QLabel* label : control->window()->findChildren<QLabel*>())
            if (label->buddy() == control) return label->text();
        return QStringLiteral("<no label>");
    }
    // The decimal point the number boxes show: the system's, a comma where it has none.
    static QString point() {
        const QLocale system = QLocale::system();
        return system.language() == QLocale::C ? QStringLiteral(",") : system.decimalPoint();
    }

private:
    dorod::FormatSettings m_saved = dorod::formatSettings();

protected:
    guisupport::TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installed{dialogs};
};

TEST_F(SetupDialogTest, OpensOnTheStoredValuesUnderTheirLabels) {
    startWith(kFullConfig);
    TfSetup dialog(desk, nullptr);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Настройки"));
    ASSERT_EQ(ctl(dialog).PageControl1->count(), 4);
    EXPECT_EQ(ctl(dialog).PageControl1->tabText(0), QStringLiteral("Общие"));
    EXPECT_EQ(ctl(dialog).PageControl1->tabText(1), QStringLiteral("Диски"));
    EXPECT_EQ(ctl(dialog).PageControl1->tabText(2), QStringLiteral("Печать"));
    EXPECT_EQ(ctl(dialog).PageControl1->tabText(3), QStringLiteral("База данных"));
    EXPECT_EQ(ctl(dialog).PageControl1->currentWidget(), ctl(dialog).TabSheet1);
    EXPECT_EQ(ctl(dialog).GroupBox1->title(), QStringLiteral("Цена за слово"));
    for (QWidget* price :
         {static_cast<QWidget*>(ctl(dialog).ePrice), static_cast<QWidget*>(ctl(dialog).ePriceP),
          static_cast<QWidget*>(ctl(dialog).ePriceUr)})
        EXPECT_TRUE(ctl(dialog).GroupBox1->isAncestorOf(price))
            << price->objectName().toStdString();
    EXPECT_FALSE(ctl(dialog).GroupBox1->isAncestorOf(ctl(dialog).ePricepovtor));
    EXPECT_EQ(ctl(dialog).BitBtn1->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(ctl(dialog).BitBtn2->text(), QStringLiteral("Закрыть"));

    const std::pair<QWidget*, const char*> labels[] = {
        {ctl(dialog).ePrice, "Физлица "},
        {ctl(dialog).ePriceP, "Предприниматели"},
        {ctl(dialog).ePriceUr, "Юрлица "},
        {ctl(dialog).ePricepovtor, "Цена за повтор телефона"},
        {ctl(dialog).eFirst, "Текст в начале блока: "},
        {ctl(dialog).eLast, "Текст в конце блока: "},
        {ctl(dialog).edelay, "Задержка перед повтором блока: "},
        {ctl(dialog).eSymKol, "Ограничение символов:"},
        {ctl(dialog).eProb, "Хвостовые пробелы:"},
        {ctl(dialog).eOutDev, "Выводить строку на дисковод: "},
    };
    for (const auto& [control, text] : labels) {
        EXPECT_EQ(labelOf(control), QString::fromUtf8(text)) << control->objectName().toStdString();
        EXPECT_TRUE(ctl(dialog).TabSheet1->isAncestorOf(control));
    }

    EXPECT_EQ(ctl(dialog).ePrice->value(), 12.5);
    EXPECT_EQ(ctl(dialog).ePrice->text(), QStringLiteral("12") + point() + QStringLiteral("50"));
    EXPECT_EQ(ctl(dialog).ePriceP->value(), 7.25);
    EXPECT_EQ(ctl(dialog).ePriceUr->value(), 30);
    EXPECT_EQ(ctl(dialog).ePricepovtor->value(), 15);
    EXPECT_EQ(ctl(dialog).eFirst->text(), QStringLiteral("Бегущая строка"));
    EXPECT_EQ(ctl(dialog).eLast->text(), QStringLiteral("Конец"));
    EXPECT_EQ(ctl(dialog).edelay->value(), 40);
    EXPECT_EQ(ctl(dialog).eSymKol->value(), 250);
    EXPECT_EQ(ctl(dialog).eProb->value(), 3);
    EXPECT_EQ(ctl(dialog).eOutDev->currentText(), QStringLiteral("C:"));

    // The drive is chosen from the six letters, never typed.
    EXPECT_FALSE(ctl(dialog).eOutDev->isEditable());
    QStringList drives;
    for (int i = 0; i < ctl(dialog).eOutDev->count(); ++i)
        drives << ctl(dialog).eOutDev->itemText(i);
    EXPECT_EQ(drives.join(QLatin1Char(' ')), QStringLiteral("A: B: C: D: E: F:"));
}

TEST_F(SetupDialogTest, EmptyConfigShowsZerosAndSavesAnEmptyDrive) {
    startWith(QString());
    TfSetup dialog(desk, nullptr);
    for (const QDoubleSpinBox* box :
         {ctl(dialog).ePrice, ctl(dialog).ePriceP, ctl(dialog).ePriceUr, ctl(dialog).ePricepovtor})
        EXPECT_EQ(box->value(), 0) << box->objectName().toStdString();
    for (const QSpinBox* box : {ctl(dialog).edelay, ctl(dialog).eSymKol, ctl(dialog).eProb})
        EXPECT_EQ(box->value(), 0) << box->objectName().toStdString();
    EXPECT_EQ(ctl(dialog).eFirst->text(), QString());
    EXPECT_EQ(ctl(dialog).eLast->text(), QString());
    EXPECT_EQ(ctl(dialog).eOutDev->currentIndex(), -1);
    EXPECT_EQ(ctl(dialog).eOutDev->currentText(), QString());

    dialog.BitBtn1Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(config(),
              "[General]\r\nWordPrice=0\r\nWordPriceP=0\r\nWordPriceUr=0\r\nPricePovtor=0\r\n"
              "BlockDelay=0\r\nStringFirst=\r\nStringLast=\r\nSymKol=0\r\nOutDev=\r\nXProb=0\r\n");
}

TEST_F(SetupDialogTest, ADriveOutsideTheListChoosesNothingAndIsSavedEmpty) {
    const std::pair<const char*, const char*> cases[] = {
        {"G:", ""}, {"C:\\", ""}, {"d:", "D:"}, {"E:", "E:"}};
    for (const auto& [stored, saved] : cases) {
        SCOPED_TRACE(stored);
        startWith(QStringLiteral("[General]\r\nOutDev=%1\r\n").arg(QString::fromLatin1(stored)));
        TfSetup dialog(desk, nullptr);
        EXPECT_EQ(ctl(dialog).eOutDev->currentText(), QString::fromLatin1(saved));
        dialog.BitBtn1Click();
        EXPECT_EQ(desk.settings.OutDev, QString::fromLatin1(saved));
        EXPECT_NE(config().find("\r\nOutDev=" + std::string(saved) + "\r\n"), std::string::npos)
            << config();
    }
}

TEST_F(SetupDialogTest, SaveWritesTheControlsAtOnceAndKeepsEveryOtherLine) {
    startWith(kFullConfig);
    TfSetup dialog(desk, nullptr);
    ctl(dialog).ePrice->setValue(13.75);
    ctl(dialog).ePriceP->setValue(8);
    ctl(dialog).ePriceUr->setValue(31.5);
    ctl(dialog).ePricepovtor->setValue(20.1);
    ctl(dialog).eFirst->clear();
    guisupport::typeText(ctl(dialog).eFirst, QStringLiteral("Реклама на канале «Север»"));
    ctl(dialog).eLast->clear();
    ctl(dialog).edelay->setValue(60);
    ctl(dialog).eSymKol->setValue(300);
    ctl(dialog).eProb->setValue(5);
    ctl(dialog).eOutDev->setCurrentIndex(ctl(dialog).eOutDev->findText(QStringLiteral("D:")));

    dialog.BitBtn1Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(config(), cp1251(QStringLiteral("; рабочее место кассира\r\n"
                                              "[General]\r\n"
                                              "NAME=Телеканал «Север»\r\n"
                                              "WordPrice=13,75\r\n"
                                              "WordPriceP=8\r\n"
                                              "WordPriceUr=31,5\r\n"
                                              "PricePovtor=20,1\r\n"
                                              "BlockDelay=60\r\n"
                                              "StringFirst=Реклама на канале «Север»\r\n"
                                              "StringLast=\r\n"
                                              "SymKol=300\r\n"
                                              "OutDev=D:\r\n"
                                              "XProb=5\r\n"
                                              "Extra=чужое\r\n"
                                              "\r\n"
                                              "[Other]\r\n"
                                              "WordPrice=99\r\n")));
    // The next price and the next output use the new values without a restart.
    EXPECT_EQ(desk.settings.WordPrice, 13.75);
    EXPECT_EQ(desk.settings.PricePovtor, 20.1);
    EXPECT_EQ(desk.settings.StringFirst, QStringLiteral("Реклама на канале «Север»"));
    EXPECT_EQ(desk.settings.StringLast, QString());
    EXPECT_EQ(desk.settings.SymKol, 300);
    EXPECT_EQ(desk.settings.OutDev, QStringLiteral("D:"));
    EXPECT_EQ(desk.settings.NAME, QStringLiteral("Телеканал «Север»"));
}

TEST_F(SetupDialogTest, UntouchedValuesAreWrittenBackAsStored) {
    // Values a box cannot hold as they are: more decimals than kopecks, beyond the ranges.
    const QString stored =
        QStringLiteral("[General]\r\nWordPrice=0,125\r\nWordPriceP=2000000000\r\n"
                       "WordPriceUr=-3\r\nPricePovtor=7,125\r\nBlockDelay=-5\r\n"
                       "StringFirst=А\r\nStringLast=Я\r\nSymKol=250000\r\nOutDev=A:\r\n"
                       "XProb=0\r\n");
    startWith(stored);
    {
        TfSetup dialog(desk, nullptr);
        EXPECT_EQ(ctl(dialog).ePricepovtor->value(), 7.125);
        EXPECT_EQ(ctl(dialog).ePricepovtor->text(),
                  QStringLiteral("7") + point() + QStringLiteral("125"));
        dialog.BitBtn1Click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(config(), cp1251(stored));
    EXPECT_EQ(desk.settings.PricePovtor, 7.125);
    EXPECT_EQ(desk.settings.SymKol, 250000);

    // What the operator does change is taken as shown.
    TfSetup dialog(desk, nullptr);
    ctl(dialog).eSymKol->setValue(300);
    ctl(dialog).ePriceP->setValue(5);
    dialog.BitBtn1Click();
    EXPECT_EQ(desk.settings.SymKol, 300);
    EXPECT_EQ(desk.settings.WordPriceP, 5);
    EXPECT_EQ(desk.settings.PricePovtor, 7.125);
    EXPECT_NE(config().find("\r\nSymKol=300\r\n"), std::string::npos);
}

TEST_F(SetupDialogTest, CloseAndEscapeChangeNothing) {
    startWith(kFullConfig);
    const TSettings before = desk.settings;
    const auto changeEverything = [](TfSetup& dialog) {
        ctl(dialog).ePrice->setValue(1);
        ctl(dialog).ePricepovtor->setValue(2);
        ctl(dialog).eFirst->setText(QStringLiteral("другое"));
        ctl(dialog).eSymKol->setValue(7);
        ctl(dialog).eOutDev->setCurrentIndex(0);
        ctl(dialog).eDrive[0]->setText(QStringLiteral("/media/usb9"));
    };
    {
        TfSetup dialog(desk, nullptr);
        dialog.show();
        changeEverything(dialog);
        QTest::mouseClick(ctl(dialog).BitBtn2, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        TfSetup dialog(desk, nullptr);
        dialog.show();
        changeEverything(dialog);
        QTest::keyClick(ctl(dialog).eFirst, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(config(), cp1251(kFullConfig));
    EXPECT_EQ(desk.settings.WordPrice, before.WordPrice);
    EXPECT_EQ(desk.settings.PricePovtor, before.PricePovtor);
    EXPECT_EQ(desk.settings.StringFirst, before.StringFirst);
    EXPECT_EQ(desk.settings.SymKol, before.SymKol);
    EXPECT_EQ(desk.settings.OutDev, before.OutDev);
    EXPECT_EQ(desk.drives.configured(QStringLiteral("A:")), QString());
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(SetupDialogTest, EnterInAFieldSaves) {
    startWith(kFullConfig);
    TfSetup dialog(desk, nullptr);
    dialog.show();
    ctl(dialog).eLast->setText(QStringLiteral("До встречи"));
    QTest::keyClick(ctl(dialog).eLast, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_NE(config().find(cp1251(QStringLiteral("\r\nStringLast=До встречи\r\n"))),
              std::string::npos);
}

TEST_F(SetupDialogTest, AFailedWriteKeepsTheDialogOpenAndLosesNothing) {
    startWith(kFullConfig);
    TfSetup dialog(desk, nullptr);
    dialog.show();
    ctl(dialog).ePrice->setValue(9);
    ctl(dialog).eDrive[1]->setText(QStringLiteral("/media/usb1"));
    // A folder where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QFile::remove(desk.configPath()));
    ASSERT_TRUE(QDir().mkpath(desk.configPath()));

    dialog.BitBtn1Click();
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].startsWith(QStringLiteral("Не удалось записать настройки: ")))
        << dialogs.errors()[0].toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ctl(dialog).ePrice->value(), 9);
    EXPECT_EQ(desk.settings.WordPrice, 12.5); // the record changes only with the file
    EXPECT_EQ(desk.drives.configured(QStringLiteral("B:")), QString());

    // The operator frees the place and saves again: what was typed is all there.
    ASSERT_TRUE(QDir().rmdir(desk.configPath()));
    dialog.BitBtn1Click();
    EXPECT_EQ(dialogs.errors().size(), 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(desk.settings.WordPrice, 9);
    EXPECT_EQ(desk.drives.configured(QStringLiteral("B:")), QStringLiteral("/media/usb1"));
    EXPECT_NE(config().find("[General]\r\nWordPrice=9\r\n"), std::string::npos) << config();
    EXPECT_NE(config().find("[Drives]\r\nB=/media/usb1\r\n"), std::string::npos) << config();
}

TEST_F(SetupDialogTest, RefusesTextsWindows1251CannotHold) {
    startWith(kFullConfig);
    struct Case {
        const char* edit;
        const char* field;
    };
    const Case cases[] = {{"eFirst", "Текст в начале блока"},
                          {"eLast", "Текст в конце блока"},
                          {"eDriveC", "Диск C:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        dialogs.clear();
        TfSetup dialog(desk, nullptr);
        dialog.show();
        QLineEdit* edit = control<QLineEdit>(dialog, c.edit);
        ctl(dialog).ePrice->setValue(1);
        edit->clear();
        guisupport::typeText(edit, QStringLiteral("Цена Ω"));
        ASSERT_EQ(edit->text(), QStringLiteral("Цена Ω"));

        dialog.BitBtn1Click();
        ASSERT_EQ(dialogs.errors().size(), 1);
        EXPECT_TRUE(dialogs.errors()[0].contains(QString::fromUtf8(c.field)))
            << dialogs.errors()[0].toStdString();
        EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("Ω")));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(ctl(dialog).PageControl1->currentWidget()->isAncestorOf(
            edit)); // the operator sees the field
        EXPECT_EQ(config(), cp1251(kFullConfig));
        EXPECT_EQ(desk.settings.WordPrice, 12.5);

        // With the character taken out the same dialog saves.
        edit->setText(QStringLiteral("Цена"));
        dialog.BitBtn1Click();
        EXPECT_EQ(dialogs.errors().size(), 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(desk.settings.WordPrice, 1);
        startWith(kFullConfig);
    }
}

TEST_F(SetupDialogTest, DrivesPageMapsLettersToFoldersAndBack) {
    startWith(QStringLiteral("[General]\r\nOutDev=B:\r\n[Drives]\r\nA=/media/usb0\r\nC=flash\r\n"));
    TfSetup dialog(desk, nullptr);
    const QStringList letters = {QStringLiteral("A:"), QStringLiteral("B:"), QStringLiteral("C:"),
                                 QStringLiteral("D:"), QStringLiteral("E:"), QStringLiteral("F:")};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(labelOf(ctl(dialog).eDrive[i]), letters[i]);
        EXPECT_TRUE(ctl(dialog).TabSheet2->isAncestorOf(ctl(dialog).eDrive[i]));
        EXPECT_TRUE(ctl(dialog).TabSheet2->isAncestorOf(ctl(dialog).bDrive[i]));
        EXPECT_EQ(ctl(dialog).bDrive[i]->text(), QStringLiteral("…"));
    }
    EXPECT_EQ(ctl(dialog).eDrive[0]->text(), QStringLiteral("/media/usb0"));
    EXPECT_EQ(ctl(dialog).eDrive[1]->text(), QString());
    EXPECT_EQ(ctl(dialog).eDrive[2]->text(), QStringLiteral("flash"));
    // An empty letter says where it goes by default.
    EXPECT_EQ(ctl(dialog).eDrive[1]->placeholderText(), folder.file(QStringLiteral("B")));

    guisupport::ScriptedFileDialogs files;
    guisupport::ScopedInstance<FileDialogs> installedFiles(files);
    files.answer(QStringLiteral("/media/Флешка"));
    files.answer(QString());
    ctl(dialog).bDrive[1]->click();
    ctl(dialog).bDrive[2]->click(); // cancelled: the folder stays
    QStringList asked;
    for (const auto& r : files.requests()) {
        EXPECT_EQ(r.kind, guisupport::ScriptedFileDialogs::Kind::Directory);
        asked << r.caption + QLatin1Char('|') + r.start;
    }
    EXPECT_EQ(
        asked,
        QStringList({QStringLiteral("Папка диска B:|") + folder.file(QStringLiteral("B")),
                     QStringLiteral("Папка диска C:|") + folder.file(QStringLiteral("flash"))}));
    EXPECT_EQ(ctl(dialog).eDrive[1]->text(), QStringLiteral("/media/Флешка"));
    EXPECT_EQ(ctl(dialog).eDrive[2]->text(), QStringLiteral("flash"));
    ctl(dialog).eDrive[0]->clear(); // back to the default folder

    dialog.BitBtn1Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(desk.drives.configured(QStringLiteral("A:")), QString());
    EXPECT_EQ(desk.drives.folderFor(QStringLiteral("A:")), folder.file(QStringLiteral("A")));
    EXPECT_EQ(desk.drives.configured(QStringLiteral("B:")), QStringLiteral("/media/Флешка"));
    EXPECT_EQ(desk.drives.folderFor(QStringLiteral("C:")), folder.file(QStringLiteral("flash")));
    const std::string bytes = config();
    EXPECT_NE(
        bytes.find(cp1251(QStringLiteral("[Drives]\r\nA=\r\nC=flash\r\nB=/media/Флешка\r\n"))),
        std::string::npos)
        << bytes;

    // Read back at the next start, the dialog shows the same folders.
    TDesk restarted{ProgramFolder(folder.path())};
    LoadConfig(restarted.configPath(), restarted.settings, &restarted.drives);
    TfSetup again(restarted, nullptr);
    EXPECT_EQ(ctl(again).eDrive[0]->text(), QString());
    EXPECT_EQ(ctl(again).eDrive[1]->text(), QStringLiteral("/media/Флешка"));
    EXPECT_EQ(ctl(again).eDrive[2]->text(), QStringLiteral("flash"));
    EXPECT_EQ(ctl(again).eOutDev->currentText(), QStringLiteral("B:"));
}

TEST_F(SetupDialogTest, PrintPageChoosesAmongTheSystemsPrintersAndKeepsAMissingOne) {
    const QStringList installedNow = installedPrinters();
    struct Case {
        QString stored; // Printer= in config.INI
        QString shown;  // the choice the dialog opens on
        QString chosen; // the item the operator picks (empty: leaves it)
        QString saved;  // Printer= written
    };
    const QString gone = QStringLiteral("снятый");
    std::vector<Case> cases{
        {QString(), kDefaultPrinterChoice, QString(), QString()},
        {gone, gone + QStringLiteral(" (не установлен)"), QString(), gone},
        {gone, gone + QStringLiteral(" (не установлен)"), kDefaultPrinterChoice, QString()},
    };
    if (!installedNow.isEmpty())
        cases.push_back(
            {QString(), kDefaultPrinterChoice, installedNow.front(), installedNow.front()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString() + " -> " + c.chosen.toStdString());
        startWith(
            QStringLiteral("[General]\r\n[Print]\r\nPrinter=%1\r\nReceiptWithoutPreview=1\r\n")
                .arg(c.stored));
        TfSetup dialog(desk, nullptr);
        auto* printer = control<QComboBox>(dialog, "ePrinter");
        auto* withoutPreview = control<QCheckBox>(dialog, "cReceiptWithoutPreview");
        EXPECT_TRUE(control<QWidget>(dialog, "TabSheet3")->isAncestorOf(printer));
        EXPECT_EQ(printer->itemText(0), kDefaultPrinterChoice);
        for (const QString& name : installedNow)
            EXPECT_GE(printer->findText(name), 1) << name.toStdString();
        EXPECT_EQ(printer->currentText(), c.shown);
        EXPECT_TRUE(withoutPreview->isChecked());
        if (!c.chosen.isEmpty()) printer->setCurrentIndex(printer->findText(c.chosen));
        withoutPreview->setChecked(false);
        dialog.BitBtn1Click();
        EXPECT_EQ(desk.settings.Printer, c.saved);
        EXPECT_FALSE(desk.settings.ReceiptWithoutPreview);
        TSettings back;
        LoadConfig(desk.configPath(), back);
        EXPECT_EQ(back.Printer, c.saved);
        EXPECT_FALSE(back.ReceiptWithoutPreview);
    }
}

TEST_F(SetupDialogTest, MainMenuOpensTheDialogAndTheNewPriceHoldsAtOnce) {
    desk.open(); // no config.INI yet: every default
    TfVornelta window(desk);
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installedRunner(runner);
    runner.next([](QDialog& opened) {
        auto& dialog = dynamic_cast<TfSetup&>(opened);
        EXPECT_EQ(ctl(dialog).ePrice->value(), 0);
        ctl(dialog).ePrice->setValue(3);
        ctl(dialog).BitBtn1->click();
        return dialog.result();
    });
    window.N6Click();
    EXPECT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Настройки")});
    EXPECT_EQ(desk.settings.WordPrice, 3);
    EXPECT_NE(config().find("[General]\r\nWordPrice=3\r\n"), std::string::npos) << config();
    EXPECT_TRUE(dialogs.boxes().empty());
}

} // namespace
