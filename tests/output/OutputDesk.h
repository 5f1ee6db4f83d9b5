// A program folder with announcements and run days written as the desk writes them, for
// the output window and the command without a window.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/DeskBuilder.h"
#include "guisupport/GuiHelpers.h"
#include "output/DayList.h"
#include "platform/DayNumber.h"
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

inline guisupport::AnnouncementRow rowOf(const Announcement& a) {
    QList<int> days;
    for (const QDate& day : a.runDays)
        days << vornelta::dayNumberOf(day);
    const QList<int> colours(a.text.size(), a.colour);
    return {.id = a.id,
            .indate = vornelta::dayNumberOf(a.indate),
            .client = QStringLiteral("КЛИЕНТ"),
            .tel = a.tel,
            .objCat = a.objCat,
            .text = a.text,
            .xml = vornelta::encodeColourRuns(a.text, colours, a.colour),
            .povt = a.povt,
            .runDays = days};
}

inline void addAnnouncement(vornelta::TDesk& desk, const Announcement& a) {
    guisupport::addAnnouncement(desk, rowOf(a));
}

// A prepared program folder, its settings and an open desk.
class DeskFixture {
public:
    explicit DeskFixture(const QList<Announcement>& rows) {
        dorod::setFormatSettings(dorod::FormatSettings{});
        guisupport::DeskBuilder builder(folder.path());
        for (const Announcement& a : rows)
            builder.announcement(rowOf(a));
        desk = builder.open();
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
