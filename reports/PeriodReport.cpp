#include "reports/PeriodReport.h"

#include "desk/Desk.h"
#include "reports/engine/Report.h"

namespace vornelta {

bool preparePeriodReport(TDesk& desk, const ReportValues& values, QString* error) {
    TReport& report = desk.newReport();
    Result done = report.LoadFromFile(periodReportTemplatePath(desk));
    for (auto value = values.cbegin(); done && value != values.cend(); ++value)
        done = report.setObjectText(value->first, value->second);
    if (done) done = report.PrepareReport();
    if (!done && error) *error = done.error();
    return done.ok();
}

} // namespace vornelta
