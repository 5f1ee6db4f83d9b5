// Writing a day out, as "Вывести" does and `vornelta --write-day` does: the plain text
// output file in "Тексты", then the titling file of the driver on the drive `OutDev`
// maps to. Each file is written whole or not at all; the first failure stops the rest.
#pragma once

#include "output/DayList.h"
#include "output/TitlingDrivers.h"
#include "platform/Result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vornelta {

class TDesk;
struct TSettings;

// The plain text output file's lines: StringFirst and XProb spaces; per row a line "`"
// and the text with XProb spaces; StringLast without spaces.
QStringList plainTextLines(const QList<TDayRow>& rows, const TSettings& settings,
                           const std::function<void(int rowNumber)>& progress = {});
// "Вывод текста 07.12.2026.txt": the date in the short date form of the locale (a
// separator that cannot stand in a file name becomes a point).
QString plainTextFileName(const QDate& today);

struct TDayOutput {
    QList<TDayRow> rows;
    QString driver = kDriverAlpha; // a name of titlingDrivers(); any other writes no titling file
    // The day that names the files: the day of writing in the output window, the broadcast
    // day written by --write-day.
    QDate today;
    // Between the plain text file and the titling file (the diskette prompt).
    std::function<void()> beforeTitling;
    // After each row of the plain text file (from 1).
    std::function<void(int rowNumber)> progress;
    // After each file written whole, with its full path: a failure after the plain text
    // file leaves that file written, and the caller says so.
    std::function<void(const QString& path)> written;
};

Result writeDayOutput(const TDesk& desk, const TDayOutput& output);

} // namespace vornelta

namespace vornelta {

class WordProcessor;

// "Просмотр": a new document, each row's text as one paragraph whose runs keep the colours
// of the announcement, then the grammar check.
// Failed with the reason when the word processor fails.
Result typeDayTexts(WordProcessor& wordProcessor, const QList<TDayRow>& rows);

} // namespace vornelta
