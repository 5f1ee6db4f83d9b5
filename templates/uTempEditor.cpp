#include "templates/uTempEditor.h"

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "platform/TextFileWriter.h"
#include "templates/TemplateFields.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vornelta {

TfTempEditor::TfTempEditor(const QString& templatePath, QWidget* parent)
    : QDialog(parent), m_templatePath(templatePath) {
    setObjectName(QStringLiteral("fTempEditor"));
    setWindowTitle(QStringLiteral("Редактор шаблонов"));

    ui.eText = new QPlainTextEdit(this);
    ui.eText->setObjectName(QStringLiteral("eText"));
    ui.eText->setMinimumSize(520, 160);
    ui.eText->setTabChangesFocus(true);
    // Only the first line is the template: a long line is not shown as several.
    ui.eText->setLineWrapMode(QPlainTextEdit::NoWrap);

    ui.BitBtn1 = saveButton(this, "BitBtn1");
    ui.BitBtn2 = closeButton(this, "BitBtn2");
    // Enter breaks a line in the text box; it must not save the file.
    ui.BitBtn1->setAutoDefault(false);
    ui.BitBtn2->setAutoDefault(false);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfTempEditor::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfTempEditor::BitBtn2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.eText);
    layout->addLayout(buttons);
}

TfTempEditor::~TfTempEditor() = default;

Result TfTempEditor::loadFile() {
    QStringList lines;
    QString error;
    if (!readTextFile(m_templatePath, lines, &error)) return Result::failed(error);
    ui.eText->setPlainText(lines.join(QLatin1Char('\n')));
    return Result();
}

void TfTempEditor::BitBtn1Click() {
    QString error;
    if (!writeTextFile(m_templatePath, templateFileLines(ui.eText->toPlainText()), &error)) {
        Dialogs::instance().error(this, error); // the text stays for another try
        return;
    }
    accept();
}

void TfTempEditor::BitBtn2Click() {
    reject();
}

void runTemplateEditor(const QString& templatePath, QWidget* parent) {
    TfTempEditor fTempEditor(templatePath, parent);
    if (const Result loaded = fTempEditor.loadFile(); !loaded) {
        Dialogs::instance().error(parent, loaded.error());
        return;
    }
    ModalRunner::instance().run(fTempEditor);
}

} // namespace vornelta
