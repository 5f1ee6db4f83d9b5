// Message boxes of the program: information, Yes/No question, error. Every window shows
// its boxes through the process-wide Dialogs object; production shows QMessageBox, tests
// put in a scripted one that answers in advance and records the texts.
#pragma once

#include <QString>

class QWidget;

namespace vornelta {

class Dialogs {
public:
    virtual ~Dialogs();
    // One OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Yes and No; true for Yes.
    virtual bool question(QWidget* parent, const QString& text) = 0;
    virtual void error(QWidget* parent, const QString& text) = 0;

    // The fixed caption of every box, whatever the window above it is called.
    static QString caption();

    static Dialogs& instance();
    // Replaces the process-wide object (not owned); nullptr restores the message boxes.
    static void setInstance(Dialogs* dialogs);
};

class MessageBoxDialogs : public Dialogs {
public:
    void information(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
};

} // namespace vornelta
