#include "app/ProgramStart.h"

#include "desk/DamagedTable.h"
#include "intake/TemplateCalls.h"
#include "platform/Dialogs.h"
#include "templates/TemplateDialogs.h"

#include <QApplication>

namespace vornelta {

void nameApplication() {
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
}

void connectSubsystems() {
    setTemplateCalls({chooseAndFillTemplate, fillNamedTemplate});
}

bool openDeskWithWindow(TDesk& desk) {
    bool declined = false;
    const Result opened = openDeskOrRestore(desk, [&](const QString& question) {
        declined = !Dialogs::instance().question(nullptr, question);
        return !declined;
    });
    // A "no" closes the program without a second box.
    if (!opened && !declined) Dialogs::instance().error(nullptr, opened.error());
    return opened.ok();
}

} // namespace vornelta
