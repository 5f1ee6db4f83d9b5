#include "platform/TextCodec.h"

#include "storage/Win1251.h"

#include <QByteArray>
#include <QList>

namespace vornelta {

QString toQt(std::string_view cp1251) {
    const std::string utf8 = dorod::win1251::toUtf8(cp1251);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string fromQt(const QString& text, bool* ok) {
    std::string out;
    const bool converted = fromQt(text, out, nullptr);
    if (ok) *ok = converted;
    return out;
}

bool fromQt(const QString& text, std::string& out, QString* error) {
    const QByteArray utf8 = text.toUtf8();
    size_t badIndex = 0;
    if (dorod::win1251::fromUtf8(std::string_view(utf8.constData(), size_t(utf8.size())), out,
                                 &badIndex))
        return true;
    out.clear();
    if (error) {
        // The engine counts code points; a lone surrogate is one of them as well.
        const QList<uint> codePoints = text.toUcs4();
        const uint bad = badIndex < size_t(codePoints.size()) ? codePoints[qsizetype(badIndex)] : 0xFFFD;
        *error = QStringLiteral("Символ «%1» (U+%2) нельзя записать в кодировке Windows-1251")
                     .arg(QString::fromUcs4(reinterpret_cast<const char32_t*>(&bad), 1),
                          QString::number(bad, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return false;
}

bool isRepresentable(const QString& text) {
    std::string out;
    return fromQt(text, out, nullptr);
}

} // namespace vornelta
