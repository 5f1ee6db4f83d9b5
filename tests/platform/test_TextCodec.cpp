// The one conversion between Windows-1251 bytes and Qt strings.
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

using namespace vornelta;

namespace {

TEST(TextCodec, BytesAndCharactersCorrespondBothWays) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(fromQt(toQt(all)), all);

    const std::pair<const char*, QString> cases[] = {
        {"\xC0\xDF\xE0\xFF", QStringLiteral("АЯая")},
        {"\xA8\xB8\xB9", QStringLiteral("Ёё№")},
        {"\x88\xAB\xBB", QStringLiteral("€«»")},
        {"\x98", QString(QChar(0x98))}, // unassigned byte
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(toQt(bytes), text);
        bool ok = false;
        EXPECT_EQ(fromQt(text, &ok), bytes);
        EXPECT_TRUE(ok && isRepresentable(text));
    }
}

TEST(TextCodec, CharacterWithoutAByteFailsTheWholeTextAndIsNamed) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Цена 5 Ω"), QStringLiteral("«Ω» (U+03A9)")},
        {QStringLiteral("ü"), QStringLiteral("«ü» (U+00FC)")},
        {QStringLiteral("x \U0001F600"), QStringLiteral("(U+1F600)")},
    };
    for (const auto& [text, named] : cases) {
        SCOPED_TRACE(text.toStdString());
        bool ok = true;
        EXPECT_EQ(fromQt(text, &ok), "");
        EXPECT_FALSE(ok || isRepresentable(text));
        std::string out = "left over";
        QString error;
        EXPECT_FALSE(fromQt(text, out, &error));
        EXPECT_EQ(out, "");
        EXPECT_TRUE(error.contains(named)) << error.toStdString();
    }
}

} // namespace
