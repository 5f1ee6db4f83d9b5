// Writing a day out, as "Вывести" does and `vornelta --write-day` does: the plain text
// output file in "Тексты", then the titling file of the driver on the drive `OutDev`
// maps to. Each file is written whole or not at all; the first failure stops the rest.
#pragma once

#include "output/DayList.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vornelta {

class TDesk;
struct TSettings;

inline const QString kDriverAlpha = QStringLiteral("ALPHA");
inline const QString kDriverTextLine = QStringLiteral("TextLine");

// The plain text output file's lines: StringFirst and XProb spaces; per row a line "`"
// and the text with XProb spaces; StringLast without spaces.
QStringList plainTextLines(const QList<TDayRow>& rows, const TSettings& settings,
                           const std::function<void(int rowNumber)>& progress = {});
// "Вывод текста 07.12.2026.txt": the date in the short date form of the locale (a
// separator that cannot stand in a file name becomes a point).
QString plainTextFileName(const QDate& today);

struct TDayOutput {
    QList<TDayRow> rows;
    QString driver = kDriverAlpha; // any other text than the two writes no titling file
    QDate today;                   // the day of writing: it names the files
    // Between the plain text file and the titling file (the diskette prompt).
    std::function<void()> beforeTitling;
    // After each row of the plain text file (from 1).
    std::function<void(int rowNumber)> progress;
};

struct TOutputResult {
    bool ok = true;
    QString error;       // why it stopped
    QStringList written; // full paths, in the order written
};

TOutputResult writeDayOutput(const TDesk& desk, const TDayOutput& output);

} // namespace vornelta

namespace vornelta {

class WordProcessor;

// "Просмотр": a new document, each row's text as one paragraph whose runs keep the colours
// of the announcement, then the grammar check.
// False with the reason when the word processor fails.
bool typeDayTexts(WordProcessor& wordProcessor, const QList<TDayRow>& rows, QString* error);

} // namespace vornelta
