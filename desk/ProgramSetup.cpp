#include "desk/ProgramSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vornelta {

Result prepareProgramFolder(const ProgramFolder& folder) {
    // Sample templates come with a new template folder only: a sample the desk deleted
    // stays deleted. Report templates the program needs are put back whenever missing.
    QStringList shippedFolders{kReportsFolder};
    if (!QFileInfo(folder.file(kTemplatesFolder)).isDir()) shippedFolders << kTemplatesFolder;
    QDir dir;
    for (const QString& sub : {QString(), kTemplatesFolder, kTextsFolder, kReportsFolder}) {
        const QString path = folder.path() + sub;
        if (!dir.mkpath(path))
            return Result::failed(QStringLiteral("Не удалось создать папку %1").arg(path));
    }
    // Never over the desk's own files.
    const QString shippedRoot = shippedFolder(QCoreApplication::applicationDirPath());
    if (shippedRoot.isEmpty()) return Result(); // nothing shipped beside this executable
    for (const QString& sub : shippedFolders) {
        const QDir shipped(shippedRoot + QLatin1Char('/') + sub);
        for (const QFileInfo& file : shipped.entryInfoList(QDir::Files)) {
            const QString target = folder.file(sub + QLatin1Char('/') + file.fileName());
            if (!QFileInfo::exists(target)) QFile::copy(file.absoluteFilePath(), target);
        }
    }
    return Result();
}

} // namespace vornelta
