#include "platform/IniFile.h"

#include "platform/TextFileWriter.h"

#include <QFileInfo>

#include <algorithm>

namespace vornelta {

namespace {

// Windows trims ASCII blanks only: a no-break space (0xA0) belongs to the value.
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v') ||
           c == QLatin1Char('\f');
}

QString trimBlanks(const QString& s) {
    qsizetype from = 0, to = s.size();
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

// "[Name]" with blanks around it; the name between the brackets, trimmed.
std::optional<QString> sectionName(const QString& line) {
    const QString t = trimBlanks(line);
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return std::nullopt;
    return trimBlanks(t.mid(1, close - 1));
}

struct KeyLine {
    QString key;
    QString value;
};

// "key = value"; comment lines (';') and lines without '=' are not keys.
std::optional<KeyLine> keyLine(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return std::nullopt;
    const QString key = trimBlanks(line.left(eq));
    if (key.isEmpty() || key.startsWith(QLatin1Char(';'))) return std::nullopt;
    QString value = trimBlanks(line.mid(eq + 1));
    // Windows drops one pair of matching quotes around a value.
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return KeyLine{key, value};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The lines of a section: from the line after its header to the next header (or the end).
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QStringList& lines, const QString& section) {
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> name = sectionName(lines[i]);
        if (!name) continue;
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (sameName(*name, section)) span.header = i;
    }
    if (span.header >= 0) span.end = lines.size();
    return span;
}

QString withoutLineBreaks(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

bool IniFile::load(const QString& path, QString* error) {
    m_lines.clear();
    if (!QFileInfo::exists(path)) return true;
    // Every byte has a character, so the lines give back the same bytes when saved.
    return readTextFile(path, m_lines, error);
}

bool IniFile::save(const QString& path, QString* error) const {
    return writeTextFile(path, m_lines, error);
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const SectionSpan span = findSection(m_lines, section);
    for (qsizetype i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        const std::optional<KeyLine> kv = keyLine(m_lines[i]);
        if (kv && sameName(kv->key, key)) return kv->value;
    }
    return std::nullopt;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString clean = withoutLineBreaks(value);
    const SectionSpan span = findSection(m_lines, section);
    if (span.header < 0) {
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << key + QLatin1Char('=') + clean;
        return;
    }
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const std::optional<KeyLine> kv = keyLine(m_lines[i]);
        if (!kv || !sameName(kv->key, key)) continue;
        // An unchanged value leaves the line exactly as the owner wrote it.
        if (kv->value != clean) m_lines[i] = kv->key + QLatin1Char('=') + clean;
        return;
    }
    qsizetype at = span.end;
    while (at > span.header + 1 && trimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, key + QLatin1Char('=') + clean);
}

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    const SectionSpan span = findSection(m_lines, section);
    for (qsizetype i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        const std::optional<KeyLine> kv = keyLine(m_lines[i]);
        if (!kv) continue;
        const bool seen = std::any_of(out.cbegin(), out.cend(),
                                      [&](const QString& k) { return sameName(k, kv->key); });
        if (!seen) out << kv->key;
    }
    return out;
}

} // namespace vornelta
