// File and folder choosers of the program. Every window asks through the process-wide
// FileDialogs object, beside Dialogs: production shows QFileDialog, tests put in a
// scripted one that answers in advance and records what was asked.
#pragma once

#include <QString>

class QWidget;

namespace vornelta {

class FileDialogs {
public:
    virtual ~FileDialogs();
    // The chosen folder, or empty when the operator cancels.
    virtual QString existingDirectory(QWidget* parent, const QString& caption,
                                      const QString& start) = 0;
    // A file to read; filter as QFileDialog takes it ("Шаблоны (*.txt)"). Empty on cancel.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                                 const QString& filter = {}) = 0;
    // A file to write. Empty on cancel.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                 const QString& filter = {}) = 0;

    static FileDialogs& instance();
    // Replaces the process-wide object (not owned); nullptr restores the file dialogs.
    static void setInstance(FileDialogs* dialogs);
};

class QtFileDialogs : public FileDialogs {
public:
    QString existingDirectory(QWidget* parent, const QString& caption,
                              const QString& start) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter) override;
};

} // namespace vornelta
