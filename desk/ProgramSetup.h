// First start: what the program folder must hold besides the tables (which the desk
// creates when it opens them): the folders "Шаблоны", "Тексты" and "Отчеты".
#pragma once

#include "platform/ProgramFolder.h"
#include "platform/Result.h"

#include <QString>

namespace vornelta {

inline const QString kTemplatesFolder = QStringLiteral("Шаблоны");
inline const QString kTextsFolder = QStringLiteral("Тексты");
inline const QString kReportsFolder = QStringLiteral("Отчеты");

// Creates the folder itself and the missing subfolders; report templates shipped with the
// program (resources/Отчеты in the build tree, share/vornelta/Отчеты installed) are copied
// in when missing, the sample announcement templates (resources/Шаблоны) when the template
// folder is new. Failed with the folder that could not be made.
Result prepareProgramFolder(const ProgramFolder& folder);

} // namespace vornelta
