#include "platform/FolderLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

namespace {

// QLockFile records the application name and, when it checks whether a holder still runs,
// compares it with the executable's file name of that process: a recorded name that
// differs ("Vornelta" for the executable "vornelta") makes every running holder look
// gone, and its lock would be taken over. So the lock is written under the executable's
// own file name.
class ExecutableNameWhileLocking {
public:
    ExecutableNameWhileLocking() : m_name(QCoreApplication::applicationName()) {
        if (QCoreApplication::instance())
            QCoreApplication::setApplicationName(
                QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    }
    ~ExecutableNameWhileLocking() { QCoreApplication::setApplicationName(m_name); }

private:
    QString m_name;
};

} // namespace

Result FolderLock::lock(std::chrono::milliseconds wait) {
    if (m_file.isLocked()) return Result();
    bool locked = false;
    {
        ExecutableNameWhileLocking name;
        locked = m_file.tryLock(int(wait.count()));
    }
    if (locked) return Result();

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
