#include "platform/ProgramFolder.h"

#include <QDir>

namespace vornelta {

ProgramFolder::ProgramFolder(const QString& path) {
    if (path.isEmpty()) return;
    m_path = QDir::cleanPath(QDir(path).absolutePath());
    if (!m_path.endsWith(QLatin1Char('/'))) m_path += QLatin1Char('/');
}

ProgramFolder ProgramFolder::fromArguments(const QStringList& arguments, const QString& executableFolder) {
    const QString option = QStringLiteral("--folder");
    const QString withValue = option + QLatin1Char('=');
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == option && i + 1 < arguments.size() && !arguments[i + 1].isEmpty())
            return ProgramFolder(arguments[i + 1]);
        if (arg.startsWith(withValue) && arg.size() > withValue.size())
            return ProgramFolder(arg.mid(withValue.size()));
    }
    return ProgramFolder(executableFolder);
}

} // namespace vornelta
