#include "app/ProgramStart.h"

#include "intake/TemplateCalls.h"
#include "templates/TemplateDialogs.h"

#include <QApplication>

namespace vornelta {

void nameApplication() {
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
}

void connectSubsystems() {
    setTemplateCalls({chooseAndFillTemplate, fillNamedTemplate});
}

} // namespace vornelta
