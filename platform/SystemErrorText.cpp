#include "platform/SystemErrorText.h"

#include <QFileDevice>

#include <array>
#include <cerrno>
#include <cstring>

namespace vornelta {

namespace {

struct ErrorText {
    int number;
    const char* russian;
};

// The errors a desk meets with its files: a folder without rights, a full or read-only
// disk, a vanished drive.
constexpr std::array<ErrorText, 14> kErrorTexts{{
    {EACCES, "нет прав на доступ"},
    {EPERM, "операция не разрешена"},
    {ENOENT, "нет такого файла или папки"},
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "превышена квота на диске"},
    {EROFS, "диск доступен только для чтения"},
    {EIO, "ошибка ввода-вывода"},
    {EISDIR, "это папка, а не файл"},
    {ENOTDIR, "часть пути не является папкой"},
    {EEXIST, "файл уже существует"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "открыто слишком много файлов"},
    {EBUSY, "файл занят"},
}};

// What the C library and Qt write for an error number.
QStringList englishTexts(int number) {
    QStringList texts{QString::fromLocal8Bit(std::strerror(number))};
    if (number == EACCES) texts << QStringLiteral("Permission denied");
    if (number == ENOENT) texts << QStringLiteral("No such file or directory");
    if (number == ENOSPC) texts << QStringLiteral("No space left on device");
    if (number == EMFILE) texts << QStringLiteral("Too many open files");
    return texts;
}

// The system's reason in a message (its end) put into Russian.
QString reasonText(const QString& reason) {
    for (const ErrorText& e : kErrorTexts)
        if (englishTexts(e.number).contains(reason)) return QString::fromUtf8(e.russian);
    if (reason == QLatin1String("not a regular file")) return QStringLiteral("это не обычный файл");
    return reason;
}

struct Phrase {
    const char* english; // followed by " PATH"
    const char* russian; // followed by " «PATH»"
};

constexpr std::array<Phrase, 4> kPhrases{{
    {"Cannot create file", "не удалось создать файл"},
    {"Cannot write file", "не удалось записать файл"},
    {"Cannot open", "не удалось открыть"},
    {"Cannot read", "не удалось прочитать"},
}};

} // namespace

QString systemErrorText(int errorNumber) {
    for (const ErrorText& e : kErrorTexts)
        if (e.number == errorNumber) return QString::fromUtf8(e.russian);
    return QStringLiteral("системная ошибка %1 (%2)")
        .arg(errorNumber)
        .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
}

QString fileErrorText(const QFileDevice& file) {
    return reasonText(file.errorString());
}

QString systemMessageText(const QString& message) {
    for (const Phrase& phrase : kPhrases) {
        const QString english = QString::fromLatin1(phrase.english) + QLatin1Char(' ');
        const qsizetype at = message.indexOf(english);
        if (at < 0) continue;
        const QString rest = message.mid(at + english.size());
        // The path may hold ": " itself; the reason is what follows the last one.
        const qsizetype colon = rest.lastIndexOf(QStringLiteral(": "));
        const QString path = colon < 0 ? rest : rest.left(colon);
        QString text = message.left(at) + QString::fromUtf8(phrase.russian) +
                       QStringLiteral(" «%1»").arg(path);
        if (colon >= 0) text += QStringLiteral(": ") + reasonText(rest.mid(colon + 2));
        return text;
    }
    return message;
}

} // namespace vornelta
