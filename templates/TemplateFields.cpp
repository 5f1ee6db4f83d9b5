#include "templates/TemplateFields.h"

#include "desk/ProgramSetup.h"
#include "platform/TextFileWriter.h"

namespace vornelta {

namespace {

const QString kOpen = QStringLiteral("<<");
const QString kClose = QStringLiteral(">>");

// Characters that a file name on the desk's systems cannot hold.
const QString kForbiddenInNames = QStringLiteral("\\/:*?\"<>|");

} // namespace

TTemplateLine parseTemplateLine(const QString& line) {
    TTemplateLine parsed;
    QString t = line;
    while (parsed.fields.size() < kMaxTemplateFields) {
        const qsizetype s = t.indexOf(kOpen);
        if (s < 0) break;
        const qsizetype e = t.indexOf(kClose, s + kOpen.size());
        if (e < 0) break;
        parsed.fields.push_back({t.left(s), t.mid(s + kOpen.size(), e - s - kOpen.size())});
        t = t.mid(e + kClose.size());
    }
    parsed.rest = t;
    return parsed;
}

QStringList templateFieldNames(const QString& line) {
    QStringList names;
    for (const TTemplateLine::Field& f : parseTemplateLine(line).fields)
        names << f.name;
    return names;
}

bool lacksFieldMarkers(const QString& line) {
    return !line.contains(kOpen);
}

QString substituteTemplate(const QString& line, const TFieldValues& values) {
    const TTemplateLine parsed = parseTemplateLine(line);
    QString result;
    for (qsizetype i = 0; i < parsed.fields.size(); ++i) {
        result += parsed.fields[i].before;
        result += values[size_t(i)];
    }
    result += parsed.rest;
    return result;
}

ValueResult<QString> readTemplateLine(const QString& path) {
    QStringList lines;
    QString error;
    if (!readTextFile(path, lines, &error)) return Result::failed(error);
    return lines.isEmpty() ? QString() : lines.first();
}

QStringList templateFileLines(const QString& text) {
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A line break after the last line does not start another one.
    if (lines.back().isEmpty()) lines.removeLast();
    return lines;
}

QString templateFolder(const ProgramFolder& programFolder) {
    return programFolder.file(kTemplatesFolder);
}

QString templatePathForName(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name + QStringLiteral(".txt");
}

Result checkTemplateName(const QString& name) {
    if (name.trimmed().isEmpty())
        return Result::failed(QStringLiteral("Не введено название шаблона"));
    const QString refused =
        QStringLiteral("Недопустимое название шаблона «%1»: название не может быть «.» или «..» "
                       "и содержать знаки \\ / : * ? \" < > |")
            .arg(name);
    // Only separators reach outside the folder; "." and ".." alone name folders.
    const QString trimmed = name.trimmed();
    if (trimmed == QLatin1String(".") || trimmed == QLatin1String(".."))
        return Result::failed(refused);
    for (QChar ch : name)
        if (kForbiddenInNames.contains(ch) || ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return Result::failed(refused);
    return Result();
}

} // namespace vornelta
