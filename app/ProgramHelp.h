// What `vornelta --help` and `vornelta --version` print: answered before any window or
// display is needed, in Russian or English as the locale says.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vornelta {

QString programHelp(bool russian);
QString programVersion(const QString& version, bool russian);

// For --help / -h / --version among the arguments (without the program name): the text
// to print and exit with 0. Nothing for any other command line.
std::optional<QString> informationRequested(const QStringList& arguments, const QString& version,
                                            bool russian);

} // namespace vornelta
