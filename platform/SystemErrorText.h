// The reasons the system gives for a failed file operation, in the desk's language. The
// engine reports "Cannot create file PATH: Permission denied" and Qt's file classes
// "Permission denied"; the windows and commands show "не удалось создать файл «PATH»: нет
// прав на доступ". One place knows these texts.
#pragma once

#include <QString>

class QFileDevice;

namespace vornelta {

// The Russian text of a system error number (errno).
QString systemErrorText(int errorNumber);

// Why a Qt file operation failed, in Russian (from the file's errorString).
QString fileErrorText(const QFileDevice& file);

// A message with the engine's file phrases ("Cannot create file", "Cannot write file",
// "Cannot open", "Cannot read") and the system's reasons put into Russian; anything else
// in it stays as it is.
QString systemMessageText(const QString& message);

} // namespace vornelta
