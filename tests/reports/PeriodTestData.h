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
#include <vector>

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

// Ten announcements of one day in which every client category, payment method and subject
// category has a count and a sum of its own: row i has i + 1 words and the sum 2^i, so no two
// groups share a figure and any two figures swapped change the report. Four rows carry
// a client category in lower case, which counts in no client group.
inline std::vector<Announcement> distinctGroupAnnouncements(int indate) {
    const QString fiz = QStringLiteral("ФИЗЛИЦА"), pred = QStringLiteral("ПРЕДПРИНИМАТЕЛИ"),
                  ur = QStringLiteral("ЮРЛИЦА"), none = QStringLiteral("юрлица");
    const QString nal = QStringLiteral("НАЛИЧНЫЙ"), bez = QStringLiteral("БЕЗНАЛИЧНЫЙ"),
                  vz = QStringLiteral("ВЗАИМОРАСЧЕТ"), bes = QStringLiteral("БЕСПЛАТНО");
    const QString pr = QStringLiteral("ПРОЧЕЕ"), ned = QStringLiteral("НЕДВИЖИМОСТЬ"),
                  au = QStringLiteral("АВТОТРАНСПОРТ"), us = QStringLiteral("УСЛУГИ");
    // client: ФИЗЛИЦА {3}, ПРЕДПРИНИМАТЕЛИ {5, 9}, ЮРЛИЦА {0, 6, 8};
    // payment: НАЛИЧНЫЙ {0}, БЕЗНАЛИЧНЫЙ {1, 2}, ВЗАИМОРАСЧЕТ {3, 4, 5}, БЕСПЛАТНО {6 … 9};
    // subject: ПРОЧЕЕ {9}, НЕДВИЖИМОСТЬ {7, 8}, АВТОТРАНСПОРТ {4, 5, 6}, УСЛУГИ {0 … 3}.
    const QString client[10] = {ur, none, none, fiz, none, pred, ur, none, ur, pred};
    const QString payment[10] = {nal, bez, bez, vz, vz, vz, bes, bes, bes, bes};
    const QString subject[10] = {us, us, us, us, au, au, au, ned, ned, pr};
    std::vector<Announcement> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back({indate, client[i], payment[i], subject[i], i + 1, double(1 << i)});
    return rows;
}

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
