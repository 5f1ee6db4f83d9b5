// The entry form as the operator uses it at the counter: a new announcement typed with
// colours for a known client and saved, a change that keeps what is fixed, the
// validation in its order, the client look-up, the text box, the date tools and the
// price panels.
#include "IntakeFixture.h"
#include "guisupport/ExternalTools.h"

#include "intake/Price.h"
#include "intake/Receipt.h"
#include "intake/TemplateCalls.h"
#include "intake/uDetal.h"
#include "realty/uHouses.h"
#include "reports/engine/Report.h"
#include "tables/AnnouncementTables.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

using namespace intaketest;

namespace {

// The form's controls, found by their names as a person finds them by their captions.
struct DetalControls {
    explicit DetalControls(const TfDetal& f) : form(f) {
        for (size_t i = 0; i < bc.size(); ++i)
            bc[i] = find<QToolButton>("bc%1", int(i) + 1);
        for (size_t i = 0; i < b.size(); ++i)
            b[i] = find<QToolButton>("b%1", int(i) + 2);
        for (size_t i = 0; i < panels.size(); ++i)
            panels[i] = find<QLabel>("sbPanel%1", int(i));
    }
    template <typename T> T* find(const char* name, int number) const {
        return guisupport::control<T>(form,
                                      QString::fromLatin1(name).arg(number).toLatin1().constData());
    }
    template <typename T> T* named(const char* name) const {
        return guisupport::control<T>(form, name);
    }

    const TfDetal& form;
    QDateEdit* eDate = named<QDateEdit>("eDate");
    QLabel* lNum = named<QLabel>("lNum");
    QLineEdit* eClient = named<QLineEdit>("eClient");
    QComboBox* eClientCat = named<QComboBox>("eClientCat");
    QLineEdit* ePasp = named<QLineEdit>("ePasp");
    QLineEdit* eTel = named<QLineEdit>("eTel");
    QCheckBox* ePovt = named<QCheckBox>("ePovt");
    QComboBox* eOplata = named<QComboBox>("eOplata");
    QToolButton* SpeedButton1 = named<QToolButton>("SpeedButton1");
    TOneLineTextEdit* eText = named<TOneLineTextEdit>("eText");
    QComboBox* eKateg = named<QComboBox>("eKateg");
    QListWidget* eDates = named<QListWidget>("eDates");
    QDateEdit* dFrom = named<QDateEdit>("dFrom");
    QDateEdit* dTo = named<QDateEdit>("dTo");
    QSpinBox* eDays = named<QSpinBox>("eDays");
    QPushButton* BitBtn4 = named<QPushButton>("BitBtn4");
    QCalendarWidget* eCal = named<QCalendarWidget>("eCal");
    QLabel* lDate = named<QLabel>("lDate");
    QToolButton* SpeedButton3 = named<QToolButton>("SpeedButton3");
    QToolButton* SpeedButton4 = named<QToolButton>("SpeedButton4");
    QToolButton* SpeedButton6 = named<QToolButton>("SpeedButton6");
    QToolButton* SpeedButton5 = named<QToolButton>("SpeedButton5");
    QDoubleSpinBox* eSumm = named<QDoubleSpinBox>("eSumm");
    QPushButton* BitBtn1 = named<QPushButton>("BitBtn1");
    QPushButton* BitBtn2 = named<QPushButton>("BitBtn2");
    QStatusBar* sb = named<QStatusBar>("sb");
    std::array<QToolButton*, 8> bc{};
    std::array<QToolButton*, 9> b{};
    std::array<QLabel*, 6> panels{};
};

DetalControls ui(const TfDetal& f) {
    return DetalControls(f);
}

class DetalTest : public IntakeTest {
protected:
    ~DetalTest() override { setTemplateCalls({}); }

    std::unique_ptr<TfDetal> open(bool newAnnouncement) {
        return std::make_unique<TfDetal>(*desk, nullptr, newAnnouncement);
    }
    static QString panel(const TfDetal& f, int i) { return ui(f).panels[size_t(i)]->text(); }
    static QStringList dates(const TfDetal& f) {
        QStringList out;
        for (int i = 0; i < ui(f).eDates->count(); ++i)
            out << ui(f).eDates->item(i)->text();
        return out;
    }
    static void type(TfDetal& f, const QString& text) { guisupport::typeText(ui(f).eText, text); }
    // Selects characters [from, to) of the text and presses the colour button.
    static void colour(TfDetal& f, int from, int to, int button) {
        QTextCursor c = ui(f).eText->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        ui(f).eText->setTextCursor(c);
        ui(f).bc[size_t(button - 1)]->click();
    }
    static void choose(QComboBox* box, const char* value) {
        box->setCurrentIndex(box->findText(q(value)));
        ASSERT_GE(box->currentIndex(), 0) << value;
    }
    void installReceiptTemplate() {
        const QString target = folder.file(q("Отчеты/sprav.frf"));
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(
            QStringLiteral(VORNELTA_SOURCE_DIR) + q("/resources/Отчеты/sprav.frf"), target));
    }
    // The text of the receipt now prepared in the desk's report, through a PDF.
    QString receiptText() {
        const QString pdf = folder.file(QStringLiteral("receipt.pdf"));
        const Result written = desk->report().exportToPdf(pdf);
        EXPECT_TRUE(written) << written.error().toStdString();
        return guisupport::pdfText(pdf);
    }
    static void fillRequired(TfDetal& f) {
        ui(f).eClient->setText(q("КЛИЕНТ"));
        choose(ui(f).eClientCat, "ФИЗЛИЦА");
        choose(ui(f).eKateg, "ПРОЧЕЕ");
        choose(ui(f).eOplata, "НАЛИЧНЫЙ");
        ui(f).eDates->addItem(q("10.12.2026"));
    }
};

TEST_F(DetalTest, NewAnnouncementForAKnownClientIsSavedWithColoursAndDays) {
    start(knownClients());
    desk->settings.WordPrice = 2.5;
    desk->settings.PricePovtor = 10;
    desk->tData.Last(); // the list stands elsewhere; the look-up moves it
    auto f = open(true);
    EXPECT_EQ(f->windowTitle(), q("Объявление"));
    EXPECT_EQ(ui(*f).lNum->text(), q("6"));
    EXPECT_EQ(ui(*f).eDate->date(), QDate(2026, 12, 9));
    EXPECT_TRUE(dialogs.boxes().empty());

    // The operator types the first letters of a known client.
    ui(*f).eClient->setFocus();
    guisupport::typeText(ui(*f).eClient, q("ив"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ИВАНОВ ИВАН"));
    EXPECT_EQ(ui(*f).eClient->selectedText(), q("АНОВ ИВАН"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("1234 567890"));
    EXPECT_EQ(ui(*f).eTel->text(), q("22-33-44"));
    EXPECT_EQ(ui(*f).eClientCat->currentText(), q("ФИЗЛИЦА"));

    // Two colours: the first word red, the rest white as typed.
    type(*f, q("Продам гараж у дома"));
    colour(*f, 0, 6, 5);
    EXPECT_EQ(panel(*f, 0), q("Символов: 19"));
    EXPECT_EQ(panel(*f, 1), q("Слов: 3"));
    choose(ui(*f).eOplata, "БЕЗНАЛИЧНЫЙ");
    choose(ui(*f).eKateg, "ПРОЧЕЕ");
    ui(*f).ePovt->setChecked(true);

    // Two days filled, one picked on the calendar.
    ui(*f).b[0]->click(); // "2"
    EXPECT_EQ(ui(*f).dTo->date(), QDate(2026, 12, 11));
    ui(*f).BitBtn4->click();
    ui(*f).eCal->setSelectedDate(QDate(2026, 12, 20));
    f->eCalDblClick();
    EXPECT_EQ(dates(*f), (QStringList{q("09.12.2026"), q("10.12.2026"), q("20.12.2026")}));
    EXPECT_EQ(panel(*f, 2), q("Дней: 3"));
    EXPECT_EQ(panel(*f, 3), q("Цена : 2,5"));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 32,5")); // 3 × 3 × 2.5 + 10
    EXPECT_DOUBLE_EQ(ui(*f).eSumm->value(), 32.5);

    // The receipt's preview: its pages written as PDF and read back.
    installReceiptTemplate();
    QString receipt;
    runner.next([&](QDialog& preview) {
        receipt = receiptText();
        preview.reject();
        return int(QDialog::Rejected);
    });
    ui(*f).BitBtn1->click();
    EXPECT_TRUE(f->saved());
    EXPECT_EQ(f->result(), int(QDialog::Accepted)); // the form closed
    EXPECT_TRUE(dialogs.errors().isEmpty()) << dialogs.errors().join(u'|').toStdString();
    EXPECT_EQ(runner.openedTitles(), QStringList{q("Предварительный просмотр")});
    EXPECT_TRUE(receipt.contains(q("09.12.2026,10.12.2026,20.12.2026"))) << receipt.toStdString();
    EXPECT_TRUE(receipt.contains(q("ИВАНОВ ИВАН"))) << receipt.toStdString();
    const auto rows = rowsOf("data.d");
    ASSERT_EQ(rows.size(), 6u);
    const auto& row = rows.back();
    EXPECT_EQ(row.at("id"), "6");
    EXPECT_EQ(row.at("indate"), "09.12.2026");
    EXPECT_EQ(row.at("Client"), guisupport::cp1251(q("ИВАНОВ ИВАН")));
    EXPECT_EQ(row.at("Pasport"), guisupport::cp1251(q("1234 567890")));
    EXPECT_EQ(row.at("Tel"), "22-33-44");
    EXPECT_EQ(row.at("Text"), guisupport::cp1251(q("Продам гараж у дома")));
    EXPECT_EQ(row.at("ClientCat"), guisupport::cp1251(q("ФИЗЛИЦА")));
    EXPECT_EQ(row.at("Oplata"), guisupport::cp1251(q("БЕЗНАЛИЧНЫЙ")));
    EXPECT_EQ(row.at("ObjCat"), guisupport::cp1251(q("ПРОЧЕЕ")));
    EXPECT_EQ(row.at("type"), guisupport::cp1251(q("БЕГУЩАЯ СТРОКА")));
    EXPECT_EQ(row.at("temp"), "1");
    EXPECT_EQ(row.at("slov"), "3");
    EXPECT_EQ(row.at("povt"), "True");
    EXPECT_EQ(row.at("XML"),
              guisupport::cp1251(q("<<255>>\r\nПродам\r\n<<16777215>> гараж у дома")));
    EXPECT_EQ(row.at("Summa"), "32,5");
    EXPECT_EQ(runDaysInFile(6),
              (std::vector<int>{day(2026, 12, 9), day(2026, 12, 10), day(2026, 12, 20)}));
    EXPECT_EQ(runDaysInFile(1), (std::vector<int>{day(2026, 12, 10), day(2026, 12, 11)}));
}

TEST_F(DetalTest, ChangeKeepsNumberDateClientAndRestoresColours) {
    std::vector<Row> rows = knownClients();
    // The same word twice in two colours.
    rows[1].text = q("Дом и дом");
    rows[1].xml = q("<<255>>\r\nДом\r\n<<16777215>> и \r\n<<32768>>дом");
    start(rows);
    goTo(2);
    auto f = open(false);
    EXPECT_EQ(ui(*f).lNum->text(), q("2"));
    EXPECT_EQ(ui(*f).eDate->date(), QDate(2026, 12, 1));
    EXPECT_FALSE(ui(*f).eDate->isEnabled());
    EXPECT_EQ(ui(*f).eClient->text(), q("ООО РОМАШКА"));
    EXPECT_FALSE(ui(*f).eClient->isEnabled());
    EXPECT_EQ(ui(*f).ePasp->text(), q("ИНН 7700"));
    EXPECT_EQ(ui(*f).eClientCat->currentText(), q("ЮРЛИЦА"));
    EXPECT_EQ(ui(*f).eOplata->currentText(), q("НАЛИЧНЫЙ"));
    EXPECT_EQ(ui(*f).eKateg->currentText(), q("ПРОЧЕЕ"));
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Дом и дом"));
    QList<int> expected =
        QList<int>(3, kColourRed) + QList<int>(3, kColourWhite) + QList<int>(3, kColourGreen);
    EXPECT_EQ(f->textColours(), expected);
    EXPECT_EQ(ui(*f).eText->textCursor().position(), 0);
    EXPECT_FALSE(ui(*f).eText->textCursor().hasSelection());
    EXPECT_EQ(dates(*f), QStringList{q("10.12.2026")});
    EXPECT_DOUBLE_EQ(ui(*f).eSumm->value(), 55.5); // the stored sum, not the computed one
    EXPECT_EQ(panel(*f, 5), q("Сумма фактически: 55,5"));

    ui(*f).eDates->setCurrentRow(0);
    f->eDatesDblClick();
    ui(*f).eCal->setSelectedDate(QDate(2026, 12, 24));
    f->eCalDblClick();
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    const auto saved = rowsOf("data.d");
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[1].at("id"), "2");
    EXPECT_EQ(saved[1].at("indate"), "01.12.2026");
    EXPECT_EQ(saved[1].at("Client"), guisupport::cp1251(q("ООО РОМАШКА")));
    EXPECT_EQ(saved[1].at("XML"), guisupport::cp1251(rows[1].xml));
    EXPECT_EQ(saved[1].at("Summa"), "55,5");
    EXPECT_EQ(runDaysInFile(2), std::vector<int>{day(2026, 12, 24)});
}

TEST_F(DetalTest, ValidationStopsAtTheFirstMissingValueInOrder) {
    start(knownClients());
    auto f = open(true);
    const std::string before = guisupport::readBytes(folder.file(q("data.d")));
    const QStringList messages = {q("Не введен клиент"), q("Не введена категория клиента"),
                                  q("Не введена классификация объявления"),
                                  q("Не введен cпособ оплаты"), q("Не введены даты выхода !")};
    const std::vector<std::function<void()>> corrections = {
        [&] { ui(*f).eClient->setText(q("НОВЫЙ")); },
        [&] { choose(ui(*f).eClientCat, "ЮРЛИЦА"); },
        [&] { choose(ui(*f).eKateg, "УСЛУГИ"); },
        [&] { choose(ui(*f).eOplata, "БЕСПЛАТНО"); },
        [&] { ui(*f).eDates->addItem(q("10.12.2026")); },
    };
    for (size_t i = 0; i < corrections.size(); ++i) {
        dialogs.clear();
        ui(*f).BitBtn1->click();
        EXPECT_EQ(dialogs.informations(), QStringList{messages[qsizetype(i)]});
        EXPECT_FALSE(f->saved());
        EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
        corrections[i]();
    }
    // An empty text is no failure: 0 words, a sum of 0.
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    EXPECT_EQ(rowsOf("data.d").back().at("slov"), "0");
    EXPECT_EQ(rowsOf("data.d").back().at("Summa"), "0");
    EXPECT_EQ(rowsOf("data.d").back().at("XML"), "<<16777215>>\r\n");
}

TEST_F(DetalTest, NumberAfterAnExistingOneIsSaidOnce) {
    std::vector<Row> rows = knownClients();
    rows.resize(2);
    rows[0].id = 8;
    rows[1].id = 7; // the last row has 7, and 8 exists elsewhere
    start(rows);
    auto f = open(true);
    EXPECT_EQ(ui(*f).lNum->text(), q("9"));
    EXPECT_EQ(dialogs.informations(), QStringList{q("Этот номер уже существует")});
}

TEST_F(DetalTest, ChangeOnAnEmptyListStopsAtTheClient) {
    start();
    auto f = open(false);
    EXPECT_EQ(ui(*f).lNum->text(), q("0"));
    EXPECT_FALSE(ui(*f).eDate->isEnabled());
    EXPECT_FALSE(ui(*f).eClient->isEnabled());
    EXPECT_TRUE(ui(*f).eClient->text().isEmpty());
    ui(*f).BitBtn1->click();
    EXPECT_EQ(dialogs.informations(), QStringList{q("Не введен клиент")});
}

TEST_F(DetalTest, ClientLookUpFillsClearsAndLetsAShorterNameBeTyped) {
    start(knownClients());
    auto f = open(true);
    choose(ui(*f).eClientCat, "ЮРЛИЦА");
    guisupport::typeText(ui(*f).eClient, q("пе"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ПЕТРОВ"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("4444"));
    EXPECT_EQ(ui(*f).eClientCat->currentText(), q("ФИЗЛИЦА"));
    // Typing on over the selection: "ПЕТРОВА" needs one more letter.
    guisupport::typeText(ui(*f).eClient, q("ТРОВА"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ПЕТРОВА"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("5555"));
    // Deleting the completed rest is not completed again: a name that begins a known
    // one can be entered.
    ui(*f).eClient->clear();
    guisupport::typeText(ui(*f).eClient, q("пет"));
    EXPECT_EQ(ui(*f).eClient->selectedText(), q("РОВ"));
    QTest::keyClick(ui(*f).eClient, Qt::Key_Backspace);
    EXPECT_EQ(ui(*f).eClient->text(), q("ПЕТ"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("4444")); // still the first client it begins
    // Typed over a selection of the whole name, the first letter completes again.
    ui(*f).eClient->selectAll();
    guisupport::typeText(ui(*f).eClient, q("о"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ООО РОМАШКА"));
    ui(*f).eClient->setText(q("ПЕТ"));
    // A client not yet known clears passport and telephone, keeps the category.
    guisupport::typeText(ui(*f).eClient, q("Х"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ПЕТХ"));
    EXPECT_TRUE(ui(*f).ePasp->text().isEmpty());
    EXPECT_TRUE(ui(*f).eTel->text().isEmpty());
    EXPECT_EQ(ui(*f).eClientCat->currentText(), q("ЮРЛИЦА"));
    // An emptied box is no client: nothing is filled in.
    ui(*f).eClient->selectAll();
    QTest::keyClick(ui(*f).eClient, Qt::Key_Backspace);
    EXPECT_TRUE(ui(*f).eClient->text().isEmpty());
    EXPECT_TRUE(ui(*f).ePasp->text().isEmpty());
    EXPECT_TRUE(ui(*f).eTel->text().isEmpty());
}

TEST_F(DetalTest, ClientLookUpFindsClientsTheMainSearchHides) {
    start(knownClients());
    desk->search(q("сдам")); // the list shows ПЕТРОВ and ПЕТРОВА only
    ASSERT_EQ(desk->tData.RecordCount(), 2);
    auto f = open(true);
    guisupport::typeText(ui(*f).eClient, q("ив"));
    EXPECT_EQ(ui(*f).eClient->text(), q("ИВАНОВ ИВАН"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("1234 567890")); // the first of the two in table order
    EXPECT_EQ(ui(*f).eClientCat->currentText(), q("ФИЗЛИЦА"));
    ui(*f).eClient->clear();
    guisupport::typeText(ui(*f).eClient, q("петрова"));
    EXPECT_EQ(ui(*f).ePasp->text(), q("5555"));
    EXPECT_EQ(desk->tData.FieldByName("id").AsInteger(), 5); // shown: it became current
}

TEST_F(DetalTest, TextStaysOneLineAndCallsTemplatesThroughTheInterface) {
    start();
    QStringList askedNames;
    setTemplateCalls({[](TDesk&, QWidget*) { return std::optional<QString>(q("Из списка")); },
                      [&](TDesk&, QWidget*, const QString& name) {
                          askedNames << name;
                          return name == q("дача") ? std::optional<QString>(q("Сдам квартиру"))
                                                   : std::nullopt;
                      }});
    auto f = open(true);
    type(*f, q("==нет"));
    QTest::keyClick(ui(*f).eText, Qt::Key_Return);
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("==нет")); // no such template: the text stays
    ui(*f).eText->clear();
    type(*f, q("==дача"));
    QTest::keyClick(ui(*f).eText, Qt::Key_Enter);
    EXPECT_EQ(askedNames, (QStringList{q("нет"), q("дача")}));
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Сдам квартиру"));
    EXPECT_EQ(ui(*f).eKateg->currentText(), q("НЕДВИЖИМОСТЬ")); // the change event ran
    EXPECT_EQ(panel(*f, 1), q("Слов: 2"));

    ui(*f).SpeedButton1->click();
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Из списка"));
    // Neither Shift+Enter nor a pasted line break starts a second line.
    QTest::keyClick(ui(*f).eText, Qt::Key_Return, Qt::ShiftModifier);
    QMimeData pasted;
    pasted.setText(q(" раз\r\nдва\nтри"));
    ui(*f).eText->insertFromMimeData(&pasted);
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Из списка раз два три"));
    EXPECT_EQ(ui(*f).eText->document()->blockCount(), 1);
}

TEST_F(DetalTest, CategoryGuessAndTheLimitFollowEveryChange) {
    start();
    desk->settings.SymKol = 10;
    auto f = open(true);
    choose(ui(*f).eKateg, "УСЛУГИ");
    type(*f, q("квартира"));
    EXPECT_EQ(ui(*f).eKateg->currentText(), q("НЕДВИЖИМОСТЬ"));
    EXPECT_TRUE(dialogs.informations().isEmpty());
    type(*f, q(" а")); // 10 characters: at the limit, no message
    EXPECT_TRUE(dialogs.informations().isEmpty());
    type(*f, q(" автомобиль")); // over it: a message at each change
    EXPECT_EQ(ui(*f).eKateg->currentText(), q("АВТОТРАНСПОРТ"));
    EXPECT_EQ(dialogs.informations().size(), 11);
    EXPECT_EQ(dialogs.informations().front(),
              q("Установлено ограничение на количество символов ! 10"));
    dialogs.clear();
    colour(*f, 0, 3, 1); // colours are no change of the text
    EXPECT_TRUE(dialogs.informations().isEmpty());
}

TEST_F(DetalTest, DateToolsAndThePricePanels) {
    start();
    desk->settings.WordPrice = 2;
    auto f = open(true);
    EXPECT_EQ(ui(*f).lDate->text(), q("09.12.2026"));
    EXPECT_EQ(ui(*f).eDays->value(), 1);
    EXPECT_EQ(ui(*f).eCal->firstDayOfWeek(), Qt::Sunday);
    // Right after opening both ends are today: nothing is filled.
    ui(*f).BitBtn4->click();
    EXPECT_EQ(ui(*f).eDates->count(), 0);
    EXPECT_EQ(panel(*f, 0), q("Символов: 0"));
    EXPECT_EQ(panel(*f, 1), q("Слов: 0"));

    ui(*f).dFrom->setDate(QDate(2026, 6, 1));
    EXPECT_EQ(ui(*f).dTo->date(), QDate(2026, 12, 9)); // dFrom alone does not move dTo
    ui(*f).b[3]->click();                              // "5"
    EXPECT_EQ(ui(*f).dTo->date(), QDate(2026, 6, 6));
    // The same button again after the start moved: the end follows the new start.
    ui(*f).dFrom->setDate(QDate(2026, 6, 3));
    ui(*f).b[3]->click();
    EXPECT_EQ(ui(*f).dTo->date(), QDate(2026, 6, 8));
    ui(*f).dFrom->setDate(QDate(2026, 6, 1));
    ui(*f).b[3]->click();
    type(*f, q("Продам дом дешево"));
    ui(*f).BitBtn4->click();
    EXPECT_EQ(dates(*f), (QStringList{q("01.06.2026"), q("02.06.2026"), q("03.06.2026"),
                                      q("04.06.2026"), q("05.06.2026")}));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 20"));
    // Typing on leaves the computed sum until the days change.
    type(*f, q(" срочно"));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 20"));
    // Fill on a full list answered No keeps it and prices again.
    dialogs.answer(false);
    ui(*f).BitBtn4->click();
    EXPECT_EQ(dialogs.questions(),
              QStringList{q("Перед заполнением таблица дат будет очищена. Продолжить?")});
    EXPECT_EQ(ui(*f).eDates->count(), 5);
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 30"));
    // Yes: emptied and filled anew.
    dialogs.answer(true);
    ui(*f).eDays->setValue(2);
    ui(*f).BitBtn4->click();
    EXPECT_EQ(ui(*f).eDates->count(), 2);
    // The same day picked twice counts twice.
    ui(*f).eCal->setSelectedDate(QDate(2026, 12, 31));
    f->eCalDblClick();
    f->eCalDblClick();
    EXPECT_EQ(panel(*f, 2), q("Дней: 4"));
    // Paging keeps the day or takes the month's last.
    ui(*f).SpeedButton6->click();
    EXPECT_EQ(ui(*f).lDate->text(), q("31.01.2027"));
    ui(*f).SpeedButton6->click();
    EXPECT_EQ(ui(*f).lDate->text(), q("28.02.2027"));
    ui(*f).SpeedButton5->click();
    ui(*f).SpeedButton3->click();
    ui(*f).SpeedButton4->click();
    EXPECT_EQ(ui(*f).lDate->text(), q("28.01.2027"));
    // A double click with nothing selected removes nothing.
    ui(*f).eDates->clearSelection();
    f->eDatesDblClick();
    EXPECT_EQ(ui(*f).eDates->count(), 4);
}

TEST_F(DetalTest, CloseWritesNothingAndAFailedSaveKeepsTheForm) {
    start(knownClients());
    const std::string before = guisupport::readBytes(folder.file(q("data.d")));
    {
        auto f = open(true);
        fillRequired(*f);
        ui(*f).BitBtn2->click();
        EXPECT_FALSE(f->saved());
        EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
    }
    auto f = open(true);
    fillRequired(*f);
    type(*f, q("Продам гараж"));
    ASSERT_TRUE(QFile::remove(folder.file(q("data.d"))));
    ASSERT_TRUE(QDir().mkdir(folder.file(q("data.d"))));
    ui(*f).BitBtn1->click();
    EXPECT_FALSE(f->saved());
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains(q("data.d")));
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Продам гараж"));
    EXPECT_EQ(ui(*f).eClient->text(), q("КЛИЕНТ"));
    EXPECT_EQ(ui(*f).eDates->count(), 1);
    EXPECT_EQ(desk->tData.RecordCount(), 5);
}

TEST_F(DetalTest, RunAnnouncementFormSetsTheFlagAndOpensModally) {
    start(knownClients());
    runner.next([](QDialog& d) {
        auto& f = static_cast<TfDetal&>(d);
        EXPECT_TRUE(f.isNewAnnouncement());
        ui(f).BitBtn2->click();
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(runAnnouncementForm(*desk, nullptr, true));
    EXPECT_EQ(runner.openedTitles(), QStringList{q("Объявление")});
}

} // namespace

namespace {

TEST_F(DetalTest, MissingReceiptTemplateLeavesTheAnnouncementSavedAndClosesWithOneMessage) {
    start(knownClients());
    QFile::remove(folder.file(q("Отчеты/sprav.frf")));
    auto f = open(true);
    fillRequired(*f);
    ui(*f).BitBtn1->click();
    EXPECT_TRUE(f->saved());
    EXPECT_EQ(f->result(), int(QDialog::Accepted));
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains(q("sprav.frf")))
        << dialogs.errors().front().toStdString();
    EXPECT_EQ(rowsOf("data.d").size(), 6u);
    EXPECT_EQ(runDaysInFile(6), std::vector<int>{day(2026, 12, 10)});
}

TEST_F(DetalTest, ReceiptComesFromTheProgramFolderNotTheCurrentOne) {
    start(knownClients());
    installReceiptTemplate();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    goTo(2);
    const Result prepared = prepareReceipt(*desk, 2, {q("10.12.2026"), q("11.12.2026")});
    QDir::setCurrent(previous);
    ASSERT_TRUE(prepared) << prepared.error().toStdString();
    const QString text = receiptText();
    EXPECT_TRUE(text.contains(q("10.12.2026,11.12.2026"))) << text.toStdString();
    EXPECT_TRUE(text.contains(q("ООО РОМАШКА"))) << text.toStdString();
}

} // namespace

namespace {

TEST_F(DetalTest, NewFlatAnnouncementIsClassifiedOnceAndAChangeIsNot) {
    start(knownClients());
    installReceiptTemplate();
    auto f = open(true);
    fillRequired(*f);
    type(*f, q("Сдам 2-х комн. кВаРтИрУ"));
    // "Квартиры" opens before anything is written; its save appends the realty row.
    std::vector<std::map<std::string, std::string>> dataWhileClassifying;
    runner.next([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), q("Квартиры"));
        dataWhileClassifying = rowsOf("data.d");
        EXPECT_TRUE(guisupport::control<QCheckBox>(d, "cSdam")->isChecked());
        guisupport::control<QPushButton>(d, "BitBtn1")->click();
        return int(QDialog::Accepted);
    });
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    EXPECT_EQ(dataWhileClassifying.size(), 5u);
    EXPECT_EQ(runner.openedTitles(), (QStringList{q("Квартиры"), q("Предварительный просмотр")}));
    const auto realty = rowsOf("rielt.d");
    ASSERT_EQ(realty.size(), 1u);
    EXPECT_EQ(realty[0].at("text"), guisupport::cp1251(q("Сдам 2-х комн. кВаРтИрУ")));
    EXPECT_EQ(rowsOf("data.d").back().at("ObjCat"), guisupport::cp1251(q("НЕДВИЖИМОСТЬ")));

    // Closed without writing: the save goes on all the same.
    desk->tData.Last();
    auto again = open(true);
    fillRequired(*again);
    type(*again, q("квартиры"));
    runner.next([](QDialog& d) {
        d.reject();
        return int(QDialog::Rejected);
    });
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    ui(*again).BitBtn1->click();
    EXPECT_TRUE(again->saved());
    EXPECT_EQ(rowsOf("rielt.d").size(), 1u);

    // Changing a flat announcement opens no realty window.
    goTo(2); // "Ремонт квартир"
    auto change = open(false);
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    ui(*change).BitBtn1->click();
    EXPECT_TRUE(change->saved());
    EXPECT_EQ(runner.openedTitles().count(q("Квартиры")), 2);
}

} // namespace

namespace {

TEST_F(DetalTest, DamagedColoursStillOpenAndSignsInTheTextComeBack) {
    std::vector<Row> rows = knownClients();
    rows[0].text = q("Цена <100> руб");
    rows[0].xml = q("<<garbage\r\nЦена");
    start(rows);
    goTo(1);
    auto f = open(false);
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Цена <100> руб"));
    EXPECT_EQ(f->textColours().size(), 14);

    // Saved again, the signs are kept apart from the colour markers and read back.
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    installReceiptTemplate();
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    goTo(1);
    auto again = open(false);
    EXPECT_EQ(ui(*again).eText->toPlainText(), q("Цена <100> руб"));
    EXPECT_EQ(again->textColours(), f->textColours());
}

} // namespace

namespace {

TEST_F(DetalTest, AStoredSumSurvivesASaveThatLeavesTheSumBoxAlone) {
    struct Case {
        double stored;
        const char* inFile; // as the engine writes it
    };
    const Case cases[] = {{-150, "-150"}, {2.5e9, "2500000000"}, {12.345, "12,345"}, {0, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inFile);
        start(knownClients());
        desk->tData.First();
        desk->tData.Edit();
        desk->tData.FieldByName("Summa").SetAsFloat(c.stored);
        desk->tData.Post();
        auto f = open(false);
        EXPECT_DOUBLE_EQ(ui(*f).eSumm->value(), roundToKopecks(c.stored)); // shown, not clamped
        ui(*f).eTel->setText(q("33-44-55")); // the phone is all that changes
        runner.next([](QDialog& preview) { return preview.result(); });
        ui(*f).BitBtn1->click();
        ASSERT_TRUE(f->saved());
        EXPECT_EQ(rowsOf("data.d")[0].at("Summa"), c.inFile);
        EXPECT_EQ(rowsOf("data.d")[0].at("Tel"), "33-44-55");
        desk.reset();
    }
    // A sum the operator typed is what is saved.
    start(knownClients());
    auto f = open(false);
    ui(*f).eSumm->setValue(-20.5);
    runner.next([](QDialog& preview) { return preview.result(); });
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    EXPECT_EQ(rowsOf("data.d")[0].at("Summa"), "-20,5");
}

TEST_F(DetalTest, EachBoxTakesWhatItsFieldHolds) {
    start();
    auto f = open(true);
    struct Box {
        QWidget* box;
        int width;
        const char* caption;
    };
    const Box boxes[] = {{ui(*f).eClient, kClientWidth, "Заказчик"},
                         {ui(*f).ePasp, kPasportWidth, "Паспорт"},
                         {ui(*f).eTel, kTelWidth, "Телефон"},
                         {ui(*f).eText, kTextWidth, "Текст объявления"}};
    const auto text = [](const QWidget* w) {
        if (const auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
        return static_cast<const QTextEdit*>(w)->toPlainText();
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.caption);
        ui(*f).sb->clearMessage();
        // Typing stops at the width, without a word.
        guisupport::typeText(b.box, QString(b.width - 2, u'д'));
        guisupport::typeText(b.box, q("ёжик"));
        EXPECT_EQ(text(b.box).size(), b.width);
        EXPECT_TRUE(text(b.box).endsWith(q("ёж"), Qt::CaseInsensitive));
        EXPECT_TRUE(ui(*f).sb->currentMessage().isEmpty());
        // A paste is cut to the width and the status bar says so; its line breaks are
        // spaces.
        QApplication::clipboard()->setText(q("раз\nдва три"));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(b.box, Qt::Key_Backspace);
        QTest::keyClick(b.box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(text(b.box).size(), b.width);
        EXPECT_TRUE(text(b.box).endsWith(q("раз "), Qt::CaseInsensitive));
        EXPECT_TRUE(ui(*f).sb->currentMessage().contains(q(b.caption)))
            << ui(*f).sb->currentMessage().toStdString();
    }
    EXPECT_TRUE(ui(*f).eClient->text().endsWith(q("РАЗ "))); // still upper case
}

TEST_F(DetalTest, ATemplateTextBecomesOneLineAndOneTooLongIsRefusedAtTheSave) {
    start(knownClients());
    installReceiptTemplate();
    QString fromTemplate = q("Сдам\nквартиру\r\nсрочно");
    setTemplateCalls({[&](TDesk&, QWidget*) { return std::optional<QString>(fromTemplate); }, {}});
    const std::string before = guisupport::readBytes(folder.file(q("data.d")));
    auto f = open(true);
    fillRequired(*f);
    ui(*f).SpeedButton1->click();
    EXPECT_EQ(ui(*f).eText->toPlainText(), q("Сдам квартиру срочно"));
    EXPECT_EQ(ui(*f).eText->document()->blockCount(), 1);

    // A template may give more than the field holds: the save refuses it, naming the
    // field, before anything is written (no realty window either).
    fromTemplate = q("Сдам квартиру ") + QString(kTextWidth, u'ж');
    ui(*f).SpeedButton1->click();
    EXPECT_EQ(ui(*f).eText->toPlainText().size(), kTextWidth + 14);
    ui(*f).BitBtn1->click();
    EXPECT_FALSE(f->saved());
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains(q("Текст объявления")));
    EXPECT_TRUE(runner.opened().empty());
    EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);

    // Shortened, it is saved whole, on one line.
    fromTemplate = q("Сдам\nквартиру");
    ui(*f).SpeedButton1->click();
    runner.next([](QDialog& houses) { return houses.result(); }); // closed unwritten
    runner.next([](QDialog& preview) { return preview.result(); });
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    EXPECT_EQ(rowsOf("data.d").back().at("Text"), guisupport::cp1251(q("Сдам квартиру")));
}

TEST_F(DetalTest, AFlatAnnouncementIsClassifiedOnceAcrossFailedSaves) {
    start(knownClients());
    installReceiptTemplate();
    const auto breakDataFile = [&] {
        ASSERT_TRUE(QFile::rename(folder.file(q("data.d")), folder.file(q("data.keep"))));
        ASSERT_TRUE(QDir().mkdir(folder.file(q("data.d"))));
    };
    const auto mendDataFile = [&] {
        ASSERT_TRUE(QDir().rmdir(folder.file(q("data.d"))));
        ASSERT_TRUE(QFile::rename(folder.file(q("data.keep")), folder.file(q("data.d"))));
    };
    const auto write = [](QDialog& houses) {
        guisupport::control<QPushButton>(houses, "BitBtn1")->click();
        return houses.result();
    };
    const auto closePreview = [](QDialog& preview) { return preview.result(); };

    // The realty row is written, the announcement's save fails; saved again, the row is
    // not asked for nor written a second time.
    auto f = open(true);
    fillRequired(*f);
    type(*f, q("Сдам квартиру"));
    breakDataFile();
    runner.next(write);
    ui(*f).BitBtn1->click();
    EXPECT_FALSE(f->saved());
    mendDataFile();
    runner.next(closePreview);
    ui(*f).BitBtn1->click();
    ASSERT_TRUE(f->saved());
    EXPECT_EQ(runner.openedTitles().count(q("Квартиры")), 1);
    EXPECT_EQ(rowsOf("rielt.d").size(), 1u);

    // The realty row cannot be written and the window is closed; the save fails too. The
    // next save asks again, and one row is written.
    desk->tData.Last();
    auto again = open(true);
    fillRequired(*again);
    type(*again, q("Куплю квартиру"));
    breakDataFile();
    const QString realty = folder.file(q("rielt.d"));
    ASSERT_TRUE(QFile::rename(realty, realty + q(".keep")));
    ASSERT_TRUE(QDir().mkdir(realty));
    runner.next([&](QDialog& houses) {
        dynamic_cast<TfHhouses&>(houses).BitBtn1Click();
        EXPECT_FALSE(dialogs.errors().isEmpty()) << "the realty row's failed save is said";
        houses.reject(); // the close box
        return houses.result();
    });
    ui(*again).BitBtn1->click();
    EXPECT_FALSE(again->saved());
    mendDataFile();
    ASSERT_TRUE(QDir().rmdir(realty));
    ASSERT_TRUE(QFile::rename(realty + q(".keep"), realty));
    runner.next(write);
    runner.next(closePreview);
    ui(*again).BitBtn1->click();
    ASSERT_TRUE(again->saved());
    EXPECT_EQ(runner.openedTitles().count(q("Квартиры")), 3);
    const auto rows = rowsOf("rielt.d");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].at("text"), guisupport::cp1251(q("Куплю квартиру")));
}

} // namespace
