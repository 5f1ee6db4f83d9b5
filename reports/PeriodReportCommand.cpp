#include "reports/PeriodReportCommand.h"

#include "desk/Desk.h"
#include "platform/ErrorGuard.h"
#include "reports/PeriodReport.h"
#include "reports/PeriodTotals.h"

#include <QTextStream>

namespace vornelta {

int periodReportCommand(TDesk& desk, int32_t from, int32_t to, const PeriodReportOptions& options,
                        QTextStream& out, QTextStream& err) {
    return runCommandGuarded(err, [&] {
        const ReportValues values =
            periodReportValues(computePeriodTotals(desk, from, to), from, to);
        if (options.json)
            out << periodReportJson(values) << '\n';
        else if (options.pdf.isEmpty())
            for (const auto& [name, text] : values)
                out << name << '\t' << text << '\n';
        out.flush();
        if (!options.pdf.isEmpty()) {
            QString error;
            const Result written = preparePeriodReport(desk, values, &error)
                                       ? desk.fRep.exportToPdf(options.pdf)
                                       : Result::failed(error);
            if (!written) {
                err << written.error() << '\n';
                err.flush();
                return 1;
            }
        }
        return 0;
    });
}

} // namespace vornelta
