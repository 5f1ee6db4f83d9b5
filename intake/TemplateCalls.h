// The template dialogs as the entry form sees them. The program sets the calls once at
// start; the entry form calls through them. An empty call does nothing.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vornelta {

class TDesk;

struct TTemplateCalls {
    // "Шаблоны": the template list and, through it, the fill dialog; the filled text when
    // "Внести" was pressed, nothing otherwise.
    std::function<std::optional<QString>(TDesk&, QWidget* parent)> chooseAndFill;
    // "==name" + Enter: the fill dialog of the template of this name in the template
    // folder; nothing when the name is no template there.
    std::function<std::optional<QString>(TDesk&, QWidget* parent, const QString& name)> fillNamed;
};

// Set once by the program at start; the entry form calls through it (an empty call: the
// button does nothing).
void setTemplateCalls(TTemplateCalls calls);
const TTemplateCalls& templateCalls();

} // namespace vornelta
