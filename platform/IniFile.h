// An INI file as the program keeps it: Windows-1251 text with CR LF line ends. Reading
// keeps every line; writing a key replaces its value in place (or adds the key at the
// end of its section, or the section at the end of the file) and leaves every other
// line exactly as it was. Saving replaces the file atomically.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vornelta {

class IniFile {
public:
    // Reads the file; a missing file is an empty one. False with a reason when the file
    // exists but cannot be read.
    bool load(const QString& path, QString* error = nullptr);
    bool save(const QString& path, QString* error = nullptr) const;

    // Section and key names compare without regard to letter case, as Windows does. A
    // value is read as Windows reads it: blanks around it trimmed, one pair of enclosing
    // quotes dropped; the first of two equal keys counts. A line break in a value
    // written becomes a blank.
    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    QStringList keys(const QString& section) const;

    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace vornelta
