// The period totals handed to the report engine: the template Отчеты/reptotal.frf of the
// program folder loaded into the desk's report component, its 26 objects filled by name,
// the pages laid out. The window then previews them, the command writes them as PDF.
#pragma once

#include "platform/Result.h"
#include "reports/PeriodTotals.h"

#include <QString>

namespace vornelta {

class TDesk;

// Failed with one message when the template is missing or damaged, lacks one of the
// objects, or cannot be laid out; the report is then not shown or written.
Result preparePeriodReport(TDesk& desk, const ReportValues& values);

} // namespace vornelta
