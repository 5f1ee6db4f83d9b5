// The "Login password" dialog the engine shows when an enciphered table needs a password
// nobody has given it yet.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vornelta {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    // The text to show, all selected (the previous attempt).
    void setPassword(const QString& password);
    QString password() const;

    QLabel* label() const { return m_label; }
    QLineEdit* edit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_label;
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// Makes the dialog the engine's built-in password prompt (shown through ModalRunner).
void installPasswordPrompt();

} // namespace vornelta
