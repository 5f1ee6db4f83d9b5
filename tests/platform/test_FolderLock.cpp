// The folder lock across processes: the program holding it names itself to a second copy,
// and a lock left by a copy that was killed is cleared.
#include "desk/ProgramSetup.h"
#include "guisupport/GuiHelpers.h"
#include "platform/FolderLock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;

// Waits (without timing anything) until the path exists or the process has ended.
bool appears(const QString& path, QProcess& process) {
    for (int i = 0; i < 600 && process.state() != QProcess::NotRunning; ++i) {
        if (QFileInfo::exists(path)) return true;
        QThread::msleep(100);
    }
    return QFileInfo::exists(path);
}

TEST(FolderLock, OneHolderAtATimeInOneProcess) {
    guisupport::TempFolder folder;
    FolderLock second{ProgramFolder(folder.path())};
    {
        FolderLock first{ProgramFolder(folder.path())};
        ASSERT_TRUE(first.lock());
        EXPECT_FALSE(second.lock());
        EXPECT_FALSE(second.isLocked());
    }
    EXPECT_TRUE(second.lock());
}

TEST(FolderLock, TheRunningProgramHoldsItAndAKilledOnesLockIsCleared) {
    guisupport::TempFolder folder;
    ASSERT_TRUE(prepareProgramFolder(ProgramFolder(folder.path())));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VORNELTA_EXECUTABLE), {QStringLiteral("--folder"), folder.path()});
    ASSERT_TRUE(program.waitForStarted());
    const QString lockPath = folder.file(FolderLock::fileName());
    ASSERT_TRUE(appears(lockPath, program)) << program.readAllStandardError().toStdString();

    FolderLock mine{ProgramFolder(folder.path())};
    const Result refused = mine.lock(std::chrono::milliseconds(300));
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("компьютер %1, процесс %2")
                                             .arg(QSysInfo::machineHostName())
                                             .arg(program.processId())))
        << refused.error().toStdString();

    program.kill(); // no chance to release it
    ASSERT_TRUE(program.waitForFinished());
    ASSERT_TRUE(QFileInfo::exists(lockPath));
    EXPECT_TRUE(mine.lock()) << "a lock whose process is gone is stale";
}

TEST(FolderLock, ALockOfAnotherComputerStaysWhateverItsAge) {
    guisupport::TempFolder folder;
    const QString path = folder.file(FolderLock::fileName());
    // As a desk on another computer of a shared folder wrote it, hours ago.
    guisupport::writeBytes(path, "4242\nvornelta\nother-pc\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600),
                                 QFileDevice::FileModificationTime));
    file.close();

    FolderLock mine{ProgramFolder(folder.path())};
    const Result refused = mine.lock();
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("компьютер other-pc, процесс 4242")))
        << refused.error().toStdString();
    EXPECT_TRUE(refused.error().contains(path)) << "the file to remove is named";
}

} // namespace
