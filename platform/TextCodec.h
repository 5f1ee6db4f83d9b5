// The one conversion between the program's Windows-1251 bytes and Qt's strings.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vornelta {

QString toQt(std::string_view cp1251);
// Characters without a Windows-1251 byte make the conversion fail: *ok false and an
// empty result, so that nothing unreadable is ever stored.
std::string fromQt(const QString& text, bool* ok = nullptr);
// The same with the reason of a failure, which names the character that has no byte.
bool fromQt(const QString& text, std::string& out, QString* error);
// Whether every character of the text has a Windows-1251 byte.
bool isRepresentable(const QString& text);
// The text upper-cased by the Windows-1251 letter table the whole program uses (Cyrillic
// and Latin, «ё» → «Ё»); a character the code page lacks goes by Qt's rules.
QString upperCased(const QString& text);

} // namespace vornelta
