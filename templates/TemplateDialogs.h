// The template dialogs as the entry form calls them: the template list "Шаблоны" and,
// through it, the fill dialog; or the fill dialog of one template file ("==name" and
// Enter in the entry form's text). Both give the filled text when "Внести" was pressed.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vornelta {

class TDesk;

std::optional<QString> chooseAndFillTemplate(TDesk& desk, QWidget* parent);
// The fill dialog of the template typed as "==name": the file name + ".txt" in the template
// folder. Opens nothing when the name could reach outside the folder or no such file
// exists.
std::optional<QString> fillNamedTemplate(TDesk& desk, QWidget* parent, const QString& name);

} // namespace vornelta
