#include "platform/FolderLock.h"

#include <QDir>

namespace vornelta {

FolderLock::FolderLock(const ProgramFolder& folder)
    : m_path(folder.file(fileName())), m_file(m_path) {
    // Age alone never makes a lock stale: the desk holds it all day. Only a holder process
    // that no longer runs on this computer does.
    m_file.setStaleLockTime(0);
}

FolderLock::~FolderLock() = default; // QLockFile removes the file it holds

QString FolderLock::fileName() {
    return QStringLiteral("vornelta.lock");
}

Result FolderLock::lock(std::chrono::milliseconds wait) {
    if (m_file.isLocked()) return Result();
    if (m_file.tryLock(int(wait.count()))) return Result();

    const QString path = QDir::toNativeSeparators(m_path);
    if (m_file.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        const bool known = m_file.getLockInfo(&pid, &host, &application);
        const QString unknown = QStringLiteral("неизвестно");
        return Result::failed(
            QStringLiteral("Программа уже открыта на этой папке: компьютер %1, процесс %2.\n"
                           "Если там она уже закрыта, удалите файл %3.")
                .arg(known && !host.isEmpty() ? host : unknown,
                     known ? QString::number(pid) : unknown, path));
    }
    if (m_file.error() == QLockFile::PermissionError)
        return Result::failed(
            QStringLiteral("Нет прав на запись в папку программы: файл %1 не создан.").arg(path));
    return Result::failed(QStringLiteral("Файл блокировки %1 не создан.").arg(path));
}

} // namespace vornelta
