#include "output/WriteDayCommand.h"

#include "output/DayOutput.h"

#include <QTextStream>

namespace vornelta {

namespace {

QString shortDate(const QDate& day) {
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

int runWriteDay(TDesk& desk, const TWriteDayOptions& options, QTextStream& out, QTextStream& err) {
    TDayList list;
    TFillProgress progress;
    progress.lost = [&](int id) {
        err << QStringLiteral("ERROR: объявление № %1 на %2 не найдено, пропущено\n")
                   .arg(id)
                   .arg(shortDate(options.day));
    };
    fillDayList(desk, options.day, list, progress);
    if (list.isEmpty()) {
        err << QStringLiteral("На %1 объявлений нет: файлы не записаны.\n")
                   .arg(shortDate(options.day));
        err.flush();
        return 0;
    }
    list.sort(options.order, -1);

    TDayOutput request;
    request.rows = list.rows();
    request.driver = options.driver;
    request.today = options.day; // the broadcast day names the files
    request.written = [&](const QString& path) { out << path << '\n'; };
    const Result result = writeDayOutput(desk, request);
    out.flush();
    if (!result) {
        err << result.error() << '\n';
        err.flush();
        return 1;
    }
    return 0;
}

} // namespace vornelta
