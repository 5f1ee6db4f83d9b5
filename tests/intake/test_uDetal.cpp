// The entry form as the operator uses it at the counter: a new announcement typed with
// colours for a known client and saved, a change that keeps what is fixed, the
// validation in its order, the client look-up, the text box, the date tools and the
// price panels.
#include "IntakeFixture.h"

#include "intake/Receipt.h"
#include "intake/TemplateCalls.h"
#include "intake/uDetal.h"
#include "realty/uHouses.h"
#include "tables/AnnouncementTables.h"

#include <QCalendarWidget>
#include <QCheckBox>
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
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

using namespace intaketest;

namespace {

class DetalTest : public IntakeTest {
protected:
    ~DetalTest() override { setTemplateCalls({}); }

    std::unique_ptr<TfDetal> open(bool newAnnouncement) {
        desk->newAnnouncement = newAnnouncement;
        return std::make_unique<TfDetal>(*desk, nullptr);
    }
    static QString panel(const TfDetal& f, int i) { return f.ui.panels[size_t(i)]->text(); }
    static QStringList dates(const TfDetal& f) {
        QStringList out;
        for (int i = 0; i < f.ui.eDates->count(); ++i)
            out << f.ui.eDates->item(i)->text();
        return out;
    }
    static void type(TfDetal& f, const QString& text) { guisupport::typeText(f.ui.eText, text); }
    // Selects characters [from, to) of the text and presses the colour button.
    static void colour(TfDetal& f, int from, int to, int button) {
        QTextCursor c = f.ui.eText->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        f.ui.eText->setTextCursor(c);
        f.ui.bc[size_t(button - 1)]->click();
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
        const Result written = desk->fRep.exportToPdf(pdf);
        EXPECT_TRUE(written) << written.error().toStdString();
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        EXPECT_TRUE(pdftotext.waitForFinished(20000));
        return QString::fromUtf8(pdftotext.readAllStandardOutput());
    }
    static void fillRequired(TfDetal& f) {
        f.ui.eClient->setText(q("КЛИЕНТ"));
        choose(f.ui.eClientCat, "ФИЗЛИЦА");
        choose(f.ui.eKateg, "ПРОЧЕЕ");
        choose(f.ui.eOplata, "НАЛИЧНЫЙ");
        f.ui.eDates->addItem(q("10.12.2026"));
    }
};

TEST_F(DetalTest, NewAnnouncementForAKnownClientIsSavedWithColoursAndDays) {
    start(knownClients());
    desk->settings.WordPrice = 2.5;
    desk->settings.PricePovtor = 10;
    desk->tData.Last(); // the list stands elsewhere; the look-up moves it
    auto f = open(true);
    EXPECT_EQ(f->windowTitle(), q("Объявление"));
    EXPECT_EQ(f->ui.lNum->text(), q("6"));
    EXPECT_EQ(f->ui.eDate->date(), QDate(2026, 12, 9));
    EXPECT_TRUE(dialogs.boxes().empty());

    // The operator types the first letters of a known client.
    f->ui.eClient->setFocus();
    guisupport::typeText(f->ui.eClient, q("ив"));
    EXPECT_EQ(f->ui.eClient->text(), q("ИВАНОВ ИВАН"));
    EXPECT_EQ(f->ui.eClient->selectedText(), q("АНОВ ИВАН"));
    EXPECT_EQ(f->ui.ePasp->text(), q("1234 567890"));
    EXPECT_EQ(f->ui.eTel->text(), q("22-33-44"));
    EXPECT_EQ(f->ui.eClientCat->currentText(), q("ФИЗЛИЦА"));

    // Two colours: the first word red, the rest white as typed.
    type(*f, q("Продам гараж у дома"));
    colour(*f, 0, 6, 5);
    EXPECT_EQ(panel(*f, 0), q("Символов: 19"));
    EXPECT_EQ(panel(*f, 1), q("Слов: 3"));
    choose(f->ui.eOplata, "БЕЗНАЛИЧНЫЙ");
    choose(f->ui.eKateg, "ПРОЧЕЕ");
    f->ui.ePovt->setChecked(true);

    // Two days filled, one picked on the calendar.
    f->ui.b[0]->click(); // "2"
    EXPECT_EQ(f->ui.dTo->date(), QDate(2026, 12, 11));
    f->ui.BitBtn4->click();
    f->ui.eCal->setSelectedDate(QDate(2026, 12, 20));
    f->eCalDblClick();
    EXPECT_EQ(dates(*f), (QStringList{q("09.12.2026"), q("10.12.2026"), q("20.12.2026")}));
    EXPECT_EQ(panel(*f, 2), q("Дней: 3"));
    EXPECT_EQ(panel(*f, 3), q("Цена : 2,5"));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 32,5")); // 3 × 3 × 2.5 + 10
    EXPECT_DOUBLE_EQ(f->ui.eSumm->value(), 32.5);

    // The receipt's preview: its pages written as PDF and read back.
    installReceiptTemplate();
    QString receipt;
    runner.next([&](QDialog& preview) {
        receipt = receiptText();
        preview.reject();
        return int(QDialog::Rejected);
    });
    f->ui.BitBtn1->click();
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
    EXPECT_EQ(f->ui.lNum->text(), q("2"));
    EXPECT_EQ(f->ui.eDate->date(), QDate(2026, 12, 1));
    EXPECT_FALSE(f->ui.eDate->isEnabled());
    EXPECT_EQ(f->ui.eClient->text(), q("ООО РОМАШКА"));
    EXPECT_FALSE(f->ui.eClient->isEnabled());
    EXPECT_EQ(f->ui.ePasp->text(), q("ИНН 7700"));
    EXPECT_EQ(f->ui.eClientCat->currentText(), q("ЮРЛИЦА"));
    EXPECT_EQ(f->ui.eOplata->currentText(), q("НАЛИЧНЫЙ"));
    EXPECT_EQ(f->ui.eKateg->currentText(), q("ПРОЧЕЕ"));
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Дом и дом"));
    QList<int> expected =
        QList<int>(3, kColourRed) + QList<int>(3, kColourWhite) + QList<int>(3, kColourGreen);
    EXPECT_EQ(f->textColours(), expected);
    EXPECT_EQ(f->ui.eText->textCursor().position(), 0);
    EXPECT_FALSE(f->ui.eText->textCursor().hasSelection());
    EXPECT_EQ(dates(*f), QStringList{q("10.12.2026")});
    EXPECT_DOUBLE_EQ(f->ui.eSumm->value(), 55.5); // the stored sum, not the computed one
    EXPECT_EQ(panel(*f, 5), q("Сумма фактически: 55,5"));

    f->ui.eDates->setCurrentRow(0);
    f->eDatesDblClick();
    f->ui.eCal->setSelectedDate(QDate(2026, 12, 24));
    f->eCalDblClick();
    f->ui.BitBtn1->click();
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
        [&] { f->ui.eClient->setText(q("НОВЫЙ")); },
        [&] { choose(f->ui.eClientCat, "ЮРЛИЦА"); },
        [&] { choose(f->ui.eKateg, "УСЛУГИ"); },
        [&] { choose(f->ui.eOplata, "БЕСПЛАТНО"); },
        [&] { f->ui.eDates->addItem(q("10.12.2026")); },
    };
    for (size_t i = 0; i < corrections.size(); ++i) {
        dialogs.clear();
        f->ui.BitBtn1->click();
        EXPECT_EQ(dialogs.informations(), QStringList{messages[qsizetype(i)]});
        EXPECT_FALSE(f->saved());
        EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
        corrections[i]();
    }
    // An empty text is no failure: 0 words, a sum of 0.
    f->ui.BitBtn1->click();
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
    EXPECT_EQ(f->ui.lNum->text(), q("9"));
    EXPECT_EQ(dialogs.informations(), QStringList{q("Этот номер уже существует")});
}

TEST_F(DetalTest, ChangeOnAnEmptyListStopsAtTheClient) {
    start();
    auto f = open(false);
    EXPECT_EQ(f->ui.lNum->text(), q("0"));
    EXPECT_FALSE(f->ui.eDate->isEnabled());
    EXPECT_FALSE(f->ui.eClient->isEnabled());
    EXPECT_TRUE(f->ui.eClient->text().isEmpty());
    f->ui.BitBtn1->click();
    EXPECT_EQ(dialogs.informations(), QStringList{q("Не введен клиент")});
}

TEST_F(DetalTest, ClientLookUpFillsClearsAndLetsAShorterNameBeTyped) {
    start(knownClients());
    auto f = open(true);
    choose(f->ui.eClientCat, "ЮРЛИЦА");
    guisupport::typeText(f->ui.eClient, q("пе"));
    EXPECT_EQ(f->ui.eClient->text(), q("ПЕТРОВ"));
    EXPECT_EQ(f->ui.ePasp->text(), q("4444"));
    EXPECT_EQ(f->ui.eClientCat->currentText(), q("ФИЗЛИЦА"));
    // Typing on over the selection: "ПЕТРОВА" needs one more letter.
    guisupport::typeText(f->ui.eClient, q("ТРОВА"));
    EXPECT_EQ(f->ui.eClient->text(), q("ПЕТРОВА"));
    EXPECT_EQ(f->ui.ePasp->text(), q("5555"));
    // Deleting the completed rest is not completed again: a name that begins a known
    // one can be entered.
    f->ui.eClient->clear();
    guisupport::typeText(f->ui.eClient, q("пет"));
    EXPECT_EQ(f->ui.eClient->selectedText(), q("РОВ"));
    QTest::keyClick(f->ui.eClient, Qt::Key_Backspace);
    EXPECT_EQ(f->ui.eClient->text(), q("ПЕТ"));
    EXPECT_EQ(f->ui.ePasp->text(), q("4444")); // still the first client it begins
    // Typed over a selection of the whole name, the first letter completes again.
    f->ui.eClient->selectAll();
    guisupport::typeText(f->ui.eClient, q("о"));
    EXPECT_EQ(f->ui.eClient->text(), q("ООО РОМАШКА"));
    f->ui.eClient->setText(q("ПЕТ"));
    // A client not yet known clears passport and telephone, keeps the category.
    guisupport::typeText(f->ui.eClient, q("Х"));
    EXPECT_EQ(f->ui.eClient->text(), q("ПЕТХ"));
    EXPECT_TRUE(f->ui.ePasp->text().isEmpty());
    EXPECT_TRUE(f->ui.eTel->text().isEmpty());
    EXPECT_EQ(f->ui.eClientCat->currentText(), q("ЮРЛИЦА"));
}

TEST_F(DetalTest, TextStaysOneLineAndCallsTemplatesThroughTheInterface) {
    start();
    QStringList filledPaths;
    setTemplateCalls({[](TDesk&, QWidget*) { return std::optional<QString>(q("Из списка")); },
                      [&](TDesk&, QWidget*, const QString& path) {
                          filledPaths << path;
                          return std::optional<QString>(q("Сдам квартиру"));
                      }});
    auto f = open(true);
    type(*f, q("==нет"));
    QTest::keyClick(f->ui.eText, Qt::Key_Return);
    EXPECT_EQ(f->ui.eText->toPlainText(), q("==нет")); // no such file: nothing happens
    EXPECT_TRUE(filledPaths.isEmpty());

    QFile file(folder.file(q("Шаблоны/дача.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    f->ui.eText->clear();
    type(*f, q("==дача"));
    QTest::keyClick(f->ui.eText, Qt::Key_Enter);
    EXPECT_EQ(filledPaths, QStringList{folder.file(q("Шаблоны/дача.txt"))});
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Сдам квартиру"));
    EXPECT_EQ(f->ui.eKateg->currentText(), q("НЕДВИЖИМОСТЬ")); // the change event ran
    EXPECT_EQ(panel(*f, 1), q("Слов: 2"));

    f->ui.SpeedButton1->click();
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Из списка"));
    // Neither Shift+Enter nor a pasted line break starts a second line.
    QTest::keyClick(f->ui.eText, Qt::Key_Return, Qt::ShiftModifier);
    QMimeData pasted;
    pasted.setText(q(" раз\r\nдва\nтри"));
    f->ui.eText->insertFromMimeData(&pasted);
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Из списка раз два три"));
    EXPECT_EQ(f->ui.eText->document()->blockCount(), 1);
}

TEST_F(DetalTest, CategoryGuessAndTheLimitFollowEveryChange) {
    start();
    desk->settings.SymKol = 10;
    auto f = open(true);
    choose(f->ui.eKateg, "УСЛУГИ");
    type(*f, q("квартира"));
    EXPECT_EQ(f->ui.eKateg->currentText(), q("НЕДВИЖИМОСТЬ"));
    EXPECT_TRUE(dialogs.informations().isEmpty());
    type(*f, q(" а")); // 10 characters: at the limit, no message
    EXPECT_TRUE(dialogs.informations().isEmpty());
    type(*f, q(" автомобиль")); // over it: a message at each change
    EXPECT_EQ(f->ui.eKateg->currentText(), q("АВТОТРАНСПОРТ"));
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
    EXPECT_EQ(f->ui.lDate->text(), q("09.12.2026"));
    EXPECT_EQ(f->ui.eDays->value(), 1);
    EXPECT_EQ(f->ui.eCal->firstDayOfWeek(), Qt::Sunday);
    // Right after opening both ends are today: nothing is filled.
    f->ui.BitBtn4->click();
    EXPECT_EQ(f->ui.eDates->count(), 0);
    EXPECT_EQ(panel(*f, 0), q("Символов: 0"));
    EXPECT_EQ(panel(*f, 1), q("Слов: 0"));

    f->ui.dFrom->setDate(QDate(2026, 6, 1));
    EXPECT_EQ(f->ui.dTo->date(), QDate(2026, 12, 9)); // dFrom alone does not move dTo
    f->ui.b[3]->click();                              // "5"
    EXPECT_EQ(f->ui.dTo->date(), QDate(2026, 6, 6));
    type(*f, q("Продам дом дешево"));
    f->ui.BitBtn4->click();
    EXPECT_EQ(dates(*f), (QStringList{q("01.06.2026"), q("02.06.2026"), q("03.06.2026"),
                                      q("04.06.2026"), q("05.06.2026")}));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 20"));
    // Typing on leaves the computed sum until the days change.
    type(*f, q(" срочно"));
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 20"));
    // Fill on a full list answered No keeps it and prices again.
    dialogs.answer(false);
    f->ui.BitBtn4->click();
    EXPECT_EQ(dialogs.questions(),
              QStringList{q("Перед заполнением таблица дат будет очищена. Продолжить?")});
    EXPECT_EQ(f->ui.eDates->count(), 5);
    EXPECT_EQ(panel(*f, 4), q("Расчетная сумма: 30"));
    // Yes: emptied and filled anew.
    dialogs.answer(true);
    f->ui.eDays->setValue(2);
    f->ui.BitBtn4->click();
    EXPECT_EQ(f->ui.eDates->count(), 2);
    // The same day picked twice counts twice.
    f->ui.eCal->setSelectedDate(QDate(2026, 12, 31));
    f->eCalDblClick();
    f->eCalDblClick();
    EXPECT_EQ(panel(*f, 2), q("Дней: 4"));
    // Paging keeps the day or takes the month's last.
    f->ui.SpeedButton6->click();
    EXPECT_EQ(f->ui.lDate->text(), q("31.01.2027"));
    f->ui.SpeedButton6->click();
    EXPECT_EQ(f->ui.lDate->text(), q("28.02.2027"));
    f->ui.SpeedButton5->click();
    f->ui.SpeedButton3->click();
    f->ui.SpeedButton4->click();
    EXPECT_EQ(f->ui.lDate->text(), q("28.01.2027"));
    // A double click with nothing selected removes nothing.
    f->ui.eDates->clearSelection();
    f->eDatesDblClick();
    EXPECT_EQ(f->ui.eDates->count(), 4);
}

TEST_F(DetalTest, CloseWritesNothingAndAFailedSaveKeepsTheForm) {
    start(knownClients());
    const std::string before = guisupport::readBytes(folder.file(q("data.d")));
    {
        auto f = open(true);
        fillRequired(*f);
        f->ui.BitBtn2->click();
        EXPECT_FALSE(f->saved());
        EXPECT_EQ(guisupport::readBytes(folder.file(q("data.d"))), before);
    }
    auto f = open(true);
    fillRequired(*f);
    type(*f, q("Продам гараж"));
    ASSERT_TRUE(QFile::remove(folder.file(q("data.d"))));
    ASSERT_TRUE(QDir().mkdir(folder.file(q("data.d"))));
    f->ui.BitBtn1->click();
    EXPECT_FALSE(f->saved());
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains(q("data.d")));
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Продам гараж"));
    EXPECT_EQ(f->ui.eClient->text(), q("КЛИЕНТ"));
    EXPECT_EQ(f->ui.eDates->count(), 1);
    EXPECT_EQ(desk->tData.RecordCount(), 5);
}

TEST_F(DetalTest, RunAnnouncementFormSetsTheFlagAndOpensModally) {
    start(knownClients());
    runner.next([](QDialog& d) {
        auto& f = static_cast<TfDetal&>(d);
        EXPECT_TRUE(f.isNewAnnouncement());
        f.ui.BitBtn2->click();
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(runAnnouncementForm(*desk, nullptr, true));
    EXPECT_TRUE(desk->newAnnouncement);
    EXPECT_EQ(runner.openedTitles(), QStringList{q("Объявление")});
}

} // namespace

namespace {

TEST_F(DetalTest, MissingReceiptTemplateLeavesTheAnnouncementSavedAndClosesWithOneMessage) {
    start(knownClients());
    QFile::remove(folder.file(q("Отчеты/sprav.frf")));
    auto f = open(true);
    fillRequired(*f);
    f->ui.BitBtn1->click();
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
    QString error;
    const bool prepared = prepareReceipt(*desk, {q("10.12.2026"), q("11.12.2026")}, &error);
    QDir::setCurrent(previous);
    ASSERT_TRUE(prepared) << error.toStdString();
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
        auto& houses = static_cast<TfHhouses&>(d);
        EXPECT_TRUE(houses.ui.cSdam->isChecked());
        houses.ui.BitBtn1->click();
        return int(QDialog::Accepted);
    });
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    f->ui.BitBtn1->click();
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
    again->ui.BitBtn1->click();
    EXPECT_TRUE(again->saved());
    EXPECT_EQ(rowsOf("rielt.d").size(), 1u);

    // Changing a flat announcement opens no realty window.
    goTo(2); // "Ремонт квартир"
    auto change = open(false);
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    change->ui.BitBtn1->click();
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
    EXPECT_EQ(f->ui.eText->toPlainText(), q("Цена <100> руб"));
    EXPECT_EQ(f->textColours().size(), 14);

    // Saved again, the signs are kept apart from the colour markers and read back.
    runner.next([](QDialog& preview) {
        preview.reject();
        return int(QDialog::Rejected);
    });
    installReceiptTemplate();
    f->ui.BitBtn1->click();
    ASSERT_TRUE(f->saved());
    goTo(1);
    auto again = open(false);
    EXPECT_EQ(again->ui.eText->toPlainText(), q("Цена <100> руб"));
    EXPECT_EQ(again->textColours(), f->textColours());
}

} // namespace
