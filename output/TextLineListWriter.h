// The text-line list ("TextLine"): one entry per line for a titling system that reads
// "TV Studio TextLineList" files, `OutDev`\tvl_D_M.tvl. Plain texts, no colours, always
// the telephone. Every entry has five fields separated by "|", nothing escaped:
//
//   TV Studio TextLineList File Version 1.10
//   (empty)
//   2| |StringFirst| |1000
//   2| |text|Tel|1000          one per row, first to last
//   2| |StringLast| |1000
#pragma once

#include "output/DayList.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace vornelta {

QStringList textLineListLines(const QList<TDayRow>& rows, const QString& stringFirst,
                              const QString& stringLast);

// "tvl_7_12.tvl" for 7 December.
QString textLineListFileName(const QDate& today);

} // namespace vornelta
