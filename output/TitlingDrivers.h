// The studio's titling systems the desk writes a day for. Each is one entry here: its
// name (what the output window's "Драйвер" box, `--write-day --driver` and `--help`
// show), the writer of its file's lines and the name of its file for a day. Adding a
// system is one writer file and one entry in titlingDrivers().
#pragma once

#include "output/DayList.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace vornelta {

struct TitlingDriver {
    QString name;
    // The file's lines (each to be ended by CR LF) from the day's rows and the block texts
    // before and after them.
    QStringList (*lines)(const QList<TDayRow>& rows, const QString& stringFirst,
                         const QString& stringLast);
    // The file's name for the day it is named by.
    QString (*fileName)(const QDate& day);
};

inline const QString kDriverAlpha = QStringLiteral("ALPHA");
inline const QString kDriverTextLine = QStringLiteral("TextLine");

// Every driver, the default (ALPHA) first.
const QList<TitlingDriver>& titlingDrivers();
// The driver of that name (exact spelling); nullptr for none.
const TitlingDriver* titlingDriver(const QString& name);
// The names in list order, e.g. for "ALPHA|TextLine".
QStringList titlingDriverNames();

} // namespace vornelta
