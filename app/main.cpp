// Vornelta: the advertising desk's program. Reads its command line once (app/CommandLine):
// help, version and usage errors are answered at once; a window-less command runs on the
// program folder without a display; otherwise the desk opens with its main window.
#include "app/CommandLine.h"
#include "app/ProgramStart.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/MessageLanguage.h"
#include "platform/PasswordDialog.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "storage/DorodDatabase.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    vornelta::CommandEnvironment environment;
    environment.version = QStringLiteral(VORNELTA_VERSION);
    environment.russian = vornelta::russianMessages();
    const vornelta::CommandLine line = vornelta::parseCommandLine(arguments, environment.russian);
    {
        QTextStream out(stdout), err(stderr);
        if (const std::optional<int> code =
                vornelta::answerWithoutDesk(line, environment, out, err))
            return *code;
    }

    // The commands without a window run with no display.
    const bool windowless = line.asks == vornelta::CommandLine::Asks::Command;
    if (windowless) qputenv("QT_QPA_PLATFORM", "offscreen");
    vornelta::GuardedApplication app(argc, argv);
    environment.executableFolder = QApplication::applicationDirPath();
    vornelta::nameApplication();
    vornelta::connectSubsystems();

    // Russian texts on the standard buttons.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    vornelta::applySystemLocale();
    vornelta::installPasswordPrompt();

    if (windowless) {
        dorod::TDorodSession::Instance().OnShowMessage = [](const std::string& text) {
            std::fprintf(stderr, "%s\n", vornelta::toQt(text).toLocal8Bit().constData());
        };
        QTextStream out(stdout), err(stderr);
        return vornelta::runWindowlessCommand(line, environment, out, err);
    }
    dorod::TDorodSession::Instance().OnShowMessage = [](const std::string& text) {
        vornelta::Dialogs::instance().information(QApplication::activeWindow(),
                                                  vornelta::toQt(text));
    };
    return vornelta::runDeskWindow(line.folder, environment.executableFolder);
}
