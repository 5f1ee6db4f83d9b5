// Dates as the command line gives them: YYYY-MM-DD or dd.MM.yyyy, nothing else (no
// two-digit years, no names of days). Shared by the command table and the commands.
#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>

namespace vornelta {

// An invalid date for any other text.
QDate parseCommandDate(const QString& text);

// The date as the engine's day number; nothing when invalid.
std::optional<int32_t> parseCommandDay(const QString& text);

} // namespace vornelta
