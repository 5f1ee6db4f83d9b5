// The engine's date, time and number formats taken from the system locale.
#include "guisupport/GuiHelpers.h"
#include "platform/SystemLocale.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace vornelta;
using guisupport::cp1251;

namespace {

class SystemLocaleTest : public ::testing::Test {
protected:
    void TearDown() override { dorod::setFormatSettings(m_saved); }

private:
    dorod::FormatSettings m_saved = dorod::formatSettings();
};

TEST_F(SystemLocaleTest, LocalesGiveTheEngineTheirFormats) {
    const std::tuple<const char*, QString, QString, char> cases[] = {
        // "C"/POSIX: the Russian conventions, not "d MMM yyyy" and '.'.
        {"C", QStringLiteral("dd.MM.yyyy"), QStringLiteral("hh:mm:ss"), ','},
        {"POSIX", QStringLiteral("dd.MM.yyyy"), QStringLiteral("hh:mm:ss"), ','},
        {"ru_RU", QStringLiteral("dd.MM.yyyy"), QStringLiteral("hh:mm:ss"), ','},
        {"de_DE", QStringLiteral("dd.MM.yy"), QStringLiteral("hh:mm:ss"), ','},
        {"en_US", QStringLiteral("M/d/yy"), QStringLiteral("h:mm:ss"), '.'},
        {"fi_FI", QStringLiteral("d.M.yyyy"), QStringLiteral("h.mm.ss"), ','},
        {"bg_BG", QStringLiteral("d.MM.yy г."), QStringLiteral("h:mm:ss ч."), ','},
        {"ar_EG", QStringLiteral("dd.MM.yyyy"), QStringLiteral("h:mm:ss"),
         ','}, // no bytes for its marks
    };
    for (const auto& [name, date, time, separator] : cases) {
        SCOPED_TRACE(name);
        applyLocale(QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(dorod::formatSettings().shortDateFormat, cp1251(date));
        EXPECT_EQ(dorod::formatSettings().timeFormat, cp1251(time));
        EXPECT_EQ(dorod::formatSettings().decimalSeparator, separator);
    }
}

TEST_F(SystemLocaleTest, EngineTextsFollowTheAppliedLocaleAndReadBack) {
    const int32_t day = dorod::dayNumberFromCivil(2024, 3, 5);
    const double value = day * 86400000.0 + ((14 * 60 + 7) * 60 + 9) * 1000.0;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C", "05.03.2024 14:07:09", "2,5"},
        {"de_DE", "05.03.24 14:07:09", "2,5"},
        {"en_US", "3/5/24 14:07:09", "2.5"},
    };
    for (const auto& [name, dateTime, number] : cases) {
        SCOPED_TRACE(name);
        applyLocale(QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(dorod::formatDateTime(value), dateTime);
        EXPECT_EQ(dorod::formatDate(day),
                  std::string(dateTime).substr(0, std::string(dateTime).find(' ')));
        EXPECT_EQ(dorod::formatFloat(2.5), number);
        EXPECT_EQ(dorod::parseDateTime(dateTime), value);
        EXPECT_EQ(dorod::parseFloat(number), 2.5);
    }
}

TEST(EngineFormats, QtFormatsBecomeWhatTheEngineCanPrintAndRead) {
    using Convert = std::optional<std::string> (*)(const QString&);
    const std::tuple<Convert, QString, std::optional<QString>> cases[] = {
        {engineDateFormat, QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-MM-dd")},
        {engineDateFormat, QStringLiteral("d MMM yyyy"),
         QStringLiteral("d MM yyyy")}, // month name → number
        {engineDateFormat, QStringLiteral("dddd, d MMMM yy"),
         QStringLiteral("d MM yy")}, // weekday left out
        {engineDateFormat, QStringLiteral("d.M.yyyy ddd"), QStringLiteral("d.M.yyyy")},
        {engineDateFormat, QStringLiteral("dd''MM''yy"), QStringLiteral("dd'MM'yy")},
        {engineDateFormat, QStringLiteral("dd 'de' MM yyyy"),
         std::nullopt}, // a field letter as text
        {engineDateFormat, QStringLiteral("dd.MM"), std::nullopt},
        {engineDateFormat, QStringLiteral("dd.MM.yyyy.yy"), std::nullopt},
        {engineDateFormat, QStringLiteral("dd.MM.yyyy HH:mm"), std::nullopt},
        {engineDateFormat, QStringLiteral("yyyy年M月d日"), std::nullopt},
        {engineTimeFormat, QStringLiteral("AP h:mm"), QStringLiteral("h:mm:ss")},
        {engineTimeFormat, QStringLiteral("h:mm:ss ap t"), QStringLiteral("h:mm:ss")},
        {engineTimeFormat, QStringLiteral("t HH:mm:ss.z"), QStringLiteral("hh:mm:ss.zzz")},
        {engineTimeFormat, QStringLiteral("HH 'h' mm"), std::nullopt},
        {engineTimeFormat, QStringLiteral("mm:ss"), std::nullopt},
        {engineTimeFormat, QStringLiteral("H時mm分"), std::nullopt},
    };
    for (const auto& [convert, qt, engine] : cases) {
        SCOPED_TRACE(qt.toStdString());
        const std::optional<std::string> got = convert(qt);
        ASSERT_EQ(got.has_value(), engine.has_value());
        if (got) {
            EXPECT_EQ(*got, cp1251(*engine));
        }
    }
}

} // namespace
