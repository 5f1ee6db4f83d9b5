#include "templates/uTempStore.h"

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vornelta {

TfTempStore::TfTempStore(const QString& templatePath, QWidget* parent)
    : QDialog(parent), m_templatePath(templatePath) {
    setObjectName(QStringLiteral("fTempStore"));
    setWindowTitle(QStringLiteral("Заполнение шаблона"));

    auto* fields = new QGridLayout;
    for (int i = 0; i < kMaxTemplateFields; ++i) {
        const QString number = QString::number(i + 1);
        ui.l[size_t(i)] = new QLabel(QStringLiteral("Переменная №") + number, this);
        ui.l[size_t(i)]->setObjectName(QStringLiteral("l") + number);
        ui.e[size_t(i)] = new QLineEdit(this);
        ui.e[size_t(i)]->setObjectName(QStringLiteral("e") + number);
        ui.e[size_t(i)]->setMinimumWidth(320);
        ui.l[size_t(i)]->setBuddy(ui.e[size_t(i)]);
        ui.l[size_t(i)]->hide();
        ui.e[size_t(i)]->hide();
        fields->addWidget(ui.l[size_t(i)], i, 0);
        fields->addWidget(ui.e[size_t(i)], i, 1);
        connect(ui.e[size_t(i)], &QLineEdit::textChanged, this, &TfTempStore::e1Change);
    }

    ui.eText = new QPlainTextEdit(this);
    ui.eText->setObjectName(QStringLiteral("eText"));
    ui.eText->setMinimumSize(460, 90);

    ui.BitBtn1 =
        iconButton(this, "BitBtn1", QStyle::SP_DialogApplyButton, QStringLiteral("Внести"));
    ui.BitBtn1->setDefault(true);
    ui.BitBtn2 =
        iconButton(this, "BitBtn2", QStyle::SP_DialogCancelButton, QStringLiteral("Отмена"));
    connect(ui.BitBtn1, &QPushButton::clicked, this, &TfTempStore::BitBtn1Click);
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TfTempStore::BitBtn2Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn1);
    buttons->addWidget(ui.BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(ui.eText);
    layout->addLayout(buttons);

    FormCreate();
}

TfTempStore::~TfTempStore() = default;

void TfTempStore::FormCreate() {
    const ValueResult<QString> line = readTemplateLine(m_templatePath);
    if (!line) {
        m_readFailed = true;
        Dialogs::instance().error(this, line.error());
    } else {
        if (lacksFieldMarkers(line.value()))
            Dialogs::instance().information(this, kNoFieldsMessage);
        offerFields(templateFieldNames(line.value()));
    }
    refill();
    if (ui.e[0]->isVisibleTo(this)) ui.e[0]->setFocus();
}

void TfTempStore::offerFields(const QStringList& names) {
    for (qsizetype i = 0; i < names.size() && i < kMaxTemplateFields; ++i) {
        ui.l[size_t(i)]->setText(names[i]);
        ui.l[size_t(i)]->show();
        ui.e[size_t(i)]->show();
    }
}

void TfTempStore::e1Change() {
    refill();
}

void TfTempStore::BitBtn1Click() {
    m_filled = ui.eText->toPlainText();
    accept();
}

void TfTempStore::BitBtn2Click() {
    reject();
}

void TfTempStore::refill() {
    const ValueResult<QString> line = readTemplateLine(m_templatePath);
    if (!line) {
        // The text shown stays; the operator hears of the failure once.
        if (!m_readFailed) Dialogs::instance().error(this, line.error());
        m_readFailed = true;
        return;
    }
    m_readFailed = false;
    ui.eText->setPlainText(substituteTemplate(line.value(), values()));
}

TFieldValues TfTempStore::values() const {
    TFieldValues v;
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = ui.e[i]->text();
    return v;
}

std::optional<QString> runTemplateFill(const QString& templatePath, QWidget* parent) {
    TfTempStore fTempStore(templatePath, parent);
    if (ModalRunner::instance().run(fTempStore) != QDialog::Accepted) return std::nullopt;
    return fTempStore.filledText();
}

} // namespace vornelta
