// `vornelta [--folder DIR] --write-day DATE [--driver ALPHA|TextLine] [--order date|category]`:
// a broadcast day written without a window or a display, as "Вывести" writes it: the day
// list filled for DATE, sorted when asked (else in fill order), the plain text file,
// then the titling file of the driver. No prompts; each path written is printed. A lost
// announcement is reported on stderr and skipped. Failures: the message on stderr, exit
// 1, no half file; usage errors exit 2.
#pragma once

#include "output/DayList.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTextStream;

namespace vornelta {

class TDesk;

struct TWriteDayOptions {
    QDate day;
    QString driver;
    TDayOrder order = TDayOrder::None;
};

inline const QString kWriteDayOption = QStringLiteral("--write-day");

// Whether the program's arguments (without the program name) ask for the command.
bool asksForWriteDay(const QStringList& arguments);
// The options from the arguments; --folder is skipped (the program folder reads it).
// Nothing, with the reason, for a usage error.
std::optional<TWriteDayOptions> parseWriteDayOptions(const QStringList& arguments, QString* error);
// DATE as YYYY-MM-DD or dd.MM.yyyy.
QDate parseCommandDate(const QString& text);
QString writeDayUsage();

// Runs the command on an open desk. `today` names the files. Gives the exit code.
int runWriteDay(TDesk& desk, const TWriteDayOptions& options, const QDate& today, QTextStream& out,
                QTextStream& err);

// The whole command from the program's arguments (without the program name): the program
// folder prepared and the desk opened as at a normal start. Needs a QCoreApplication.
int writeDayMain(const QStringList& arguments, const QString& executableFolder);

} // namespace vornelta
