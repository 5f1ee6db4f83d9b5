#include "platform/FileDialogs.h"

#include "platform/FileListColumns.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace vornelta {

namespace {
FileDialogs* g_current = nullptr;
}

FileDialogs::~FileDialogs() = default;

FileDialogs& FileDialogs::instance() {
    static QtFileDialogs dialogs;
    return g_current ? *g_current : dialogs;
}

void FileDialogs::setInstance(FileDialogs* dialogs) {
    g_current = dialogs;
}

namespace {

// Shows the dialog with its file list in Russian (Qt's own dialog; a native one shows the
// system's); the chosen path, or empty on cancel.
QString chooseWith(QFileDialog& dialog, QString* selectedFilter = nullptr) {
    dialog.setProxyModel(new TRussianFileColumns(&dialog));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

} // namespace

QString QtFileDialogs::existingDirectory(QWidget* parent, const QString& caption,
                                         const QString& start) {
    QFileDialog dialog(parent, caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return chooseWith(dialog);
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chooseWith(dialog);
}

QString QtFileDialogs::chooseSaveFileName(QWidget* parent, const QString& caption,
                                          const QString& start, const QString& filter,
                                          QString* selectedFilter) {
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return chooseWith(dialog, selectedFilter);
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                  const QString& filter) {
    QString selected;
    const QString path = chooseSaveFileName(parent, caption, start, filter, &selected);
    return withFilterSuffix(path, filter, selected);
}

namespace {

// The suffixes of one filter entry: "PDF (*.pdf *.PDF)" gives ".pdf", ".PDF".
QStringList suffixesOf(const QString& entry) {
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.[^\\s;()*]+)"));
    QStringList suffixes;
    for (auto it = pattern.globalMatch(entry); it.hasNext();)
        suffixes << it.next().captured(1);
    return suffixes;
}

} // namespace

QString withFilterSuffix(const QString& path, const QString& filter,
                         const QString& selectedFilter) {
    if (path.isEmpty()) return path;
    const QStringList all = suffixesOf(filter);
    for (const QString& suffix : all)
        if (path.endsWith(suffix, Qt::CaseInsensitive)) return path;
    const QStringList chosen = suffixesOf(selectedFilter);
    if (!chosen.isEmpty()) return path + chosen.first();
    return all.isEmpty() ? path : path + all.first();
}

} // namespace vornelta
