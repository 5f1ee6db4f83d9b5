#include "app/DeskCommands.h"

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "output/WriteDayCommand.h"
#include "platform/DayNumber.h"
#include "platform/ErrorGuard.h"
#include "platform/ProgramFolder.h"
#include "realty/RealtyTransfer.h"
#include "reports/PeriodReportCommand.h"

#include <QDate>
#include <QTextStream>

namespace vornelta {

namespace {

const QString kPeriodReport = QStringLiteral("--period-report");
const QString kExportRealty = QStringLiteral("--export-realty");

constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: vornelta [--folder DIR] --period-report FROM TO [--json] [--pdf FILE]\n"
    "       vornelta [--folder DIR] --export-realty FROM TO\n"
    "dates as YYYY-MM-DD or dd.MM.yyyy";

// The arguments without --folder and its value.
QStringList withoutFolder(const QStringList& arguments) {
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--folder")) {
            ++i;
            continue;
        }
        if (arguments[i].startsWith(QStringLiteral("--folder="))) continue;
        rest << arguments[i];
    }
    return rest;
}

int usage(QTextStream& err, const QString& problem) {
    err << problem << '\n' << kUsage << '\n';
    err.flush();
    return kUsageError;
}

} // namespace

bool hasDeskCommand(const QStringList& arguments) {
    const QStringList rest = withoutFolder(arguments);
    return rest.contains(kPeriodReport) || rest.contains(kExportRealty);
}

std::optional<int32_t> parseCommandDay(const QString& text) {
    const QDate date = parseCommandDate(text);
    if (!date.isValid() || date.year() < 1) return std::nullopt;
    return dayNumberOf(date);
}

std::optional<int> runDeskCommand(const QStringList& arguments, const QString& executableFolder,
                                  QTextStream& out, QTextStream& err) {
    if (!hasDeskCommand(arguments)) return std::nullopt;
    if (arguments.contains(QStringLiteral("--folder")) &&
        arguments.indexOf(QStringLiteral("--folder")) == arguments.size() - 1)
        return usage(err, QStringLiteral("--folder needs a folder"));
    const QStringList rest = withoutFolder(arguments);
    if (rest.isEmpty() || (rest[0] != kPeriodReport && rest[0] != kExportRealty))
        return usage(err, QStringLiteral("unexpected argument: %1").arg(rest.value(0)));
    const QString command = rest[0];
    if (rest.size() < 3) return usage(err, QStringLiteral("%1 needs FROM and TO").arg(command));
    const std::optional<int32_t> from = parseCommandDay(rest[1]);
    const std::optional<int32_t> to = parseCommandDay(rest[2]);
    if (!from) return usage(err, QStringLiteral("not a date: %1").arg(rest[1]));
    if (!to) return usage(err, QStringLiteral("not a date: %1").arg(rest[2]));

    PeriodReportOptions options;
    for (int i = 3; i < rest.size(); ++i) {
        if (command == kPeriodReport && rest[i] == QStringLiteral("--json")) {
            options.json = true;
        } else if (command == kPeriodReport && rest[i] == QStringLiteral("--pdf")) {
            if (++i == rest.size() || rest[i].isEmpty())
                return usage(err, QStringLiteral("--pdf needs a file"));
            options.pdf = rest[i];
        } else {
            return usage(err, QStringLiteral("unexpected argument: %1").arg(rest[i]));
        }
    }

    const ProgramFolder folder = ProgramFolder::fromArguments(arguments, executableFolder);
    QString error;
    if (!prepareProgramFolder(folder, &error)) {
        err << error << '\n';
        err.flush();
        return 1;
    }
    TDesk desk(folder);
    try {
        desk.open();
    } catch (...) {
        err << currentExceptionMessage() << '\n';
        err.flush();
        return 1;
    }
    if (command == kExportRealty) return exportRealtyCommand(desk, *from, *to, out, err);
    return periodReportCommand(desk, *from, *to, options, out, err);
}

} // namespace vornelta
