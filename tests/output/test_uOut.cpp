// The output window as the operator uses it: filling a day (twice, with a deleted
// announcement, with one listed twice), the sorts and the moves with their messages,
// editing a moved row, "Просмотр", and "Вывести" with each driver and its failures.
#include "output/uOut.h"

#include "guisupport/ScriptedDialogs.h"
#include "output/OutputDesk.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace outputtest;
using guisupport::cp1251;
using guisupport::readBytes;
using guisupport::ScriptedDialogs;

// Records the calls in order; can refuse to start.
class RecordingWordProcessor : public WordProcessor {
public:
    explicit RecordingWordProcessor(QStringList& calls) : m_calls(calls) {}
    void documentsAdd() override { m_calls << QStringLiteral("Documents.Add"); }
    void setFontColor(int colour) override {
        m_calls << QStringLiteral("Font.Color:%1").arg(colour);
    }
    void typeText(const QString& text) override { m_calls << QStringLiteral("TypeText:") + text; }
    void typeParagraph() override { m_calls << QStringLiteral("TypeParagraph"); }
    Result checkGrammar() override {
        m_calls << QStringLiteral("CheckGrammar");
        return Result();
    }

private:
    QStringList& m_calls;
};

const QList<Announcement> kRows = {
    {1,
     QDate(2026, 12, 3),
     QStringLiteral("УСЛУГИ"),
     QStringLiteral("Ремонт квартир"),
     {kDay},
     true,
     QStringLiteral("2-15-30"),
     255},
    {2,
     QDate(2026, 12, 1),
     QStringLiteral("НЕДВИЖИМОСТЬ"),
     QStringLiteral("Продам дом"),
     {kDay, kDay}},
    {3,
     QDate(2026, 12, 3),
     QStringLiteral("АВТОТРАНСПОРТ"),
     QStringLiteral("Продам ВАЗ"),
     {kDay, kOtherDay}},
    {4, QDate(2026, 12, 2), QStringLiteral("ПРОЧЕЕ"), QStringLiteral("Завтра"), {kOtherDay}},
};

class OutputWindowTest : public ::testing::Test {
protected:
    OutputWindowTest() : f(kRows) {
        f.desk->setClock([] { return QDate(2026, 12, 7); });
        window = std::make_unique<TfOut>(*f.desk, nullptr);
    }

    void fill(const QDate& day) {
        guisupport::control<QDateEdit>(*window, "eOdate")->setDate(day);
        guisupport::control<QPushButton>(*window, "BitBtn1")->click();
    }
    QStringList shownTexts() const {
        QStringList out;
        const auto* model = guisupport::control<QTableView>(*window, "Stri")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, 0).data().toString();
        return out;
    }
    QList<int> listedIds() const {
        QList<int> out;
        for (const TDayRow& r : window->mtDAta().rows())
            out << r.Id;
        return out;
    }
    QString drivePath(const QString& name) const {
        return QDir(f.desk->drives.folderFor(QStringLiteral("A:"))).filePath(name);
    }
    QString textPath() const {
        return f.folder.file(QStringLiteral("Тексты/Вывод текста 07.12.2026.txt"));
    }

    DeskFixture f;
    ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    std::unique_ptr<TfOut> window;
};

TEST_F(OutputWindowTest, OpensOnTodayEmptyUnsortedWithTheAlphaDriver) {
    auto* w = window.get();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Вывод объявлений"));
    EXPECT_EQ(guisupport::control<QDateEdit>(*w, "eOdate")->date(), QDate(2026, 12, 7));
    EXPECT_EQ(guisupport::control<QTableView>(*w, "Stri")->model()->rowCount(), 0);
    EXPECT_EQ(guisupport::control<QTableView>(*w, "Stri")
                  ->model()
                  ->headerData(0, Qt::Horizontal)
                  .toString(),
              QStringLiteral("Текст"));
    EXPECT_FALSE(guisupport::control<QRadioButton>(*w, "cDAt")->isChecked());
    EXPECT_FALSE(guisupport::control<QRadioButton>(*w, "rCat")->isChecked());
    EXPECT_EQ(guisupport::control<QComboBox>(*w, "eType")->currentText(), QStringLiteral("ALPHA"));
    EXPECT_TRUE(guisupport::control<QComboBox>(*w, "eType")->isEditable());
    for (const char* name : {"eOdate", "BitBtn1", "Stri", "SpeedButton1", "SpeedButton2", "Button1",
                             "cDAt", "rCat", "Gauge1", "eType", "BitBtn4", "BitBtn2", "BitBtn3"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(guisupport::control<QPushButton>(*w, "Button1")->text(), QStringLiteral("№1"));
    EXPECT_EQ(guisupport::control<QPushButton>(*w, "BitBtn2")->text(), QStringLiteral("Вывести"));
}

TEST_F(OutputWindowTest, FillListsTheDayTwiceOverAndAgainWithoutDuplicates) {
    bool cleared = false;
    QList<bool> attached;
    window->clearMainSearch = [&] { cleared = true; };
    window->attachMainList = [&](bool on) { attached << on; };
    fill(kDay);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(attached, (QList<bool>{false, true}));
    // Announcement 2 runs twice that day and is listed twice.
    EXPECT_EQ(listedIds(), (QList<int>{1, 2, 2, 3}));
    EXPECT_EQ(shownTexts(),
              (QStringList{QStringLiteral("Ремонт квартир"), QStringLiteral("Продам дом"),
                           QStringLiteral("Продам дом"), QStringLiteral("Продам ВАЗ")}));
    EXPECT_EQ(guisupport::control<QProgressBar>(*window, "Gauge1")->value(), 4);
    EXPECT_EQ(window->selectedRow(), 0);
    fill(kDay);
    EXPECT_EQ(listedIds(), (QList<int>{1, 2, 2, 3}));
    fill(kOtherDay);
    EXPECT_EQ(listedIds(), (QList<int>{3, 4}));
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(f.desk->runDateFilter(), RunDateFilter::ByAnnouncement);
    EXPECT_TRUE(guisupport::control<QTableView>(*window, "Stri")->isVisibleTo(window.get()));
}

TEST_F(OutputWindowTest, DeletedAnnouncementGivesOneErrorAndNoRow) {
    ASSERT_TRUE(locateAnnouncement(*f.desk, 2));
    f.desk->tData.Delete();
    fill(kDay);
    EXPECT_EQ(dialogs.informations(),
              (QStringList{QStringLiteral("ERROR"), QStringLiteral("ERROR")}));
    EXPECT_EQ(listedIds(), (QList<int>{1, 3}));
}

TEST_F(OutputWindowTest, SortsWithTiesAndTheSameRadioTwiceDoesNothing) {
    QLocale::setDefault(QLocale(QLocale::Russian));
    fill(kDay);
    window->selectRow(3); // id 3
    guisupport::control<QRadioButton>(*window, "cDAt")->click();
    // 1 Dec (id 2, twice), then 3 Dec: id 1 and id 3 tie and keep the fill order.
    EXPECT_EQ(listedIds(), (QList<int>{2, 2, 1, 3}));
    EXPECT_EQ(window->selectedRow(), 3);
    // A hand move, then the same radio again: the hand order stays.
    guisupport::control<QPushButton>(*window, "Button1")->click();
    EXPECT_EQ(listedIds(), (QList<int>{3, 2, 2, 1}));
    guisupport::control<QRadioButton>(*window, "cDAt")->click();
    EXPECT_EQ(listedIds(), (QList<int>{3, 2, 2, 1}));
    guisupport::control<QRadioButton>(*window, "rCat")->click();
    // АВТОТРАНСПОРТ, НЕДВИЖИМОСТЬ ×2, УСЛУГИ.
    EXPECT_EQ(listedIds(), (QList<int>{3, 2, 2, 1}));
    window->selectRow(3);
    guisupport::control<QRadioButton>(*window, "cDAt")->click();
    EXPECT_EQ(listedIds(), (QList<int>{2, 2, 3, 1})); // ties by the places' creation numbers
    EXPECT_EQ(window->mtDAta().row(window->selectedRow()).Id, 1);
    QLocale::setDefault(QLocale::c());
}

TEST_F(OutputWindowTest, MovesAtBothEndsSayWhereTheRecordIs) {
    // An empty list: both ends at once.
    guisupport::control<QToolButton>(*window, "SpeedButton2")->click();
    guisupport::control<QPushButton>(*window, "Button1")->click();
    EXPECT_EQ(dialogs.informations(), QStringList{QStringLiteral("Запись находится в конце !")});
    dialogs.clear();

    fill(kDay);
    guisupport::control<QToolButton>(*window, "SpeedButton1")->click();
    EXPECT_EQ(dialogs.informations(), QStringList{QStringLiteral("Запись находится в начале !")});
    guisupport::control<QPushButton>(*window, "Button1")
        ->click(); // on the first row: nothing, no message
    EXPECT_EQ(dialogs.informations().size(), 1);
    guisupport::control<QToolButton>(*window, "SpeedButton2")->click();
    EXPECT_EQ(listedIds(), (QList<int>{2, 1, 2, 3}));
    EXPECT_EQ(window->selectedRow(), 1);
    window->selectRow(3);
    guisupport::control<QToolButton>(*window, "SpeedButton2")->click();
    EXPECT_EQ(dialogs.informations().last(), QStringLiteral("Запись находится в конце !"));
    guisupport::control<QToolButton>(*window, "SpeedButton1")->click();
    EXPECT_EQ(listedIds(), (QList<int>{2, 1, 3, 2}));
    EXPECT_EQ(window->selectedRow(), 2);
    EXPECT_EQ(shownTexts()[2], QStringLiteral("Продам ВАЗ"));
    EXPECT_EQ(dialogs.informations().size(), 2);
}

TEST_F(OutputWindowTest, DoubleClickEditsTheMovedRowsAnnouncementAndRefreshesIt) {
    fill(kDay);
    window->selectRow(3);
    guisupport::control<QPushButton>(*window, "Button1")->click(); // id 3 now first
    QList<int> opened;
    window->editCurrentAnnouncement = [&](TDesk& desk, QWidget*) {
        opened << desk.tData.FieldByName("id").AsInteger();
        desk.tData.Edit();
        desk.tData.FieldByName("Text").SetAsString(cp1251(QStringLiteral("Продам ВАЗ-2107")));
        desk.tData.FieldByName("ObjCat").SetAsString(cp1251(QStringLiteral("ПРОЧЕЕ")));
        desk.tData.Post();
        desk.tData.SaveToFile(desk.tData.TablePath());
        return true;
    };
    window->StriDblClick();
    EXPECT_EQ(opened, QList<int>{3});
    EXPECT_EQ(window->mtDAta().row(0).text, QStringLiteral("Продам ВАЗ-2107"));
    EXPECT_EQ(window->mtDAta().row(0).ObjCat, QStringLiteral("ПРОЧЕЕ"));
    EXPECT_EQ(shownTexts()[0], QStringLiteral("Продам ВАЗ-2107"));
    EXPECT_EQ(shownTexts()[1], QStringLiteral("Ремонт квартир"));

    // A row whose announcement is gone opens nothing and changes no row.
    ASSERT_TRUE(locateAnnouncement(*f.desk, 1));
    f.desk->tData.Delete();
    const QList<TDayRow> before = window->mtDAta().rows();
    window->selectRow(1);
    window->StriDblClick();
    EXPECT_EQ(opened, QList<int>{3});
    EXPECT_EQ(window->mtDAta().rows(), before);
}

TEST_F(OutputWindowTest, PreviewMakesTheCallsInOrderOrShowsWhyItCannot) {
    QStringList calls;
    window->createWordProcessor = [&]() -> ValueResult<std::unique_ptr<WordProcessor>> {
        return std::unique_ptr<WordProcessor>(std::make_unique<RecordingWordProcessor>(calls));
    };
    guisupport::control<QPushButton>(*window, "BitBtn4")
        ->click(); // an empty list: an empty document, still checked
    EXPECT_EQ(calls, (QStringList{"Documents.Add", "CheckGrammar"}));
    calls.clear();
    fill(kOtherDay);
    guisupport::control<QPushButton>(*window, "BitBtn4")->click();
    EXPECT_EQ(calls, (QStringList{"Documents.Add", "Font.Color:16777215",
                                  QStringLiteral("TypeText:Продам ВАЗ"), "TypeParagraph",
                                  "Font.Color:16777215", QStringLiteral("TypeText:Завтра"),
                                  "TypeParagraph", "CheckGrammar"}));
    EXPECT_TRUE(dialogs.boxes().empty());

    window->createWordProcessor = []() -> ValueResult<std::unique_ptr<WordProcessor>> {
        return Result::failed(QStringLiteral("Текстовый процессор не установлен"));
    };
    guisupport::control<QPushButton>(*window, "BitBtn4")->click();
    EXPECT_EQ(dialogs.errors(), QStringList{QStringLiteral("Текстовый процессор не установлен")});
    EXPECT_EQ(listedIds(), (QList<int>{3, 4}));
}

TEST_F(OutputWindowTest, OutputWithEachDriverTextWritesNamesOfTheDayOfWriting) {
    f.insertDiskette();
    struct Case {
        QString driver;
        QString file; // on the drive; empty: none
    };
    for (const Case& c : {Case{QStringLiteral("ALPHA"), QStringLiteral("scr_7_12.sc")},
                          Case{QStringLiteral("TextLine"), QStringLiteral("tvl_7_12.tvl")},
                          Case{QStringLiteral("alpha"), QString()}}) {
        f.desk->setClock([] { return QDate(2026, 12, 7); });
        window = std::make_unique<TfOut>(*f.desk, nullptr);
        QDir(f.desk->drives.folderFor(QStringLiteral("A:"))).removeRecursively();
        f.insertDiskette();
        QFile::remove(textPath());
        dialogs.clear();
        fill(kDay); // tomorrow's list prepared today: today's names
        guisupport::control<QComboBox>(*window, "eType")->setEditText(c.driver);
        window->show();
        guisupport::control<QPushButton>(*window, "BitBtn2")->click();
        EXPECT_EQ(dialogs.informations(),
                  (QStringList{QStringLiteral("Вставте дискету в дисковод A:"),
                               QStringLiteral("Скрипт успешно записан")}))
            << c.driver.toStdString();
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(QFileInfo::exists(textPath()));
        const QStringList onDrive =
            QDir(f.desk->drives.folderFor(QStringLiteral("A:"))).entryList(QDir::Files);
        EXPECT_EQ(onDrive, c.file.isEmpty() ? QStringList{} : QStringList{c.file})
            << c.driver.toStdString();
    }
}

TEST_F(OutputWindowTest, FailedOrEmptyOutputKeepsTheWindowOpenWithItsList) {
    // An empty list writes nothing and says so.
    window->show();
    guisupport::control<QPushButton>(*window, "BitBtn2")->click();
    EXPECT_EQ(dialogs.informations().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(textPath()));
    EXPECT_TRUE(window->isVisible());

    // No diskette: the text file is written, then the prompt, then one error; no success.
    fill(kDay);
    window->selectRow(2);
    dialogs.clear();
    guisupport::control<QPushButton>(*window, "BitBtn2")->click();
    EXPECT_EQ(dialogs.informations(), QStringList{QStringLiteral("Вставте дискету в дисковод A:")});
    EXPECT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(guisupport::control<QTableView>(*window, "Stri")->isVisible());
    EXPECT_EQ(listedIds(), (QList<int>{1, 2, 2, 3}));
    EXPECT_EQ(window->selectedRow(), 2);
    EXPECT_FALSE(QFileInfo::exists(drivePath(QStringLiteral("scr_7_12.sc"))));

    // "Тексты" missing: the error comes before the prompt.
    QDir(f.folder.file(QStringLiteral("Тексты"))).removeRecursively();
    f.insertDiskette();
    dialogs.clear();
    guisupport::control<QPushButton>(*window, "BitBtn2")->click();
    EXPECT_TRUE(dialogs.informations().isEmpty());
    EXPECT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(QDir(f.desk->drives.folderFor(QStringLiteral("A:"))).isEmpty());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(OutputWindowTest, OutputWritesTheListInItsCurrentOrder) {
    f.insertDiskette();
    fill(kDay);
    window->selectRow(3);
    guisupport::control<QPushButton>(*window, "Button1")->click();
    guisupport::control<QComboBox>(*window, "eType")->setEditText(QStringLiteral("TextLine"));
    guisupport::control<QPushButton>(*window, "BitBtn2")->click();
    const std::string tvl = readBytes(drivePath(QStringLiteral("tvl_7_12.tvl")));
    const std::string expected = "TV Studio TextLineList File Version 1.10\r\n\r\n2| |" +
                                 cp1251(QStringLiteral("Начало")) + "| |1000\r\n2| |" +
                                 cp1251(QStringLiteral("Продам ВАЗ")) + "||1000\r\n2| |" +
                                 cp1251(QStringLiteral("Ремонт квартир")) +
                                 "|2-15-30|1000\r\n2| |" + cp1251(QStringLiteral("Продам дом")) +
                                 "||1000\r\n2| |" + cp1251(QStringLiteral("Продам дом")) +
                                 "||1000\r\n2| |" + cp1251(QStringLiteral("Конец")) + "| |1000\r\n";
    EXPECT_EQ(tvl, expected);
}

} // namespace
