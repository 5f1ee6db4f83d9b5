#include "reports/PeriodReportCommand.h"

#include "platform/ErrorGuard.h"
#include "reports/PeriodTotals.h"

#include <QTextStream>

namespace vornelta {

int periodReportCommand(TDesk& desk, int32_t from, int32_t to, const PeriodReportOptions& options,
                        QTextStream& out, QTextStream& err) {
    try {
        const ReportValues values = periodReportValues(computePeriodTotals(desk, from, to), from, to);
        if (options.json)
            out << periodReportJson(values) << '\n';
        else if (options.pdf.isEmpty())
            for (const auto& [name, text] : values) out << name << '\t' << text << '\n';
        out.flush();
        return 0;
    } catch (...) {
        err << currentExceptionMessage() << '\n';
        err.flush();
        return 1;
    }
}

} // namespace vornelta
