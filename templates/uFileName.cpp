#include "templates/uFileName.h"

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/TextFileWriter.h"
#include "templates/TemplateFields.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vornelta {

TfFileNAme::TfFileNAme(const QString& folder, QWidget* parent) : QDialog(parent), m_folder(folder) {
    setObjectName(QStringLiteral("fFileNAme"));
    setWindowTitle(QStringLiteral("Введите название файла"));

    ui.eNAme = new QLineEdit(this);
    ui.eNAme->setObjectName(QStringLiteral("eNAme"));
    ui.eNAme->setMinimumWidth(300);
    ui.BitBtn1 = iconButton(this, "BitBtn1", QStyle::SP_FileIcon, QStringLiteral("Создать"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 = closeButton(this, "BitBtn2");
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfFileNAme::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfFileNAme::BitBtn2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.eNAme);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TfFileNAme::~TfFileNAme() = default;

void TfFileNAme::BitBtn1Click() {
    if (createTemplateFile()) accept();
}

void TfFileNAme::BitBtn2Click() {
    reject();
}

bool TfFileNAme::createTemplateFile() {
    const QString name = ui.eNAme->text();
    if (const Result named = checkTemplateName(name); !named) {
        Dialogs::instance().error(this, named.error());
        return false;
    }
    const QString path = templatePathForName(m_folder, name);
    QString error;
    if (!writeTextFile(path, {}, &error)) {
        Dialogs::instance().error(this, error);
        return false;
    }
    m_createdPath = path;
    return true;
}

} // namespace vornelta
