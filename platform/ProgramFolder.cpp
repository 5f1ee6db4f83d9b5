#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vornelta {

ProgramFolder::ProgramFolder(const QString& path) {
    if (path.isEmpty()) return;
    m_path = QDir::cleanPath(QDir(path).absolutePath());
    if (!m_path.endsWith(QLatin1Char('/'))) m_path += QLatin1Char('/');
}

namespace {
QString installedShareFolder(const QString& executableFolder) {
    return QDir::cleanPath(executableFolder + QStringLiteral("/../share/vornelta"));
}
} // namespace

bool ProgramFolder::isInstalled(const QString& executableFolder) {
    const QFileInfo folder(executableFolder);
    if (!folder.isDir()) return false;
    if (!folder.isWritable()) return true;
    return QDir(executableFolder).dirName() == QLatin1String("bin") &&
           QFileInfo(installedShareFolder(executableFolder)).isDir();
}

QString ProgramFolder::systemUserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

ProgramFolder ProgramFolder::chosen(const QString& folderOption, const QString& executableFolder,
                                    const QString& userDataFolder) {
    if (!folderOption.isEmpty()) return ProgramFolder(folderOption);
    if (isInstalled(executableFolder))
        return ProgramFolder(userDataFolder.isEmpty() ? systemUserDataFolder() : userDataFolder);
    return ProgramFolder(executableFolder);
}

QString shippedFolder(const QString& executableFolder) {
    const QString beside = QDir::cleanPath(executableFolder + QStringLiteral("/resources"));
    if (QFileInfo(beside).isDir()) return beside;
    const QString installed = installedShareFolder(executableFolder);
    if (QFileInfo(installed).isDir()) return installed;
    return QString();
}

} // namespace vornelta
