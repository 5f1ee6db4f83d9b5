#include "app/ProgramStart.h"

#include "app/uVornelta.h"
#include "desk/DamagedTable.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "intake/TemplateCalls.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/FolderLock.h"
#include "platform/ProgramFolder.h"
#include "templates/TemplateDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

namespace vornelta {

void nameApplication() {
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
}

void connectSubsystems() {
    setTemplateCalls({chooseAndFillTemplate, fillNamedTemplate});
}

int runDeskWindow(const QString& folderOption, const QString& executableFolder,
                  const QString& databaseOption) {
    Dialogs& dialogs = Dialogs::instance();
    const ProgramFolder folder = ProgramFolder::chosen(folderOption, executableFolder);
    // A mistyped --folder must not silently become a new, empty desk. The default folder
    // is made without asking: that is the first start.
    if (!folderOption.isEmpty() && !QFileInfo::exists(folder.path()) &&
        !dialogs.question(nullptr, QStringLiteral("Папки «%1» нет. Создать новую папку программы?")
                                       .arg(QDir::toNativeSeparators(folder.path()))))
        return 1;
    if (const Result prepared = prepareProgramFolder(folder); !prepared) {
        dialogs.error(nullptr, prepared.error());
        return 1;
    }
    // On a database several counters work at once, each in its own transaction, and the
    // folder keeps only this workstation's settings and templates: no lock. On the folder's
    // table files one program at a time.
    TSettings configured;
    LoadConfig(folder.file(kConfigFileName), configured);
    const bool onDatabase = !databaseOption.isEmpty() || !configured.DatabaseUrl.isEmpty();
    FolderLock lock(folder);
    if (!onDatabase) {
        if (const Result locked = lock.lock(); !locked) {
            dialogs.error(nullptr, locked.error());
            return 1;
        }
    }

    TDesk desk(folder);
    desk.setDatabaseUrl(databaseOption);
    desk.askToRetry = [&dialogs](const QString& message) {
        return dialogs.question(QApplication::activeModalWidget()
                                    ? QApplication::activeModalWidget()
                                    : QApplication::activeWindow(),
                                message);
    };
    // A damaged table is named, and its last good copy offered; a "no" ends the program
    // without a second box.
    bool declined = false;
    const Result opened = openDeskOrRestore(desk, [&](const QString& question) {
        declined = !dialogs.question(nullptr, question);
        return !declined;
    });
    if (!opened) {
        if (!declined) dialogs.error(nullptr, opened.error());
        return 1;
    }
    TfVornelta window(desk);
    QApplication::setWindowIcon(
        QIcon(shippedFolder(executableFolder) + QStringLiteral("/icons/vornelta-64.png")));
    window.show();
    return QApplication::exec();
}

} // namespace vornelta
