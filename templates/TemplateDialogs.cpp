#include "templates/TemplateDialogs.h"

#include "platform/ModalRunner.h"
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

std::optional<QString> fillTemplateFile(TDesk&, QWidget* parent, const QString& templatePath) {
    if (!QFileInfo(templatePath).isFile()) return std::nullopt;
    return runTemplateFill(templatePath, parent);
}

} // namespace vornelta
