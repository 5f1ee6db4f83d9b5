// A table file the desk cannot open because its contents are damaged: which file, why (in
// the desk's language), and the way back to the copy the last save kept beside it
// ("data.~d" for "data.d"). The damaged file is always kept: before the copy takes its
// place it is copied aside as "data.d.damaged-YYYYMMDD-HHMMSS".
#pragma once

#include "platform/Result.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace vornelta {

class TDesk;

struct DamagedTable {
    QString path;   // the damaged file
    QString reason; // why it does not open, in Russian
    // The last good copy, when there is one that opens; empty otherwise.
    QString backupPath;
    QDateTime backupTime; // when that copy was written
};

// The damaged table named by an exception of the desk's open (call from a catch block);
// none when the open failed for another reason (a missing permission, a wrong password).
std::optional<DamagedTable> damagedTableOfCurrentException(const TDesk& desk);

// The Russian reason for the engine's message about a table image that does not load.
QString damageReason(const QString& engineMessage);

// What the operator reads: the file, the reason, and either the question whether to open
// the last good copy (`asking`) or what to do without one.
QString damagedTableMessage(const DamagedTable& damaged, bool asking);

// The name the damaged file is kept under: "data.d.damaged-20261210-134501", with "-2",
// "-3" … added while a file of that name exists.
QString damagedCopyPath(const QString& path, const QDateTime& now);

// Copies the damaged file aside (byte for byte; the original is not touched until the copy
// is complete) and then puts the last good copy in its place atomically. The path of the
// kept damaged file, or the reason it failed (then the table file is as it was).
ValueResult<QString> restoreLastGoodCopy(const DamagedTable& damaged, const QDateTime& now);

// Whether to open the last good copy; gets the message with the question, true for yes.
using AskToRestore = std::function<bool(const QString& question)>;

// Opens the desk. When a table file is damaged and its last good copy opens, `ask` (if
// any) is asked; on yes the copy is put in place (the damaged file kept aside) and the
// open tried again. Failed with the Russian message when the desk stays closed; a "no"
// changes nothing and fails saying so. Without `ask` (a command without a
// window) the message tells the operator to start the program with its window.
Result openDeskOrRestore(TDesk& desk, const AskToRestore& ask);

} // namespace vornelta
