// A program folder with a few announcements and their run days, written the way the desk
// writes them, for the tests of the desk and its windows.
#pragma once

#include "guisupport/DeskBuilder.h"

#include <QList>
#include <QString>

namespace guisupport {

using vornelta::ProgramFolder;
using vornelta::TDesk;

struct Announcement {
    int id;
    QString client;
    QString text;
    QList<int> runDays; // day numbers
};

// A program folder with announcements written the way the desk writes them.
inline void writeDesk(const QString& folder, const QList<Announcement>& rows) {
    DeskBuilder builder(folder);
    for (const Announcement& a : rows)
        builder.announcement({.id = a.id,
                              .indate = dayOf(2026, 12, 1),
                              .client = a.client,
                              .text = a.text,
                              .runDays = a.runDays});
    builder.write();
}

inline const int kDay1 = dayOf(2026, 12, 10);
inline const int kDay2 = dayOf(2026, 12, 11);

inline const QList<Announcement> kRows = {
    {1,
     QStringLiteral("ИВАНОВ"),
     QStringLiteral("Продам 2-комн. квартиру в центре"),
     {kDay1, kDay2}},
    {2, QStringLiteral("ПЕТРОВА"), QStringLiteral("Сдам гараж"), {kDay1}},
    {3, QStringLiteral("ООО СТРОЙ"), QStringLiteral("КВАРТИРЫ в новостройке"), {kDay2, kDay2}},
    {4, QStringLiteral("СИДОРОВ"), QStringLiteral("Ремонт квартир недорого"), {}},
};

} // namespace guisupport
