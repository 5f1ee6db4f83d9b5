#include "platform/CommandDate.h"

#include "storage/DorodDate.h"

namespace vornelta {

QDate parseCommandDate(const QString& text) {
    QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid()) day = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    return day;
}

std::optional<int32_t> parseCommandDay(const QString& text) {
    const QDate date = parseCommandDate(text);
    if (!date.isValid() || date.year() < 1) return std::nullopt;
    return dorod::dayNumberFromCivil(date.year(), date.month(), date.day());
}

} // namespace vornelta
