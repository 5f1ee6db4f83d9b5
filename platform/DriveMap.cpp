#include "platform/DriveMap.h"

#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace vornelta {

namespace {
const QString kSection = QStringLiteral("Drives");

// "A:", "a:", "A", " a: " → "A"; empty for anything that is not one of the six drives.
QString letterOf(const QString& drive) {
    QString t = drive.trimmed().toUpper();
    if (t.endsWith(QLatin1Char(':'))) t.chop(1);
    return t.size() == 1 && t[0] >= QLatin1Char('A') && t[0] <= QLatin1Char('F') ? t : QString();
}
} // namespace

const QStringList& DriveMap::letters() {
    static const QStringList kLetters = {QStringLiteral("A:"), QStringLiteral("B:"),
                                         QStringLiteral("C:"), QStringLiteral("D:"),
                                         QStringLiteral("E:"), QStringLiteral("F:")};
    return kLetters;
}

void DriveMap::load(const IniFile& ini, const QString& programFolder) {
    m_programFolder = programFolder;
    if (!m_programFolder.isEmpty() && !m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');
    m_folders.clear();
    for (const QString& drive : letters()) {
        const QString letter = letterOf(drive);
        const QString folder = ini.value(kSection, letter).value_or(QString()).trimmed();
        if (!folder.isEmpty()) m_folders.insert(letter, folder);
    }
}

void DriveMap::save(IniFile& ini) const {
    for (const QString& drive : letters()) {
        const QString letter = letterOf(drive);
        const QString folder = m_folders.value(letter);
        // A letter taken back to its default is emptied, not left pointing at the old folder.
        if (!folder.isEmpty() || ini.value(kSection, letter))
            ini.setValue(kSection, letter, folder);
    }
}

QString DriveMap::folderFor(const QString& drive) const {
    const QString letter = letterOf(drive);
    if (letter.isEmpty()) return {};
    const QString folder = m_folders.value(letter);
    if (folder.isEmpty()) return QDir::cleanPath(m_programFolder + letter);
    // A relative folder is taken from the program folder, as every other file is.
    return QDir::cleanPath(QDir(m_programFolder).absoluteFilePath(folder));
}

QString DriveMap::configured(const QString& drive) const {
    return m_folders.value(letterOf(drive));
}

void DriveMap::setConfigured(const QString& drive, const QString& folder) {
    const QString letter = letterOf(drive);
    if (letter.isEmpty()) return;
    if (folder.trimmed().isEmpty())
        m_folders.remove(letter);
    else
        m_folders.insert(letter, folder.trimmed());
}

bool DriveMap::isReady(const QString& drive) const {
    const QString folder = folderFor(drive);
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}

} // namespace vornelta
