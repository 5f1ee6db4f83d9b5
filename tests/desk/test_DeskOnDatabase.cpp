// Several desks on one PostgreSQL database: what one saves the others see, a number is
// settled at the save, a change made first elsewhere is refused, a lost connection loses
// nothing, and the commands without a window read the database as they read the folder.
#include "app/CommandLine.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/DeskBuilder.h"
#include "guisupport/ExternalTools.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/Announcement.h"
#include "intake/uDetal.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSave.h"
#include "pgstore/PgTransfer.h"
#include "pgsupport/TestDatabase.h"
#include "platform/SystemLocale.h"
#include "reports/engine/Report.h"
#include "storage/DorodLocale.h"
#include "tables/AnnouncementTables.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextStream>
#include <QThread>

#include <gtest/gtest.h>

#include <utility>

#include <map>
#include <memory>

namespace {

using namespace vornelta;
using guisupport::dayOf;

class DeskOnDatabase : public testsupport::PgTest {
protected:
    // A desk of its own program folder (its settings and templates) on the database.
    std::unique_ptr<TDesk> openDesk(const std::string& url,
                                    const std::function<void(TDesk&)>& beforeOpen = {}) {
        auto folder = std::make_unique<guisupport::TempFolder>();
        EXPECT_TRUE(prepareProgramFolder(ProgramFolder(folder->path())));
        auto desk = std::make_unique<TDesk>(ProgramFolder(folder->path()));
        m_folders.push_back(std::move(folder));
        desk->setDatabaseUrl(QString::fromStdString(url));
        if (beforeOpen) beforeOpen(*desk);
        desk->open();
        return desk;
    }
    std::unique_ptr<TDesk> openDesk() { return openDesk(url()); }

    static TAnnouncement announcement(int id, const char* client) {
        TAnnouncement a;
        a.id = id;
        a.indate = QDate(2026, 12, 10);
        a.client = QString::fromUtf8(client);
        a.text = QStringLiteral("Продам гараж");
        a.clientCat = QStringLiteral("ФИЗЛИЦА");
        a.oplata = QStringLiteral("НАЛИЧНЫЙ");
        a.objCat = QStringLiteral("ПРОЧЕЕ");
        a.slov = 2;
        a.summa = 10;
        return a;
    }
    // A new announcement under the number the desk's own list proposes, as the form adds it.
    static int addNew(TDesk& desk, const char* client, Result* result = nullptr) {
        bool existed = false;
        const int proposed = nextAnnouncementNumber(desk.tData, &existed);
        const Result saved = saveAnnouncement(desk, announcement(proposed, client),
                                              {dayOf(2026, 12, 11), dayOf(2026, 12, 12)}, true);
        if (result)
            *result = saved;
        else
            EXPECT_TRUE(saved) << saved.error().toStdString();
        return proposed;
    }
    static QStringList clients(TDesk& desk) {
        QStringList names;
        for (desk.tData.First(); !desk.tData.Eof(); desk.tData.Next())
            names << toQt(desk.tData.FieldByName(field::kClient).AsString());
        return names;
    }
    // Lets the desk follow the other counters until `done` or two seconds pass.
    static bool followsWithinTwoSeconds(TDesk& desk, const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000) {
            QCoreApplication::processEvents();
            desk.followOthersSaves();
            if (done()) return true;
            QThread::msleep(50);
        }
        return false;
    }

private:
    std::vector<std::unique_ptr<guisupport::TempFolder>> m_folders;
};

TEST_F(DeskOnDatabase, WhatOneDeskSavesAppearsAtTheOtherWithinTwoSeconds) {
    auto a = openDesk(), b = openDesk();
    addNew(*a, "Первый");
    EXPECT_TRUE(followsWithinTwoSeconds(*b, [&] { return clients(*b).contains("Первый"); }));
    // A change and a delete travel the same way; the other desk stays on its row.
    addNew(*b, "Второй");
    ASSERT_TRUE(followsWithinTwoSeconds(*a, [&] { return clients(*a).size() == 2; }));
    ASSERT_TRUE(b->tData.Locate(field::kId, {"2"}));
    ASSERT_TRUE(a->tData.Locate(field::kId, {"1"}));
    const Result changed =
        saveAnnouncement(*a, announcement(1, "Первый, изменён"), {dayOf(2026, 12, 11)}, false);
    ASSERT_TRUE(changed) << changed.error().toStdString();
    EXPECT_TRUE(
        followsWithinTwoSeconds(*b, [&] { return clients(*b).contains("Первый, изменён"); }));
    EXPECT_EQ(b->tData.FieldByName(field::kId).AsInteger(), 2) << "the list kept its row";
    a->tData.Locate(field::kId, {"1"});
    ASSERT_TRUE(a->saveTables({})); // nothing pending: nothing written
    a->tData.Delete();
    ASSERT_TRUE(a->saveTables({&a->tData}));
    EXPECT_TRUE(followsWithinTwoSeconds(*b, [&] { return clients(*b) == QStringList{"Второй"}; }));
    // A desk's own saves are not news to it.
    EXPECT_FALSE(a->followOthersSaves());
}

TEST_F(DeskOnDatabase, TwoDesksProposingOneNumberGetTwo) {
    auto a = openDesk(), b = openDesk();
    const int proposedA = addNew(*a, "Первый");
    const int proposedB = addNew(*b, "Второй"); // b has not seen a's yet
    EXPECT_EQ(proposedA, proposedB);
    EXPECT_EQ(a->savedNumber(proposedA), proposedA);
    const int savedB = b->savedNumber(proposedB);
    EXPECT_NE(savedB, proposedA);
    // b's list is on its announcement under the saved number, its run days with it.
    EXPECT_EQ(b->tData.FieldByName(field::kId).AsInteger(), savedB);
    EXPECT_EQ(toQt(b->tData.FieldByName(field::kClient).AsString()), "Второй");
    // Each announcement has its own two run days in the database.
    b->refreshTables();
    b->tDates.SetFiltered(false);
    std::map<int, int> daysOf;
    for (b->tDates.First(); !b->tDates.Eof(); b->tDates.Next())
        ++daysOf[b->tDates.FieldByName(field::kId).AsInteger()];
    EXPECT_EQ(daysOf, (std::map<int, int>{{proposedA, 2}, {savedB, 2}}));
}

// Another counter's save that lands while a desk reads its tables shows in all of them or
// in none: a number proposed from the announcements read never meets run days of that
// number already read, which the new announcement's save would take for its own and delete.
TEST_F(DeskOnDatabase, TheTablesAreReadAsOfOneMoment) {
    auto a = openDesk();
    bool landed = false;
    auto b = openDesk(url(), [&](TDesk& desk) {
        desk.tData.AfterOpen = [&](dorod::TDataSet&) {
            if (!std::exchange(landed, true)) addNew(*a, "Первый");
        };
    });
    b->tData.AfterOpen = nullptr;
    ASSERT_TRUE(landed);
    b->tDates.SetFiltered(false);
    EXPECT_EQ(b->tDates.RecordCount(), 0) << "run days read without their announcement";

    const int proposed = addNew(*b, "Второй");
    const int saved = b->savedNumber(proposed);
    b->refreshTables();
    b->tDates.SetFiltered(false);
    std::map<int, int> daysOf;
    for (b->tDates.First(); !b->tDates.Eof(); b->tDates.Next())
        ++daysOf[b->tDates.FieldByName(field::kId).AsInteger()];
    EXPECT_EQ(daysOf, (std::map<int, int>{{proposed, 2}, {saved, 2}}));
}

// Ends every other connection to the test's database (the desks opened so far).
static void dropOtherConnections(const std::string& url) {
    std::string message;
    auto killer = pgstore::PgConnection::open(url, message);
    ASSERT_TRUE(killer) << message;
    ASSERT_TRUE(killer->exec("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity "
                             "WHERE datname = current_database() AND pid <> pg_backend_pid()",
                             message))
        << message;
}

// The answer to a commit never arrives, though the commit went through: on the retry the
// desk finds it saved and does not save the announcement twice; the receipt's number is
// the one it was saved under.
TEST_F(DeskOnDatabase, ASaveWhoseAnswerWasLostIsNotSavedTwice) {
    auto a = openDesk(), b = openDesk();
    addNew(*a, "Первый");
    pgstore::PgSaveHooks hooks;
    hooks.afterCommit = [&](pgstore::PgConnection& connection, std::string& error) {
        dropOtherConnections(url());
        connection.exec("SELECT 1", error); // finds the connection gone
        return false;
    };
    b->databaseSaveHooks = &hooks;
    int asked = 0;
    b->askToRetry = [&](const QString&) { return ++asked == 1; };
    const int proposed = addNew(*b, "Второй"); // b has not seen a's: proposes 1
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(b->lastSaveProblem(), SaveProblem::None);
    EXPECT_EQ(b->savedNumber(proposed), 2);
    b->databaseSaveHooks = nullptr;
    EXPECT_EQ(openDesk()->tData.RecordCount(), 2) << "saved once";
    EXPECT_EQ(clients(*b), (QStringList{"Первый", "Второй"}));
}

// An announcement from outside whose commit's answer is lost: the command tries the
// database again by itself, finds the save went through, and prints the number it was
// saved under; it is saved once.
TEST_F(DeskOnDatabase, AnAnnouncementFromOutsideWhoseAnswerWasLostIsSavedOnce) {
    addNew(*openDesk(), "Первый");
    guisupport::TempFolder folder;
    ASSERT_TRUE(prepareProgramFolder(ProgramFolder(folder.path())));
    QFile json(folder.file("announcement.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"Client": "ИЗВНЕ", "ClientCat": "ФИЗЛИЦА", "Oplata": "НАЛИЧНЫЙ",
                   "ObjCat": "ПРОЧЕЕ", "Text": "Продам гараж", "povt": false,
                   "dates": ["2026-12-11"]})");
    json.close();
    pgstore::PgSaveHooks hooks;
    hooks.afterCommit = [&](pgstore::PgConnection& connection, std::string& error) {
        dropOtherConnections(url());
        connection.exec("SELECT 1", error); // finds the connection gone
        return false;
    };
    CommandEnvironment environment;
    environment.databaseSaveHooks = &hooks;
    environment.databaseRetryPause = std::chrono::milliseconds(0);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const std::optional<int> code =
        runWithoutWindow({"--folder", folder.path(), "--database", QString::fromStdString(url()),
                          "--add-announcement", json.fileName()},
                         environment, outStream, errStream);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("2\t")) << out.toStdString();
    EXPECT_EQ(clients(*openDesk()), (QStringList{"Первый", "ИЗВНЕ"}));
}

// A connection lost while the desk only looks: it connects again by itself and shows what
// the others saved meanwhile.
TEST_F(DeskOnDatabase, ADeskWhoseConnectionDroppedWhileIdleFollowsAgain) {
    auto b = openDesk();
    dropOtherConnections(url());
    auto a = openDesk();
    addNew(*a, "Сохранён, пока связи не было");
    EXPECT_TRUE(followsWithinTwoSeconds(
        *b, [&] { return clients(*b).contains("Сохранён, пока связи не было"); }));
    EXPECT_FALSE(b->databaseOutOfReach());
}

// A database of a cluster of the test's own, which it stops and starts again.
TEST_F(DeskOnDatabase, ALostConnectionLosesNothingAndTheSaveCanBeRetried) {
    std::string started;
    const int code = testsupport::runClusterScript("start", started);
    if (code == 3) GTEST_SKIP() << "no PostgreSQL server programs";
    ASSERT_EQ(code, 0) << started;
    const std::string dir = testsupport::exported(started, "VORNELTA_TEST_PG_DIR");
    const std::string clusterUrl = testsupport::exported(started, "VORNELTA_TEST_PG_URL");
    struct Remove {
        std::string dir;
        ~Remove() {
            std::string ignored;
            testsupport::runClusterScript("remove " + dir, ignored);
        }
    } remove{dir};
    std::string message;
    {
        auto admin = pgstore::PgConnection::open(clusterUrl, message);
        ASSERT_TRUE(admin) << message;
        ASSERT_TRUE(admin->exec("CREATE DATABASE lost", message)) << message;
    }
    const std::string lostUrl = withDatabase(clusterUrl, "lost");
    auto desk = openDesk(lostUrl);
    addNew(*desk, "До обрыва");

    std::string output;
    ASSERT_EQ(testsupport::runClusterScript("stop " + dir, output), 0) << output;
    // The desk only looking finds the database gone (the window's caption says so).
    EXPECT_FALSE(desk->databaseOutOfReach());
    for (int look = 0; look < 5 && !desk->databaseOutOfReach(); ++look)
        desk->followOthersSaves();
    EXPECT_TRUE(desk->databaseOutOfReach());
    // Declined: nothing saved, said so, the tables as they were read.
    QStringList asked;
    desk->askToRetry = [&](const QString& question) {
        asked << question;
        return false;
    };
    Result lost;
    addNew(*desk, "После обрыва", &lost);
    ASSERT_FALSE(lost);
    EXPECT_EQ(desk->lastSaveProblem(), SaveProblem::ConnectionLost);
    EXPECT_TRUE(lost.error().contains("Связь с базой данных потеряна"))
        << lost.error().toStdString();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(clients(*desk), QStringList{"До обрыва"});
    // F5 says so too, and leaves the list.
    EXPECT_FALSE(desk->reachDatabase());
    EXPECT_EQ(clients(*desk), QStringList{"До обрыва"});

    // Retried once the server is back: saved (a retry that does not connect is asked
    // again, a few times).
    int retries = 0;
    desk->askToRetry = [&](const QString&) {
        if (retries++ == 0) {
            std::string restarted;
            EXPECT_EQ(testsupport::runClusterScript("start " + dir, restarted), 0) << restarted;
        }
        return retries <= 3;
    };
    addNew(*desk, "После обрыва");
    EXPECT_TRUE(desk->reachDatabase());
    EXPECT_FALSE(desk->databaseOutOfReach());
    auto other = openDesk(lostUrl);
    EXPECT_EQ(clients(*other), (QStringList{"До обрыва", "После обрыва"}));
}

// The window-less commands on a database give what they give on a folder of the same rows.
TEST_F(DeskOnDatabase, CommandsReadTheDatabaseAsTheyReadTheFolder) {
    guisupport::TempFolder onFolder, onDatabase;
    guisupport::DeskBuilder builder(onFolder.path());
    builder
        .announcement({.id = 1,
                       .indate = dayOf(2026, 12, 1),
                       .client = "Иванов",
                       .clientCat = "ФИЗЛИЦА",
                       .oplata = "НАЛИЧНЫЙ",
                       .objCat = "ПРОЧЕЕ",
                       .text = "Продам гараж",
                       .slov = 2,
                       .summa = 10,
                       .runDays = {dayOf(2026, 12, 10), dayOf(2026, 12, 11)}})
        .announcement({.id = 2,
                       .indate = dayOf(2026, 12, 3),
                       .client = "ООО Рога",
                       .clientCat = "ЮРЛИЦА",
                       .oplata = "БЕЗНАЛИЧНЫЙ",
                       .objCat = "УСЛУГИ",
                       .text = "Ремонт квартир",
                       .slov = 2,
                       .summa = 234.5,
                       .runDays = {dayOf(2026, 12, 10)}})
        .realtyRow({dayOf(2026, 12, 3), "СДАМ", "", "Сдам квартиру"});
    builder.write();
    ASSERT_TRUE(prepareProgramFolder(ProgramFolder(onDatabase.path())));
    // Both write the day to their drive A:.
    for (const guisupport::TempFolder* folder : {&onFolder, &onDatabase}) {
        TSettings s;
        LoadConfig(folder->file(kConfigFileName), s);
        s.OutDev = "A:";
        ASSERT_TRUE(SaveConfig(folder->file(kConfigFileName), s));
        ASSERT_TRUE(QDir().mkpath(folder->file("A")));
    }
    std::string message;
    auto connection = pgstore::PgConnection::open(url(), message);
    ASSERT_TRUE(connection) << message;
    pgstore::PgTransferCounts counts;
    ASSERT_TRUE(
        pgstore::importFolder(*connection, onFolder.path().toStdString(), false, counts, message))
        << message;

    const auto run = [&](const QString& folder, QStringList arguments, bool database) {
        arguments = QStringList{"--folder", folder} + arguments;
        if (database) arguments << "--database" << QString::fromStdString(url());
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        CommandEnvironment environment;
        const std::optional<int> code =
            runWithoutWindow(arguments, environment, outStream, errStream);
        EXPECT_EQ(code, 0) << err.toStdString();
        return out;
    };
    const QStringList report{"--period-report", "2026-12-01", "2026-12-31", "--json"};
    const QString fromFolder = run(onFolder.path(), report, false);
    EXPECT_TRUE(fromFolder.contains("234,5")) << fromFolder.toStdString();
    EXPECT_EQ(run(onDatabase.path(), report, true), fromFolder);

    // The day's files: the same names and bytes.
    const QStringList day{"--write-day", "2026-12-10"};
    const QString writtenFolder = run(onFolder.path(), day, false);
    const QString writtenDatabase = run(onDatabase.path(), day, true);
    const QStringList paths = writtenFolder.split('\n', Qt::SkipEmptyParts);
    const QStringList others = writtenDatabase.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(paths.isEmpty());
    ASSERT_EQ(paths.size(), others.size());
    for (int i = 0; i < paths.size(); ++i) {
        QFile a(paths[i].trimmed()), b(others[i].trimmed());
        ASSERT_TRUE(a.open(QIODevice::ReadOnly)) << paths[i].toStdString();
        ASSERT_TRUE(b.open(QIODevice::ReadOnly)) << others[i].toStdString();
        EXPECT_EQ(QFileInfo(a).fileName(), QFileInfo(b).fileName());
        EXPECT_EQ(a.readAll(), b.readAll()) << paths[i].toStdString();
    }
}

TEST_F(DeskOnDatabase, ADatabaseOutOfReachIsNamedAtTheOpen) {
    guisupport::TempFolder folder;
    ASSERT_TRUE(prepareProgramFolder(ProgramFolder(folder.path())));
    TDesk desk{ProgramFolder(folder.path())};
    desk.setDatabaseUrl(QString::fromStdString(withDatabase(url(), "no_such_database")));
    EXPECT_ANY_THROW(desk.open());
}

// The entry form on a database: what the operator sees of the other counters.
class FormOnDatabase : public DeskOnDatabase {
protected:
    FormOnDatabase() { applyLocale(QLocale(QLocale::Russian)); }
    ~FormOnDatabase() override { dorod::setFormatSettings(m_savedFormat); }

    template <typename T> static T* control(TfDetal& form, const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    static void choose(TfDetal& form, const char* name, const char* value) {
        auto* box = control<QComboBox>(form, name);
        box->setCurrentIndex(box->findText(QString::fromUtf8(value)));
        ASSERT_GE(box->currentIndex(), 0) << value;
    }

    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};

private:
    dorod::FormatSettings m_savedFormat = dorod::formatSettings();
};

TEST_F(FormOnDatabase, AChangeRefusedAtTheSaveKeepsTheFormOpenWithWhatWasTyped) {
    auto a = openDesk(), b = openDesk();
    addNew(*a, "Первый");
    b->refreshTables();
    ASSERT_TRUE(b->tData.Locate(field::kId, {"1"}));
    TfDetal form(*b, nullptr, false);
    // Meanwhile the other counter changes it.
    ASSERT_TRUE(saveAnnouncement(*a, announcement(1, "Изменён в A"), {dayOf(2026, 12, 11)}, false));
    control<QLineEdit>(form, "eClient")->setText("ИЗМЕНЁН В B");
    control<QPushButton>(form, "BitBtn1")->click();
    EXPECT_FALSE(form.saved());
    EXPECT_NE(form.result(), int(QDialog::Accepted));
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains("другом рабочем месте"))
        << dialogs.errors()[0].toStdString();
    EXPECT_EQ(control<QLineEdit>(form, "eClient")->text(), "ИЗМЕНЁН В B");
    EXPECT_EQ(b->lastSaveProblem(), SaveProblem::Conflict);
    EXPECT_FALSE(b->tData.HasChanges());
    EXPECT_FALSE(b->tDates.HasChanges());
    // The database holds A's change, with its run day.
    auto c = openDesk();
    EXPECT_EQ(clients(*c), QStringList{"Изменён в A"});
    c->tData.First();
    const DeskScope days = c->runDatesOfCurrentAnnouncement();
    ASSERT_EQ(c->tDates.RecordCount(), 1);
    EXPECT_EQ(c->tDates.FieldByName(field::kDate).AsDayNumber(), dayOf(2026, 12, 11));
}

TEST_F(FormOnDatabase, TheReceiptPrintsTheNumberTheAnnouncementWasSavedUnder) {
    auto a = openDesk(), b = openDesk();
    TfDetal form(*b, nullptr, true);
    EXPECT_EQ(control<QLabel>(form, "lNum")->text(), "1"); // proposed
    addNew(*a, "Первый");                                  // and taken elsewhere
    control<QLineEdit>(form, "eClient")->setText("ВТОРОЙ");
    choose(form, "eClientCat", "ФИЗЛИЦА");
    choose(form, "eKateg", "ПРОЧЕЕ");
    choose(form, "eOplata", "НАЛИЧНЫЙ");
    control<QListWidget>(form, "eDates")->addItem("11.12.2026");
    const QString reports = b->folder().file("Отчеты/");
    QDir().mkpath(reports);
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNELTA_SOURCE_DIR) + "/resources/Отчеты/sprav.frf",
                            reports + "sprav.frf"));
    QString receipt;
    runner.next([&](QDialog& preview) {
        const QString pdf = reports + "receipt.pdf";
        EXPECT_TRUE(b->report().exportToPdf(pdf));
        receipt = guisupport::pdfText(pdf);
        preview.reject();
        return int(QDialog::Rejected);
    });
    control<QPushButton>(form, "BitBtn1")->click();
    EXPECT_TRUE(form.saved()) << dialogs.errors().join('|').toStdString();
    EXPECT_EQ(control<QLabel>(form, "lNum")->text(), "2");
    EXPECT_TRUE(receipt.contains("№ 2")) << receipt.toStdString();
    EXPECT_EQ(b->tData.FieldByName(field::kId).AsInteger(), 2);
}

} // namespace
