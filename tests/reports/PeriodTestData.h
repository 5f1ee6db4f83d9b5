// Program folders for the report and realty tests: announcements and realty rows written
// the way the desk writes them.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/DeskBuilder.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace periodtest {

using guisupport::dayOf;
inline int day(int year, int month, int d) {
    return dayOf(year, month, d);
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
    guisupport::addAnnouncement(desk, {.id = id,
                                       .indate = a.indate,
                                       .clientCat = a.clientCat,
                                       .oplata = a.oplata,
                                       .objCat = a.objCat,
                                       .slov = a.slov,
                                       .summa = a.summa});
}

using RealtyRow = guisupport::RealtyRow;
using guisupport::addRealtyRow;

inline void saveTable(dorod::TDorodTable& table) {
    table.SaveToFile(table.TablePath());
}

// A desk opened on a fresh program folder, under the Russian date and number forms.
class DeskFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedFormat = dorod::formatSettings();
        dorod::setFormatSettings(dorod::FormatSettings{});
        desk = guisupport::DeskBuilder(folder.path()).open();
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
