// A desk in a temporary program folder with a few announcements, the scripted message
// boxes and modal runner, and readers of the raw table files, for the intake tests.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/DeskBuilder.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/RunDates.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace intaketest {

using namespace vornelta;

inline QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct Row {
    int id;
    QString client;
    QString pasport;
    QString tel;
    QString clientCat;
    QString text;
    QString xml;
    QList<int> runDays; // day numbers
};

inline int day(int y, int m, int d) {
    return guisupport::dayOf(y, m, d);
}

class IntakeTest : public ::testing::Test {
protected:
    IntakeTest() { applyLocale(QLocale(QLocale::Russian)); }
    ~IntakeTest() override { dorod::setFormatSettings(m_savedFormat); }

    // Opens the desk on the folder, after writing rows into its tables.
    void start(const std::vector<Row>& rows = {}) {
        guisupport::DeskBuilder builder(folder.path());
        builder.today(QDate(2026, 12, 9));
        for (const Row& r : rows)
            builder.announcement({.id = r.id,
                                  .indate = day(2026, 12, 1),
                                  .client = r.client,
                                  .pasport = r.pasport,
                                  .tel = r.tel,
                                  .clientCat = r.clientCat,
                                  .oplata = q("НАЛИЧНЫЙ"),
                                  .objCat = q("ПРОЧЕЕ"),
                                  .text = r.text,
                                  .xml = r.xml,
                                  .summa = 55.5,
                                  .runDays = r.runDays});
        desk = builder.open();
        if (!rows.empty()) {
            desk->tData.First();
            desk->followCurrentAnnouncement();
        }
    }

    // Moves tData to the announcement, as the list does.
    void goTo(int id) {
        ASSERT_TRUE(desk->tData.Locate("id", {std::to_string(id)}));
        desk->followCurrentAnnouncement();
    }

    // A table file as a fresh open reads it: each row's fields by name.
    std::vector<std::map<std::string, std::string>> rowsOf(const char* file) const {
        std::vector<std::map<std::string, std::string>> rows;
        dorod::TDorodTable table;
        table.SetTableName(fromQt(folder.file(QString::fromLatin1(file))));
        table.Open();
        for (table.First(); !table.Eof(); table.Next()) {
            std::map<std::string, std::string> row;
            for (int i = 0; i < table.FieldCount(); ++i)
                row[table.Field(i).FieldName()] =
                    table.Field(i).IsNull() ? "<null>" : table.Field(i).AsString();
            rows.push_back(row);
        }
        return rows;
    }
    // The run days of an announcement in dates.d, in file order.
    std::vector<int> runDaysInFile(int id) const {
        std::vector<int> days;
        dorod::TDorodTable table;
        table.SetTableName(fromQt(folder.file(QStringLiteral("dates.d"))));
        table.Open();
        for (table.First(); !table.Eof(); table.Next())
            if (table.FieldByName("id").AsInteger() == id)
                days.push_back(table.FieldByName("date").AsDayNumber());
        return days;
    }

    guisupport::TempFolder folder;
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};
    std::unique_ptr<TDesk> desk;

private:
    dorod::FormatSettings m_savedFormat = dorod::formatSettings();
};

// Known clients: "ИВАНОВ" twice (the first row is the one found), a firm, and a client
// whose name begins another's.
inline std::vector<Row> knownClients() {
    return {
        {1,
         q("ИВАНОВ ИВАН"),
         q("1234 567890"),
         q("22-33-44"),
         q("ФИЗЛИЦА"),
         q("Продам гараж"),
         q("<<16777215>>\r\nПродам гараж"),
         {day(2026, 12, 10), day(2026, 12, 11)}},
        {2,
         q("ООО РОМАШКА"),
         q("ИНН 7700"),
         q("8-800"),
         q("ЮРЛИЦА"),
         q("Ремонт квартир"),
         q("<<255>>\r\nРемонт\r\n<<16777215>> квартир"),
         {day(2026, 12, 10)}},
        {3,
         q("ИВАНОВ ИВАН"),
         q("другой"),
         q("99"),
         q("ПРЕДПРИНИМАТЕЛИ"),
         q("Куплю дом"),
         q("<<16777215>>\r\nКуплю дом"),
         {}},
        {4,
         q("ПЕТРОВ"),
         q("4444"),
         q("11"),
         q("ФИЗЛИЦА"),
         q("Сдам дачу"),
         q("<<16777215>>\r\nСдам дачу"),
         {day(2026, 12, 12)}},
        {5,
         q("ПЕТРОВА"),
         q("5555"),
         q("12"),
         q("ЮРЛИЦА"),
         q("Сдам дом"),
         q("<<16777215>>\r\nСдам дом"),
         {}},
    };
}

} // namespace intaketest
