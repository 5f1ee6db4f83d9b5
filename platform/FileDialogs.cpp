#include "platform/FileDialogs.h"

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

QString QtFileDialogs::existingDirectory(QWidget* parent, const QString& caption,
                                         const QString& start) {
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

QString QtFileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString QtFileDialogs::chooseSaveFileName(QWidget* parent, const QString& caption,
                                          const QString& start, const QString& filter,
                                          QString* selectedFilter) {
    return QFileDialog::getSaveFileName(parent, caption, start, filter, selectedFilter);
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
