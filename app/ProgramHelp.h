// What `vornelta --help`, `--version` and a usage error print, in Russian or English as the
// locale says; the commands' lines come from the command table.
#pragma once

#include "app/CommandTable.h"

#include <QString>

namespace vornelta {

QString programHelp(bool russian, const QList<WindowlessCommand>& commands = windowlessCommands());
QString programVersion(const QString& version, bool russian);
// The short usage printed after a usage error: one line per command.
QString programUsage(bool russian, const QList<WindowlessCommand>& commands = windowlessCommands());

} // namespace vornelta
