// Program folders for the report and realty tests: announcements and realty rows written
// the way the desk writes them.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/GuiHelpers.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace periodtest {

inline int day(int year, int month, int d) {
    return dorod::dayNumberFromCivil(year, month, d);
}

struct Announcement {
    int indate; // day number
    QString clientCat;
    QString oplata;
    QString objCat;
    int slov;
    double summa;
};

inline void addAnnouncement(vornelta::TDesk& desk, int id, const Announcement& a) {
    desk.tData.Insert();
    desk.tData.FieldByName("id").SetAsInteger(id);
    desk.tData.FieldByName("indate").SetAsDayNumber(a.indate);
    desk.tData.FieldByName("ClientCat").SetAsString(guisupport::cp1251(a.clientCat));
    desk.tData.FieldByName("Oplata").SetAsString(guisupport::cp1251(a.oplata));
    desk.tData.FieldByName("ObjCat").SetAsString(guisupport::cp1251(a.objCat));
    desk.tData.FieldByName("slov").SetAsInteger(a.slov);
    desk.tData.FieldByName("Summa").SetAsFloat(a.summa);
    desk.tData.Post();
}

struct RealtyRow {
    int date; // day number
    QString tip;
    QString vid;
    QString text;
};

inline void addRealtyRow(vornelta::TDesk& desk, const RealtyRow& r) {
    desk.tRielt.Append();
    desk.tRielt.FieldByName("tip").SetAsString(guisupport::cp1251(r.tip));
    desk.tRielt.FieldByName("vid").SetAsString(guisupport::cp1251(r.vid));
    desk.tRielt.FieldByName("date").SetAsDayNumber(r.date);
    desk.tRielt.FieldByName("text").SetAsString(guisupport::cp1251(r.text));
    desk.tRielt.Post();
}

inline void saveTable(dorod::TDorodTable& table) {
    table.SaveToFile(table.TablePath());
}

// A desk opened on a fresh program folder, under the Russian date and number forms.
class DeskFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedFormat = dorod::formatSettings();
        dorod::setFormatSettings(dorod::FormatSettings{});
        ASSERT_TRUE(vornelta::prepareProgramFolder(vornelta::ProgramFolder(folder.path())));
        openDesk();
    }
    void TearDown() override {
        desk.reset();
        dorod::setFormatSettings(m_savedFormat);
    }
    void openDesk() {
        desk = std::make_unique<vornelta::TDesk>(vornelta::ProgramFolder(folder.path()));
        desk->open();
    }

    guisupport::TempFolder folder;
    std::unique_ptr<vornelta::TDesk> desk;

private:
    dorod::FormatSettings m_savedFormat;
};

} // namespace periodtest
