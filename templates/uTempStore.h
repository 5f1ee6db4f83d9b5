// The fill dialog "Заполнение шаблона": a label and an edit box for each field of the
// template, the filled text below them, rebuilt from the template file on every change
// of a value. "Внести" hands the text (as it stands, hand edits included) to the entry
// form; "Отмена" hands nothing.
#pragma once

#include "templates/TemplateFields.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vornelta {

class TfTempStore : public QDialog {
    Q_OBJECT
public:
    // The template at this path (the current template path) is read when the dialog
    // opens and on every change of a field value.
    TfTempStore(const QString& templatePath, QWidget* parent);
    ~TfTempStore() override;

    const QString& templatePath() const { return m_templatePath; }
    // The text "Внести" handed over; nothing until then.
    const std::optional<QString>& filledText() const { return m_filled; }

public slots:
    void FormCreate();
    void e1Change();
    void BitBtn1Click();
    void BitBtn2Click();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QPlainTextEdit* eText = nullptr; // the filled text, editable
        std::array<QLabel*, kMaxTemplateFields> l{}; // l1 … l7, "Переменная №1" … "Переменная №7"
        std::array<QLineEdit*, kMaxTemplateFields> e{}; // e1 … e7, the field values
        QPushButton* BitBtn1 = nullptr;                 // "Внести"
        QPushButton* BitBtn2 = nullptr;                 // "Отмена"
    } ui;

    void offerFields(const QStringList& names);
    void refill();
    TFieldValues values() const;

    QString m_templatePath;
    std::optional<QString> m_filled;
    // The read error is shown once, not again on every keystroke while it lasts.
    bool m_readFailed = false;
};

// Opens the fill dialog on a template file modally; the filled text when "Внести" was
// pressed.
std::optional<QString> runTemplateFill(const QString& templatePath, QWidget* parent);

} // namespace vornelta
