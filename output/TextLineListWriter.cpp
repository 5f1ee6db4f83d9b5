#include "output/TextLineListWriter.h"

#include "platform/TextFileWriter.h"

namespace vornelta {

namespace {

QString entry(const QString& text, const QString& tel) {
    return QStringLiteral("2| |") + withCrLfBreaks(text) + QLatin1Char('|') + withCrLfBreaks(tel) +
           QStringLiteral("|1000");
}

} // namespace

QStringList textLineListLines(const QList<TDayRow>& rows, const QString& stringFirst,
                              const QString& stringLast) {
    const QString space = QStringLiteral(" ");
    QStringList out;
    out << QStringLiteral("TV Studio TextLineList File Version 1.10") << QString();
    out << entry(stringFirst, space);
    for (const TDayRow& row : rows)
        out << entry(row.text, row.Tel);
    out << entry(stringLast, space);
    return out;
}

QString textLineListFileName(const QDate& today) {
    return QStringLiteral("tvl_%1_%2.tvl").arg(today.day()).arg(today.month());
}

} // namespace vornelta
