#include "platform/SystemLocale.h"

#include "platform/TextCodec.h"
#include "storage/DorodLocale.h"

#include <QLocale>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

namespace vornelta {

namespace {

// One piece of a Qt format: a run of one field letter, or literal text.
struct Piece {
    QChar letter; // null for literal text
    int length = 0;
    QString text;
};

bool isQtField(QChar c) {
    static const QString kLetters = QStringLiteral("dMyhHmszaApPt");
    return kLetters.contains(c);
}

std::vector<Piece> split(const QString& format) {
    std::vector<Piece> pieces;
    const auto literal = [&](const QString& text) {
        if (!pieces.empty() && pieces.back().letter.isNull())
            pieces.back().text += text;
        else
            pieces.push_back({QChar(), 0, text});
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) { // 'quoted text', '' is a quote
            QString text;
            qsizetype j = i + 1;
            for (; j < format.size(); ++j) {
                if (format[j] != QLatin1Char('\'')) {
                    text += format[j];
                } else if (j + 1 < format.size() && format[j + 1] == QLatin1Char('\'')) {
                    text += QLatin1Char('\'');
                    ++j;
                } else {
                    break;
                }
            }
            literal(j == i + 1 ? QStringLiteral("'") : text);
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        const bool amPm =
            (c == QLatin1Char('a') || c == QLatin1Char('A')) && i + run < format.size() &&
            (format[i + run] == QLatin1Char('p') || format[i + run] == QLatin1Char('P'));
        if (amPm) ++run; // "ap", "AP": one field
        if (!isQtField(c) || c == QLatin1Char('p') || c == QLatin1Char('P'))
            literal(format.mid(i, run));
        else
            pieces.push_back({c, int(run), {}});
        i += run;
    }
    return pieces;
}

bool isField(const Piece& p, char letter) {
    return p.letter == QLatin1Char(letter);
}

// Removes a piece the engine cannot show together with the blanks or separators that
// only served it (", " after a weekday, " " before "AP").
void dropWithSeparator(std::vector<Piece>& pieces, size_t i) {
    const auto isSeparator = [](const Piece& p) {
        if (!p.letter.isNull()) return false;
        for (QChar c : p.text)
            if (c.isLetterOrNumber()) return false;
        return true;
    };
    const auto at = [&](size_t k) { return pieces.begin() + std::ptrdiff_t(k); };
    if (i + 1 < pieces.size() && isSeparator(pieces[i + 1]) && (i == 0 || i + 2 < pieces.size())) {
        pieces.erase(at(i + 1));
    } else if (i > 0 && isSeparator(pieces[i - 1])) {
        pieces.erase(at(i - 1));
        --i;
    }
    pieces.erase(at(i));
}

// The engine's format, or nothing when it cannot be expressed: each of the required
// fields exactly once, no field letter inside literal text, Windows-1251 only.
std::optional<std::string> assemble(const std::vector<Piece>& pieces, const char* required,
                                    const char* fieldLetters) {
    QString out;
    for (const Piece& p : pieces) {
        if (p.letter.isNull()) {
            for (QChar c : p.text)
                if (c.unicode() > 0 && c.unicode() < 128 &&
                    std::strchr(fieldLetters, char(c.unicode())))
                    return std::nullopt;
            out += p.text;
        } else {
            out += QString(p.length, p.letter);
        }
    }
    for (const char* r = required; *r; ++r) {
        int runs = 0;
        for (const Piece& p : pieces)
            runs += isField(p, *r) ? 1 : 0;
        if (runs != 1) return std::nullopt;
    }
    bool ok = false;
    std::string bytes = fromQt(out.trimmed(), &ok);
    if (!ok) return std::nullopt;
    return bytes;
}

bool isCLocale(const QLocale& locale) {
    return locale.language() == QLocale::C || locale.name() == QLatin1String("C") ||
           locale.name() == QLatin1String("POSIX");
}

} // namespace

std::optional<std::string> engineDateFormat(const QString& qtFormat) {
    std::vector<Piece> pieces = split(qtFormat);
    for (size_t i = 0; i < pieces.size();) {
        Piece& p = pieces[i];
        if (isField(p, 'd') && p.length > 2) { // weekday name
            dropWithSeparator(pieces, i);
            continue;
        }
        if (isField(p, 'M') && p.length > 2) p.length = 2; // month name → its number
        if (isField(p, 'y')) p.length = p.length > 2 ? 4 : 2;
        if (!p.letter.isNull() && !isField(p, 'd') && !isField(p, 'M') && !isField(p, 'y'))
            return std::nullopt; // a time letter in a date format
        ++i;
    }
    return assemble(pieces, "dMy", "dMy");
}

// A format without seconds gets them after the minutes, with the separator that precedes
// the minutes.
std::optional<std::string> engineTimeFormat(const QString& qtFormat) {
    std::vector<Piece> pieces = split(qtFormat);
    for (size_t i = 0; i < pieces.size();) {
        Piece& p = pieces[i];
        if (isField(p, 'a') || isField(p, 'A') || isField(p, 't')) { // am/pm, time zone
            dropWithSeparator(pieces, i);
            continue;
        }
        if (isField(p, 'H')) p.letter = QLatin1Char('h'); // no am/pm: the 24-hour clock
        if (isField(p, 'h') || isField(p, 'm') || isField(p, 's')) p.length = std::min(p.length, 2);
        if (isField(p, 'z')) p.length = 3;
        if (isField(p, 'd') || isField(p, 'M') || isField(p, 'y')) return std::nullopt;
        ++i;
    }
    const auto has = [&](char letter) {
        return std::any_of(pieces.begin(), pieces.end(),
                           [&](const Piece& p) { return isField(p, letter); });
    };
    if (!has('s')) {
        const auto minutes = std::find_if(pieces.begin(), pieces.end(),
                                          [](const Piece& p) { return isField(p, 'm'); });
        if (minutes != pieces.end()) {
            QString separator = QStringLiteral(":");
            if (minutes != pieces.begin() && std::prev(minutes)->letter.isNull() &&
                std::prev(minutes)->text.size() == 1)
                separator = std::prev(minutes)->text;
            const auto at = pieces.insert(std::next(minutes), {QChar(), 0, separator});
            pieces.insert(std::next(at), {QLatin1Char('s'), 2, {}});
        }
    }
    return assemble(pieces, "hm", "hHmsz");
}

void applyLocale(const QLocale& locale) {
    const dorod::FormatSettings russian{"dd.MM.yyyy", "hh:mm:ss", ','};
    dorod::FormatSettings settings = russian;
    if (!isCLocale(locale)) {
        settings.shortDateFormat = engineDateFormat(locale.dateFormat(QLocale::ShortFormat))
                                       .value_or(russian.shortDateFormat);
        settings.timeFormat =
            engineTimeFormat(locale.timeFormat(QLocale::ShortFormat)).value_or(russian.timeFormat);
        const QString point = locale.decimalPoint();
        settings.decimalSeparator =
            point.size() == 1 && point[0].unicode() < 128 && !point[0].isLetterOrNumber()
                ? char(point[0].unicode())
                : russian.decimalSeparator;
    }
    dorod::setFormatSettings(settings);
}

void applySystemLocale() {
    applyLocale(QLocale::system());
}

} // namespace vornelta
