#include "reports/PeriodReport.h"

#include "desk/Desk.h"
#include "reports/engine/Report.h"

namespace vornelta {

bool preparePeriodReport(TDesk& desk, const ReportValues& values, QString* error) {
    TReport& report = desk.newReport();
    if (!report.LoadFromFile(periodReportTemplatePath(desk), error)) return false;
    for (const auto& [name, text] : values)
        if (!report.setObjectText(name, text, error)) return false;
    return report.PrepareReport(error);
}

} // namespace vornelta
