// Vornelta: the advertising desk's program. Starts on the program folder (the
// executable's, or --folder DIR), opens the desk's tables and shows the main window.
#include "app/DeskCommands.h"
#include "app/ProgramHelp.h"
#include "app/ProgramStart.h"
#include "app/uVornelta.h"
#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "output/WriteDayCommand.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/MessageLanguage.h"
#include "platform/PasswordDialog.h"
#include "platform/QtTranslations.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "storage/DorodDatabase.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // --help and --version need no display.
    if (const auto text = vornelta::informationRequested(
            arguments, QStringLiteral(VORNELTA_VERSION), vornelta::russianMessages())) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        return 0;
    }
    // Commands without a window run before any display is needed.
    if (vornelta::asksForWriteDay(arguments)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Vornelta"));
        return vornelta::writeDayMain(QCoreApplication::arguments().mid(1),
                                      QCoreApplication::applicationDirPath());
    }
    // The commands without a window run with no display.
    const bool deskCommand = vornelta::hasDeskCommand(arguments);
    if (deskCommand) qputenv("QT_QPA_PLATFORM", "offscreen");
    vornelta::GuardedApplication app(argc, argv);
    vornelta::nameApplication();
    vornelta::connectSubsystems();

    // Russian texts on the standard buttons and in the file dialog.
    vornelta::installRussianQtTexts();

    vornelta::applySystemLocale();
    vornelta::installPasswordPrompt();
    dorod::TDorodSession::Instance().OnShowMessage = [](const std::string& text) {
        vornelta::Dialogs::instance().information(QApplication::activeWindow(),
                                                  vornelta::toQt(text));
    };

    if (deskCommand) {
        dorod::TDorodSession::Instance().OnShowMessage = [](const std::string& text) {
            std::fprintf(stderr, "%s\n", vornelta::toQt(text).toLocal8Bit().constData());
        };
        QTextStream out(stdout), err(stderr);
        return *vornelta::runDeskCommand(arguments, QApplication::applicationDirPath(), out, err);
    }

    const vornelta::ProgramFolder folder = vornelta::ProgramFolder::fromArguments(
        QApplication::arguments().mid(1), QApplication::applicationDirPath());
    QString error;
    if (!vornelta::prepareProgramFolder(folder, &error)) {
        vornelta::Dialogs::instance().error(nullptr, error);
        return 1;
    }

    vornelta::TDesk desk(folder);
    if (!vornelta::openDeskWithWindow(desk)) return 1;
    vornelta::TfVornelta window(desk);
    QApplication::setWindowIcon(QIcon(vornelta::shippedFolder(QApplication::applicationDirPath()) +
                                      QStringLiteral("/icons/vornelta-64.png")));
    window.show();
    return QApplication::exec();
}
