#include "reports/PeriodReportCommand.h"

#include "desk/Desk.h"
#include "reports/PeriodReport.h"
#include "reports/PeriodTotals.h"
#include "reports/engine/Report.h"

#include <QTextStream>

namespace vornelta {

int runPeriodReportCommand(TDesk& desk, const PeriodReportOptions& options, QTextStream& out,
                           QTextStream& err) {
    const ReportValues values = periodReportValues(
        computePeriodTotals(desk, options.from, options.to), options.from, options.to);
    if (options.json)
        out << periodReportJson(values) << '\n';
    else if (options.pdf.isEmpty())
        for (const auto& [name, text] : values)
            out << name << '\t' << text << '\n';
    out.flush();
    if (!options.pdf.isEmpty()) {
        Result written = preparePeriodReport(desk, values);
        if (written) written = desk.report().exportToPdf(options.pdf);
        if (!written) {
            err << written.error() << '\n';
            err.flush();
            return 1;
        }
    }
    return 0;
}

} // namespace vornelta
