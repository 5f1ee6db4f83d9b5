// The one writer of the program's output files (script, text-line list, plain text,
// templates): Windows-1251, CR LF after every line, the file replaced atomically so a
// failed write never leaves a half-written file under the final name.
#pragma once

#include <QString>
#include <QStringList>

namespace vornelta {

// False with a reason (a character without a Windows-1251 byte, a missing folder, a
// full disk); the old file, if any, is then unchanged.
bool writeTextFile(const QString& path, const QStringList& lines, QString* error = nullptr);
// Reads a Windows-1251 text file into lines (CR LF or LF); false when it cannot be read.
bool readTextFile(const QString& path, QStringList& lines, QString* error = nullptr);

// A value written as one line may still hold line breaks of its own (a block text, a
// telephone); every break becomes CR LF, so that every line of a file ends with CR LF.
QString withCrLfBreaks(const QString& value);

} // namespace vornelta
