#include "reports/PeriodReport.h"

#include "desk/Desk.h"
#include "reports/engine/Report.h"

namespace vornelta {

Result preparePeriodReport(TDesk& desk, const ReportValues& values) {
    TReport& report = desk.newReport();
    Result done = report.LoadFromFile(periodReportTemplatePath(desk));
    for (auto value = values.cbegin(); done && value != values.cend(); ++value)
        done = report.setObjectText(value->first, value->second);
    if (done) done = report.PrepareReport();
    return done;
}

} // namespace vornelta
