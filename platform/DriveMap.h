// Drives "A:" … "F:" mapped to folders. The section "Drives" of config.INI says where each
// letter goes (A=/media/usb0); a letter with no entry maps to a folder of that letter
// under the program folder. A missing folder is "no diskette".
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace vornelta {

class IniFile;

class DriveMap {
public:
    static const QStringList& letters(); // "A:" … "F:"

    void load(const IniFile& ini, const QString& programFolder);
    void save(IniFile& ini) const;

    // The folder of a drive ("A:" or "a:" or "A"); empty for a text that is not a drive.
    QString folderFor(const QString& drive) const;
    // The configured folder of a letter (empty when it has none).
    QString configured(const QString& drive) const;
    void setConfigured(const QString& drive, const QString& folder);
    // Whether the drive's folder exists ("a diskette is in").
    bool isReady(const QString& drive) const;

private:
    QString m_programFolder;
    QMap<QString, QString> m_folders; // letter without colon → folder
};

} // namespace vornelta
