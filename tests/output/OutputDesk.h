// A program folder with announcements and run days written as the desk writes them, for
// the output window and the command without a window.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/GuiHelpers.h"
#include "output/DayList.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "tables/ColourRuns.h"

#include <gtest/gtest.h>

#include <memory>

namespace outputtest {

struct Announcement {
    int id;
    QDate indate;
    QString objCat;
    QString text;
    QList<QDate> runDays;
    bool povt = false;
    QString tel = {};
    int colour = 16777215;
};

inline void addAnnouncement(vornelta::TDesk& desk, const Announcement& a) {
    using guisupport::cp1251;
    desk.tData.Insert();
    desk.tData.FieldByName("id").SetAsInteger(a.id);
    desk.tData.FieldByName("indate").SetAsDayNumber(vornelta::dayNumberFromDate(a.indate));
    desk.tData.FieldByName("Client").SetAsString(cp1251(QStringLiteral("КЛИЕНТ")));
    desk.tData.FieldByName("Text").SetAsString(cp1251(a.text));
    desk.tData.FieldByName("ObjCat").SetAsString(cp1251(a.objCat));
    desk.tData.FieldByName("Tel").SetAsString(cp1251(a.tel));
    desk.tData.FieldByName("povt").SetAsBoolean(a.povt);
    const QList<int> colours(a.text.size(), a.colour);
    desk.tData.FieldByName("XML").SetAsString(
        cp1251(vornelta::encodeColourRuns(a.text, colours, a.colour)));
    desk.tData.Post();
    for (const QDate& day : a.runDays) {
        desk.tDates.Insert();
        desk.tDates.FieldByName("id").SetAsInteger(a.id);
        desk.tDates.FieldByName("date").SetAsDayNumber(vornelta::dayNumberFromDate(day));
        desk.tDates.Post();
    }
}

// A prepared program folder, its settings and an open desk.
class DeskFixture {
public:
    explicit DeskFixture(const QList<Announcement>& rows) {
        dorod::setFormatSettings(dorod::FormatSettings{});
        EXPECT_TRUE(vornelta::prepareProgramFolder(vornelta::ProgramFolder(folder.path())));
        desk = std::make_unique<vornelta::TDesk>(vornelta::ProgramFolder(folder.path()));
        desk->open();
        desk->tDates.SetFiltered(false); // rows go in whatever the view shows
        for (const Announcement& a : rows)
            addAnnouncement(*desk, a);
        desk->tData.SaveToFile(desk->tData.TablePath());
        desk->tDates.SaveToFile(desk->tDates.TablePath());
        desk->tDates.SetFiltered(true);
        desk->followCurrentAnnouncement();
        desk->settings.StringFirst = QStringLiteral("Начало");
        desk->settings.StringLast = QStringLiteral("Конец");
        desk->settings.OutDev = QStringLiteral("A:");
    }
    // The drive's folder exists: "a diskette is in".
    QString insertDiskette() {
        const QString path = desk->drives.folderFor(QStringLiteral("A:"));
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    guisupport::TempFolder folder;
    std::unique_ptr<vornelta::TDesk> desk;
};

inline const QDate kDay{2026, 12, 10};
inline const QDate kOtherDay{2026, 12, 11};

} // namespace outputtest
