#include "templates/TemplateDialogs.h"

#include "desk/Desk.h"
#include "platform/ModalRunner.h"
#include "templates/TemplateFields.h"
#include "templates/uTempSele.h"
#include "templates/uTempStore.h"

#include <QFileInfo>

namespace vornelta {

std::optional<QString> chooseAndFillTemplate(TDesk& desk, QWidget* parent) {
    QString chosen;
    {
        TfTEmpSele fTEmpSele(desk, parent);
        if (ModalRunner::instance().run(fTEmpSele) != QDialog::Accepted) return std::nullopt;
        chosen = fTEmpSele.chosenPath();
    }
    // The list closes before the fill dialog opens; a file deleted behind the list still
    // opens it, with the read error and no field.
    if (chosen.isEmpty()) return std::nullopt;
    return runTemplateFill(chosen, parent);
}

std::optional<QString> fillNamedTemplate(TDesk& desk, QWidget* parent, const QString& name) {
    if (!checkTemplateName(name)) return std::nullopt;
    const QString path = templatePathForName(templateFolder(desk.folder()), name);
    if (!QFileInfo(path).isFile()) return std::nullopt;
    return runTemplateFill(path, parent);
}

} // namespace vornelta
