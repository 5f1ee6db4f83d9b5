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
    // A file to write. Empty on cancel. A name typed without a suffix of the filter gets
    // the chosen filter's first one ("отчет" is saved as "отчет.pdf").
    QString saveFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter = {});

    static FileDialogs& instance();
    // Replaces the process-wide object (not owned); nullptr restores the file dialogs.
    static void setInstance(FileDialogs* dialogs);

protected:
    // The name as the operator gave it; *selectedFilter the filter chosen, if known.
    virtual QString chooseSaveFileName(QWidget* parent, const QString& caption,
                                       const QString& start, const QString& filter,
                                       QString* selectedFilter) = 0;
};

// The path with the suffix of a filter ("PDF (*.pdf);;Рисунок PNG (*.png)") added when it
// has none of the filter's suffixes: the selected filter's first, else the filter's first.
// Unchanged for an empty path or a filter without suffixes.
QString withFilterSuffix(const QString& path, const QString& filter,
                         const QString& selectedFilter = {});

class QtFileDialogs : public FileDialogs {
public:
    QString existingDirectory(QWidget* parent, const QString& caption,
                              const QString& start) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& start,
                         const QString& filter) override;

protected:
    QString chooseSaveFileName(QWidget* parent, const QString& caption, const QString& start,
                               const QString& filter, QString* selectedFilter) override;
};

} // namespace vornelta
