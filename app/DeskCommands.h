// The desk's commands without a window:
//   vornelta [--folder DIR] --period-report FROM TO [--json] [--pdf FILE]
//   vornelta [--folder DIR] --export-realty FROM TO
// Dates as YYYY-MM-DD or dd.MM.yyyy. Failures print the reason on err and give 1; usage
// errors give 2.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QTextStream;

namespace vornelta {

// Whether the arguments (without the program name) ask for one of these commands.
bool hasDeskCommand(const QStringList& arguments);

// Runs the command the arguments ask for on the program folder they name (else
// executableFolder); nothing when they ask for none.
std::optional<int> runDeskCommand(const QStringList& arguments, const QString& executableFolder,
                                  QTextStream& out, QTextStream& err);

// A command-line date (parseCommandDate: YYYY-MM-DD or dd.MM.yyyy) as a day number;
// nothing when invalid.
std::optional<int32_t> parseCommandDay(const QString& text);

} // namespace vornelta
