// The main window as an operator uses it: first start on an empty folder, the caption,
// search as you type, deleting an announcement with its run days, the settings on close.
#include "app/ProgramStart.h"
#include "app/uVornelta.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/DeskRows.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/uDetal.h"
#include "platform/TextCodec.h"

#include "storage/DorodDate.h"
#include "storage/Win1251.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace vornelta;
using guisupport::control;
using guisupport::cp1251;
using guisupport::kDay1;
using guisupport::kDay2;
using guisupport::kRows;
using guisupport::readBytes;
using guisupport::ScriptedDialogs;
using guisupport::ScriptedModalRunner;
using guisupport::TempFolder;
using guisupport::writeBytes;
using guisupport::writeDesk;

// Whether the dialog shown is the entry form, opened for a new announcement.
bool openedAsNew(QDialog& dialog) {
    auto* form = qobject_cast<TfDetal*>(&dialog);
    EXPECT_NE(form, nullptr);
    return form && form->isNewAnnouncement();
}

class MainWindowTest : public ::testing::Test {
protected:
    void start() {
        ASSERT_TRUE(prepareProgramFolder(ProgramFolder(folder.path())));
        desk = std::make_unique<TDesk>(ProgramFolder(folder.path()));
        desk->open();
        window = std::make_unique<TfVornelta>(*desk);
    }

    QTableView* grid() const { return control<QTableView>(*window, "RxDBGrid1"); }
    QAbstractItemModel* model() const { return grid()->model(); }

    QStringList listedIds() const {
        QStringList ids;
        for (int r = 0; r < model()->rowCount(); ++r)
            ids << model()->index(r, 0).data().toString();
        return ids;
    }

    std::vector<int> runDatesOf(int id) {
        std::vector<int> days;
        dorod::TDorodTable dates;
        dates.SetTableName(fromQt(folder.file(QStringLiteral("dates.d"))));
        dates.Open();
        for (dates.First(); !dates.Eof(); dates.Next())
            if (dates.FieldByName("id").AsInteger() == id)
                days.push_back(dates.FieldByName("date").AsDayNumber());
        return days;
    }

    TempFolder folder;
    ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};
    std::unique_ptr<TDesk> desk;
    std::unique_ptr<TfVornelta> window;
};

TEST_F(MainWindowTest, FirstStartCreatesTablesFoldersAndShowsTheDefaultCaption) {
    start();
    for (const char* name : {"data.d", "dates.d", "rielt.d", "rielt_out.d"})
        EXPECT_TRUE(QFileInfo::exists(folder.file(QString::fromLatin1(name)))) << name;
    for (const QString& sub : {kTemplatesFolder, kTextsFolder, kReportsFolder})
        EXPECT_TRUE(QFileInfo(folder.file(sub)).isDir()) << sub.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("config.INI"))));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("НЕ ВВЕДЕНО !"));
    EXPECT_EQ(desk->tData.FieldCount(), 15);
    EXPECT_EQ(model()->rowCount(), 0);

    // The list's columns.
    QStringList titles;
    for (int c = 0; c < model()->columnCount(); ++c)
        titles << model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("№ п.п."), QStringLiteral("Принято"),
                                   QStringLiteral("Клиент"), QStringLiteral("Текст")}));
    EXPECT_EQ(grid()->columnWidth(2), 300);
    EXPECT_EQ(grid()->columnWidth(3), 656);
}

TEST_F(MainWindowTest, CaptionComesFromTheSettings) {
    writeBytes(folder.file(QStringLiteral("config.INI")),
               cp1251(QStringLiteral("[General]\r\nNAME=Студия «Восток»\r\n")));
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Студия «Восток»"));
}

TEST_F(MainWindowTest, SearchMatchesAnyLetterCaseAndPiecesOfWords) {
    writeDesk(folder.path(), kRows);
    start();
    EXPECT_EQ(listedIds(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(model()->index(1, 2).data().toString(), QStringLiteral("ПЕТРОВА"));
    EXPECT_EQ(model()->index(0, 1).data().toString(), QStringLiteral("01.12.2026"));

    guisupport::typeText(control<QLineEdit>(*window, "eTextForFind"), QStringLiteral("кварт"));
    EXPECT_EQ(listedIds(), (QStringList{"1", "3", "4"}));
    control<QLineEdit>(*window, "eTextForFind")->setText(QStringLiteral("КВАРТ"));
    EXPECT_EQ(listedIds(), (QStringList{"1", "3", "4"}));
    control<QLineEdit>(*window, "eTextForFind")
        ->setText(QStringLiteral("ртир")); // from the middle of a word
    EXPECT_EQ(listedIds(), (QStringList{"1", "3", "4"}));
    control<QLineEdit>(*window, "eTextForFind")->setText(QStringLiteral("гараж"));
    EXPECT_EQ(listedIds(), (QStringList{"2"}));
    control<QLineEdit>(*window, "eTextForFind")
        ->setText(QStringLiteral("Ω")); // no Windows-1251 byte: nothing matches
    EXPECT_TRUE(listedIds().isEmpty());
    control<QLineEdit>(*window, "eTextForFind")->clear();
    EXPECT_EQ(listedIds(), (QStringList{"1", "2", "3", "4"}));

    // The run days follow the announcement current after the search.
    control<QLineEdit>(*window, "eTextForFind")->setText(QStringLiteral("новострой"));
    EXPECT_EQ(desk->tData.FieldByName("id").AsInteger(), 3);
    EXPECT_EQ(desk->tDates.RecordCount(), 2);
}

TEST_F(MainWindowTest, DeleteAnsweredYesRemovesTheAnnouncementAndExactlyItsRunDays) {
    writeDesk(folder.path(), kRows);
    start();
    // Move to the third row without opening it: the run-date view still follows the first.
    grid()->selectRow(2);
    ASSERT_EQ(desk->tData.FieldByName("id").AsInteger(), 3);

    dialogs.answer(true);
    window->N4Click();
    EXPECT_EQ(dialogs.questions(), QStringList{QStringLiteral("Удалить объявление ?")});
    EXPECT_EQ(listedIds(), (QStringList{"1", "2", "4"}));
    EXPECT_TRUE(runDatesOf(3).empty());
    EXPECT_EQ(runDatesOf(1), (std::vector<int>{kDay1, kDay2}));
    EXPECT_EQ(runDatesOf(2), std::vector<int>{kDay1});

    // Both files hold the deletion.
    TDesk reopened{ProgramFolder(folder.path())};
    reopened.open();
    EXPECT_EQ(reopened.tData.RecordCount(), 3);
    EXPECT_FALSE(reopened.tData.Locate("id", {"3"}));
}

TEST_F(MainWindowTest, DeleteAnsweredNoChangesNothing) {
    writeDesk(folder.path(), kRows);
    const std::string data = readBytes(folder.file(QStringLiteral("data.d")));
    const std::string dates = readBytes(folder.file(QStringLiteral("dates.d")));
    start();
    dialogs.answer(false);
    control<QToolButton>(*window, "SpeedButton3")->click();
    EXPECT_EQ(dialogs.questions().size(), 1);
    EXPECT_EQ(listedIds().size(), 4);
    EXPECT_EQ(readBytes(folder.file(QStringLiteral("data.d"))), data);
    EXPECT_EQ(readBytes(folder.file(QStringLiteral("dates.d"))), dates);
}

TEST_F(MainWindowTest, DeleteOnAnEmptyListAsksNothing) {
    start();
    window->N4Click();
    EXPECT_TRUE(dialogs.questions().isEmpty());
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsKeepingForeignLines) {
    const QString ini = QStringLiteral("; desk of the channel\r\n[General]\r\nNAME=Студия\r\n"
                                       "WordPrice=2,5\r\n[Other]\r\nkey=value\r\n");
    writeBytes(folder.file(QStringLiteral("config.INI")), cp1251(ini));
    start();
    window->close();
    const QString written = toQt(readBytes(folder.file(QStringLiteral("config.INI"))));
    EXPECT_TRUE(
        written.startsWith(QStringLiteral("; desk of the channel\r\n[General]\r\nNAME=Студия\r\n")))
        << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("WordPrice=2,5\r\n")));
    EXPECT_TRUE(written.contains(QStringLiteral("XProb=0\r\n")));
    EXPECT_TRUE(written.contains(QStringLiteral("[Other]\r\nkey=value\r\n")));
}

TEST_F(MainWindowTest, MenuOpensTheSettingsAndFlagsNewAnnouncements) {
    start();
    runner.next([](QDialog& dialog) {
        dialog.reject();
        return int(QDialog::Rejected);
    });
    control<QAction>(*window, "N6")->trigger();
    EXPECT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Настройки")});

    // "Добавить" and "Изменить" open the entry form with the flag set for it.
    QList<bool> modes;
    const auto closeForm = [&](QDialog& dialog) {
        modes << openedAsNew(dialog);
        dialog.reject();
        return int(QDialog::Rejected);
    };
    runner.next(closeForm);
    runner.next(closeForm);
    control<QToolButton>(*window, "SpeedButton1")->click();
    control<QToolButton>(*window, "SpeedButton2")->click();
    EXPECT_EQ(modes, (QList<bool>{true, false}));
    EXPECT_EQ(runner.openedTitles(),
              (QStringList{QStringLiteral("Настройки"), QStringLiteral("Объявление"),
                           QStringLiteral("Объявление")}));
}

TEST(DeskRunDates, FollowTheCurrentAnnouncementThroughEditsAndOtherViews) {
    TempFolder folder;
    writeDesk(folder.path(), kRows);
    TDesk desk{ProgramFolder(folder.path())};
    desk.open();
    const auto currentId = [&] { return desk.tData.FieldByName("id").AsInteger(); };

    desk.search(QStringLiteral("квар"));
    ASSERT_EQ(currentId(), 1);
    EXPECT_EQ(desk.tDates.RecordCount(), 2);

    // A run day added through a clone (the view does not see it) while the same
    // announcement stays current shows on the next search.
    dorod::TDorodTable clone;
    clone.SetCloneDS(&desk.tDates);
    clone.Open();
    clone.Insert();
    clone.FieldByName("id").SetAsInteger(1);
    clone.FieldByName("date").SetAsDayNumber(kDay2 + 1);
    clone.Post();
    EXPECT_EQ(desk.tDates.RecordCount(), 2);
    desk.search(QStringLiteral("кварт"));
    ASSERT_EQ(currentId(), 1);
    EXPECT_EQ(desk.tDates.RecordCount(), 3);

    // Another window shows one broadcast day in the same view, then gives the mode back.
    {
        const DeskScope dayShown = desk.runDatesOfDay(kDay2);
        EXPECT_EQ(desk.tDates.RecordCount(), 3); // 1 and 3 twice
    }
    desk.search(QStringLiteral("кварти"));
    ASSERT_EQ(currentId(), 1);
    EXPECT_EQ(desk.tDates.RecordCount(), 3);
    for (desk.tDates.First(); !desk.tDates.Eof(); desk.tDates.Next())
        EXPECT_EQ(desk.tDates.FieldByName("id").AsInteger(), 1);

    desk.search(QStringLiteral("гараж"));
    ASSERT_EQ(currentId(), 2);
    EXPECT_EQ(desk.tDates.RecordCount(), 1);
}

TEST(DeskSearch, UpperCasedSubstringOverWindows1251Bytes) {
    const auto up = [](const char* utf8) {
        return dorod::win1251::toUpper(cp1251(QString::fromUtf8(utf8)));
    };
    EXPECT_TRUE(
        dorod::win1251::containsUpperCased(cp1251(QStringLiteral("Продам ёлку")), up("ЁЛК")));
    EXPECT_TRUE(dorod::win1251::containsUpperCased(cp1251(QStringLiteral("abc")), ""));
    EXPECT_FALSE(dorod::win1251::containsUpperCased(cp1251(QStringLiteral("ab")), up("abc")));
    EXPECT_TRUE(dorod::win1251::containsUpperCased(cp1251(QStringLiteral("xxABC")), up("abc")));
    EXPECT_FALSE(dorod::win1251::containsUpperCased(cp1251(QStringLiteral("xxAB")), up("abc")));
}

TEST(DeskSearch, LongTextsAgreeWithAPlainSearch) {
    // Texts long enough for the sixteen-byte steps, with the needle at every position.
    std::mt19937 random(7);
    const std::string letters = cp1251(QStringLiteral("абвгдеёжзАБВГДЕЁЖЗ 12-"));
    for (int round = 0; round < 2000; ++round) {
        std::string text(size_t(random() % 120), ' ');
        for (char& c : text)
            c = letters[random() % letters.size()];
        std::string needle(size_t(1 + random() % 6), ' ');
        for (char& c : needle)
            c = letters[random() % letters.size()];
        const std::string upperText = dorod::win1251::toUpper(text);
        const std::string upperNeedle = dorod::win1251::toUpper(needle);
        EXPECT_EQ(dorod::win1251::containsUpperCased(text, upperNeedle),
                  upperText.find(upperNeedle) != std::string::npos)
            << text << " / " << needle;
    }
}

// Every way of opening the entry form from the list, counted: a real double click on a
// row, on an empty list and below the last row opens it once each; Enter on a row once.
TEST_F(MainWindowTest, EachDoubleClickOrEnterOpensTheEntryFormOnce) {
    writeDesk(folder.path(), kRows);
    start();
    std::vector<bool> openings; // the new-announcement flag of each opening
    window->setAnnouncementForm([&](TDesk& d, QWidget* parent, bool isNew) {
        EXPECT_EQ(&d, desk.get());
        EXPECT_EQ(parent, window.get());
        openings.push_back(isNew);
        return false;
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWidget* viewport = grid()->viewport();
    // Through the window system's queue, as a mouse does it: press, release, press,
    // release; Qt makes the second press a double click.
    const auto doubleClick = [&](QPoint onViewport) {
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           viewport->mapTo(window.get(), onViewport));
        QCoreApplication::processEvents();
    };
    doubleClick(grid()->visualRect(model()->index(1, 2)).center());
    EXPECT_EQ(openings, std::vector<bool>{false});
    EXPECT_EQ(desk->tData.FieldByName("id").AsInteger(), 2); // on the row clicked

    const QRect lastRow = grid()->visualRect(model()->index(3, 2));
    const QPoint belowLast(lastRow.center().x(), lastRow.bottom() + 20);
    ASSERT_LT(belowLast.y(), viewport->height());
    doubleClick(belowLast);
    EXPECT_EQ(openings.size(), 2u);

    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_EQ(openings.size(), 3u);

    // "Добавить" goes through the same form, flagged new.
    control<QToolButton>(*window, "SpeedButton1")->click();
    EXPECT_EQ(openings, (std::vector<bool>{false, false, false, true}));
}

TEST_F(MainWindowTest, DoubleClickOnAnEmptyListOpensTheFormAsChangeDoes) {
    start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    runner.next([&](QDialog& form) {
        EXPECT_FALSE(openedAsNew(form)); // as "Изменить" opens it
        form.reject();
        return int(QDialog::Rejected);
    });
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       grid()->viewport()->mapTo(window.get(), QPoint(40, 40)));
    QCoreApplication::processEvents();
    // Once: a second form would be a dialog nobody drives, and fail the test.
    EXPECT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Объявление")});
}

TEST_F(MainWindowTest, ControlsCarryTheirSystemNamesAndCaptions) {
    start();
    const std::pair<const char*, QString> actions[] = {
        {"N2", QStringLiteral("Добавить")},    {"N3", QStringLiteral("Изменить")},
        {"N4", QStringLiteral("Удалить")},     {"N8", QStringLiteral("Отчет за период")},
        {"N6", QStringLiteral("Настройки")},   {"N10", QStringLiteral("Вывод строки")},
        {"N11", QStringLiteral("В квартеон")},
    };
    for (const auto& [name, text] : actions)
        EXPECT_EQ(control<QAction>(*window, name)->text(), text) << name;
    EXPECT_EQ(control<QLabel>(*window, "Label1")->text(), QStringLiteral("Поиск:"));
    EXPECT_EQ(control<QLineEdit>(*window, "eTextForFind")->width(), 137);
    EXPECT_EQ(control<QToolButton>(*window, "SpeedButton3")->size(), QSize(33, 33));
}

// The application has a title but no display name, which X11 would append to captions.
TEST(ProgramStart, NamesTheApplicationWithoutADisplayName) {
    const QString savedName = QCoreApplication::applicationName();
    nameApplication();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Vornelta"));
    // Without a display name of its own, the display name follows the application name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
    QCoreApplication::setApplicationName(savedName);
    EXPECT_EQ(Dialogs::caption(), QStringLiteral("Vornelta"));
}

} // namespace
