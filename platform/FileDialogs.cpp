#include "platform/FileDialogs.h"

#include <QFileDialog>

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

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& start,
                                    const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, start, filter);
}

} // namespace vornelta
