// The template editor "Редактор шаблонов": the whole template file in a text box.
// "Сохранить" replaces the file with its lines (Windows-1251, CR LF, atomically) and
// closes; "Закрыть" closes without saving and without asking.
#pragma once

#include "platform/Result.h"

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace vornelta {

class TfTempEditor : public QDialog {
    Q_OBJECT
public:
    TfTempEditor(const QString& templatePath, QWidget* parent);
    ~TfTempEditor() override;

    const QString& templatePath() const { return m_templatePath; }
    // Shows every line of the file; failed with the reason when it cannot be read.
    Result loadFile();

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QPlainTextEdit* eText = nullptr; // every line of the file
        QPushButton* BitBtn1 = nullptr;  // "Сохранить"
        QPushButton* BitBtn2 = nullptr;  // "Закрыть"
    } ui;

    QString m_templatePath;
};

// Opens the editor on a template file modally; a file that cannot be read is reported
// and no editor opens.
void runTemplateEditor(const QString& templatePath, QWidget* parent);

} // namespace vornelta
