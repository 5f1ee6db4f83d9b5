// The name dialog "Введите название файла" of a new template. "Создать" makes the file
// folder/name.txt empty (an existing template of that name is emptied) and closes; a
// name that would reach outside the folder or that a file name cannot hold is refused
// and the dialog stays open. "Закрыть" creates nothing.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace vornelta {

class TfFileNAme : public QDialog {
    Q_OBJECT
public:
    // folder: the template list's folder, without a trailing separator.
    TfFileNAme(const QString& folder, QWidget* parent);
    ~TfFileNAme() override;

    // The file "Создать" made; empty until then.
    const QString& createdPath() const { return m_createdPath; }

public slots:
    void BitBtn1Click();
    void BitBtn2Click();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QLineEdit* eNAme = nullptr;     // the new template's name, without extension
        QPushButton* BitBtn1 = nullptr; // "Создать"
        QPushButton* BitBtn2 = nullptr; // "Закрыть"
    } ui;

    bool createTemplateFile();

    QString m_folder;
    QString m_createdPath;
};

} // namespace vornelta
