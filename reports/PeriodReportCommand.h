// The command --period-report: the period totals without a window.
#pragma once

#include <QString>

#include <cstdint>

class QTextStream;

namespace vornelta {

class TDesk;

struct PeriodReportOptions {
    int32_t from = 0, to = 0; // day numbers, both ends included
    bool json = false;        // one JSON object of the 26 texts on out
    QString pdf;              // when set, the report as the preview would print it
};

// Computes the totals of from..to. With json, prints them as one JSON object (names in
// the report's order, each with the text handed to the report); without json and pdf,
// one "name<TAB>text" line each. With pdf, writes the report there. 0 on success; 1 with
// the reason on err.
int runPeriodReportCommand(TDesk& desk, const PeriodReportOptions& options, QTextStream& out,
                           QTextStream& err);

} // namespace vornelta
