// Vornelta: the advertising desk's program. Reads its command line once (app/CommandLine):
// help, version and usage errors are answered at once; a window-less command runs on the
// program folder without a display; otherwise the desk opens with its main window.
#include "app/CommandLine.h"
#include "app/ProgramStart.h"
#include "platform/Dialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/MessageLanguage.h"
#include "platform/PasswordDialog.h"
#include "platform/QtTranslations.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "storage/DorodDatabase.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// A window-less command. No window can be shown, so no password prompt is installed: a
// modal dialog on no display would wait for ever; an enciphered table is refused with the
// engine's message instead.
int runCommand(int& argc, char** argv, const vornelta::CommandLine& line,
               vornelta::CommandEnvironment environment) {
    std::unique_ptr<QCoreApplication> app;
    if (line.command->paints) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<vornelta::GuardedApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    environment.executableFolder = QCoreApplication::applicationDirPath();
    vornelta::nameApplication();
    vornelta::applySystemLocale();
    dorod::TDorodSession::Instance().OnShowMessage = [](const std::string& text) {
        std::fprintf(stderr, "%s\n", vornelta::toQt(text).toLocal8Bit().constData());
    };
    QTextStream out(stdout), err(stderr);
    return vornelta::runWindowlessCommand(line, environment, out, err);
}

} // namespace

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
    if (line.asks == vornelta::CommandLine::Asks::Command)
        return runCommand(argc, argv, line, environment);

    vornelta::GuardedApplication app(argc, argv);
    environment.executableFolder = QApplication::applicationDirPath();
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
    return vornelta::runDeskWindow(line.folder, environment.executableFolder, line.database);
}
