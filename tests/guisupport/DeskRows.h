// A program folder with a few announcements and their run days, written the way the desk
// writes them, for the tests of the desk and its windows.
#pragma once

#include "desk/Desk.h"
#include "guisupport/GuiHelpers.h"
#include "storage/DorodDate.h"

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
    TDesk desk{ProgramFolder(folder)};
    desk.open();
    for (const Announcement& a : rows) {
        desk.tData.Insert();
        desk.tData.FieldByName("id").SetAsInteger(a.id);
        desk.tData.FieldByName("indate").SetAsDayNumber(dorod::dayNumberFromCivil(2026, 12, 1));
        desk.tData.FieldByName("Client").SetAsString(cp1251(a.client));
        desk.tData.FieldByName("Text").SetAsString(cp1251(a.text));
        desk.tData.Post();
        for (int day : a.runDays) {
            desk.tDates.Insert();
            desk.tDates.FieldByName("id").SetAsInteger(a.id);
            desk.tDates.FieldByName("date").SetAsDayNumber(day);
            desk.tDates.Post();
        }
    }
    desk.tData.SaveToFile(desk.tData.TablePath());
    desk.tDates.SaveToFile(desk.tDates.TablePath());
}

inline const int kDay1 = dorod::dayNumberFromCivil(2026, 12, 10);
inline const int kDay2 = dorod::dayNumberFromCivil(2026, 12, 11);

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
