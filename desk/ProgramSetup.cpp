#include "desk/ProgramSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vornelta {

bool prepareProgramFolder(const ProgramFolder& folder, QString* error) {
    QDir dir;
    for (const QString& sub : {QString(), kTemplatesFolder, kTextsFolder, kReportsFolder}) {
        const QString path = folder.path() + sub;
        if (!dir.mkpath(path)) {
            if (error) *error = QStringLiteral("Не удалось создать папку %1").arg(path);
            return false;
        }
    }
    const QDir shipped(shippedFolder(QCoreApplication::applicationDirPath()) + QLatin1Char('/') +
                       kReportsFolder);
    for (const QFileInfo& file : shipped.entryInfoList(QDir::Files)) {
        const QString target = folder.file(kReportsFolder + QLatin1Char('/') + file.fileName());
        if (!QFileInfo::exists(target)) QFile::copy(file.absoluteFilePath(), target);
    }
    return true;
}

} // namespace vornelta
