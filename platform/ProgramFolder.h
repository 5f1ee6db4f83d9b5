// The program folder: where the tables, config.INI and the folders "Шаблоны", "Тексты"
// and "Отчеты" live. It is the folder of the executable, or the folder given with
// --folder DIR on the command line.
#pragma once

#include <QString>
#include <QStringList>

namespace vornelta {

class ProgramFolder {
public:
    ProgramFolder() = default;
    explicit ProgramFolder(const QString& path); // made absolute, with a trailing '/'

    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return m_path + name; }
    bool isValid() const { return !m_path.isEmpty(); }

    // From the program's arguments (without the program name): --folder DIR or
    // --folder=DIR, else the executable's folder. Unknown arguments are left alone.
    static ProgramFolder fromArguments(const QStringList& arguments, const QString& executableFolder);

private:
    QString m_path;
};

} // namespace vornelta
