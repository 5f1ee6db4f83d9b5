// The template list "Шаблоны": every file of the folder "Шаблоны". A double click on a
// template chooses it for filling and closes the list; the buttons create (name dialog,
// then the editor on the new empty file), edit and delete templates.
#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

namespace vornelta {

class TDesk;

class TfTEmpSele : public QDialog {
    Q_OBJECT
public:
    TfTEmpSele(TDesk& desk, QWidget* parent);
    ~TfTEmpSele() override;

    const QString& folder() const { return m_folder; }
    // The full path of the selected file; empty with none selected.
    QString selectedPath() const;
    // The template a double click chose (the current template path); empty until then.
    const QString& chosenPath() const { return m_chosenPath; }

public slots:
    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void FileListBox1DblClick();

private:
    // The controls; tests reach them by name (findChild).
    struct Ui {
        QListWidget* FileListBox1 = nullptr; // the files of the template folder
        QPushButton* BitBtn1 = nullptr;      // create a template
        QPushButton* BitBtn2 = nullptr;      // edit the selected template
        QPushButton* BitBtn3 = nullptr;      // delete the selected template
    } ui;

    // Reads the folder again, keeping the selected name where it is still there; false
    // when the folder is missing.
    bool readList();
    void createTemplate();
    void editSelected();
    void deleteSelected();

    QString m_folder;
    QString m_chosenPath;
};

} // namespace vornelta
