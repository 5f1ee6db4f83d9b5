#include "platform/TextCodec.h"

#include "storage/Win1251.h"

#include <array>
#include <cstdint>

namespace vornelta {

namespace {

// The code page's two tables, built once from the engine's: the character of every byte,
// and the byte of every character of the Basic Multilingual Plane (-1: none). Grids
// convert a text per painted cell, so neither direction goes through UTF-8.
struct Tables {
    std::array<char16_t, 256> toChar{};
    std::array<int16_t, 0x10000> toByte{};

    Tables() {
        toByte.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const std::string utf8 = dorod::win1251::toUtf8(std::string_view(&byte, 1));
            const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
            toChar[size_t(b)] = char16_t(text.at(0).unicode());
            toByte[text.at(0).unicode()] = int16_t(b);
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

QString toQt(std::string_view cp1251) {
    const Tables& t = tables();
    QString out(qsizetype(cp1251.size()), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (char c : cp1251)
        *dst++ = t.toChar[uint8_t(c)];
    return out;
}

std::string fromQt(const QString& text, bool* ok) {
    std::string out;
    const bool converted = fromQt(text, out, nullptr);
    if (ok) *ok = converted;
    return out;
}

bool fromQt(const QString& text, std::string& out, QString* error) {
    const Tables& t = tables();
    out.resize(size_t(text.size()));
    const char16_t* src = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int16_t byte = t.toByte[src[i]];
        // A surrogate is never in the table: characters beyond the plane have no byte.
        if (byte >= 0) {
            out[size_t(i)] = char(byte);
            continue;
        }
        out.clear();
        if (error) {
            char32_t bad = src[i];
            if (QChar::isHighSurrogate(bad) && i + 1 < text.size() &&
                QChar::isLowSurrogate(src[i + 1]))
                bad = QChar::surrogateToUcs4(src[i], src[i + 1]);
            *error = QStringLiteral("Символ «%1» (U+%2) нельзя записать в кодировке Windows-1251")
                         .arg(QString::fromUcs4(&bad, 1), QString::number(uint(bad), 16)
                                                              .toUpper()
                                                              .rightJustified(4, QLatin1Char('0')));
        }
        return false;
    }
    return true;
}

bool isRepresentable(const QString& text) {
    std::string out;
    return fromQt(text, out, nullptr);
}

QString upperCased(const QString& text) {
    std::string bytes;
    if (fromQt(text, bytes, nullptr)) return toQt(dorod::win1251::toUpper(bytes));
    return text.toUpper(); // a character outside the code page: no stored text has it
}

} // namespace vornelta
