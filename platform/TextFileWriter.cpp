#include "platform/TextFileWriter.h"

#include "platform/SystemErrorText.h"
#include "platform/TextCodec.h"
#include "storage/FileIo.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vornelta {

bool writeTextFile(const QString& path, const QStringList& lines, QString* error) {
    std::string bytes;
    std::string line;
    QString reason;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!fromQt(lines[i], line, &reason)) {
            if (error)
                *error = QStringLiteral("Файл «%1» не записан: строка %2: %3")
                             .arg(path)
                             .arg(i + 1)
                             .arg(reason);
            return false;
        }
        bytes += line;
        bytes += "\r\n";
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("Файл «%1» не записан: папки «%2» нет").arg(path, folder);
        return false;
    }
    std::string failure;
    if (!dorod::fileio::writeFileAtomically(QFile::encodeName(path).toStdString(), bytes,
                                            failure)) {
        if (error)
            *error = QStringLiteral("Файл «%1» не записан: %2")
                         .arg(path, systemMessageText(QString::fromLocal8Bit(failure)));
        return false;
    }
    return true;
}

bool readTextFile(const QString& path, QStringList& lines, QString* error) {
    std::string bytes, failure;
    if (!dorod::fileio::readFile(QFile::encodeName(path).toStdString(), bytes, failure)) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать файл «%1»: %2")
                         .arg(path, systemMessageText(QString::fromLocal8Bit(failure)));
        return false;
    }
    lines = toQt(bytes).split(QLatin1Char('\n'));
    // The line end after the last line does not start another one.
    if (lines.back().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return true;
}

QString withCrLfBreaks(const QString& value) {
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n'))) return value;
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return value.split(breaks).join(QStringLiteral("\r\n"));
}

} // namespace vornelta
