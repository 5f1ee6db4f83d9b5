// The program folder: where the tables, config.INI and the folders "Шаблоны", "Тексты"
// and "Отчеты" live. It is the folder given with --folder DIR on the command line, else
// the folder of the executable (a build tree, a copied desk folder), else, when the
// program is installed, the user's data folder (~/.local/share/Vornelta).
#pragma once

#include <QString>

namespace vornelta {

class ProgramFolder {
public:
    ProgramFolder() = default;
    explicit ProgramFolder(const QString& path); // made absolute, with a trailing '/'

    const QString& path() const { return m_path; }
    QString file(const QString& name) const { return m_path + name; }
    bool isValid() const { return !m_path.isEmpty(); }

    // The folder the command line names (`--folder DIR`, read by the program's command
    // table), else the executable's folder, or userDataFolder when the executable is
    // installed (empty: the system's data folder for the program).
    static ProgramFolder chosen(const QString& folderOption, const QString& executableFolder,
                                const QString& userDataFolder = QString());

    // The executable is installed when it sits in bin/ beside share/vornelta, or in a folder
    // the user cannot write to. Tables must then not go beside it: root can write to
    // /usr/bin, and nobody else can.
    static bool isInstalled(const QString& executableFolder);
    // The system's data folder for the program (QStandardPaths), e.g. ~/.local/share/Vornelta.
    static QString systemUserDataFolder();

private:
    QString m_path;
};

// The folder of what the program ships (report templates "Отчеты", sample templates
// "Шаблоны", the icon): resources/ beside the executable in the build tree, share/vornelta
// installed; empty when neither exists.
QString shippedFolder(const QString& executableFolder);

} // namespace vornelta
