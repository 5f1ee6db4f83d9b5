// config.INI as the desk keeps it: Windows-1251, CR LF, every line it does not change
// left exactly as the owner wrote it.
#include "guisupport/GuiHelpers.h"
#include "platform/IniFile.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vornelta;
using guisupport::cp1251;
using guisupport::readBytes;

namespace {

const QString kGeneral = QStringLiteral("General");

class IniFileTest : public ::testing::Test {
protected:
    static std::string crlf(const QStringList& lines) {
        return cp1251(lines.join(QStringLiteral("\r\n")) + "\r\n");
    }
    IniFile loadBytes(const std::string& bytes) {
        guisupport::writeBytes(path, bytes);
        IniFile ini;
        EXPECT_TRUE(ini.load(path));
        return ini;
    }
    void save(const IniFile& ini) {
        QString error;
        ASSERT_TRUE(ini.save(path, &error)) << error.toStdString();
    }

    guisupport::TempFolder folder;
    QString path = folder.file(QStringLiteral("config.INI"));
};

TEST_F(IniFileTest, ChangingOneValueLeavesEveryOtherLineByteForByte) {
    const QStringList original = {
        QStringLiteral("; Настройки стола рекламы"),
        QStringLiteral("[General]"),
        QStringLiteral("NAME=ТЕЛЕКАНАЛ «ВОРНЕЛЬТА» №1"),
        QStringLiteral("WordPrice = 5,5"),
        QStringLiteral("SymKol=  200  "),
        QStringLiteral("Unknown=что-то своё"),
        QStringLiteral("\tno equals sign"),
        QString(),
        QStringLiteral("[Other]"),
        QStringLiteral("WordPrice=99"),
        QStringLiteral("   "),
    };
    IniFile ini = loadBytes(crlf(original));
    ini.setValue(kGeneral, QStringLiteral("WordPrice"), QStringLiteral("7,25"));
    ini.setValue(kGeneral, QStringLiteral("SymKol"),
                 QStringLiteral("200")); // same value: line untouched
    save(ini);
    QStringList expected = original;
    expected[3] = QStringLiteral("WordPrice=7,25");
    EXPECT_EQ(readBytes(path), crlf(expected));
}

TEST_F(IniFileTest, ValuesAsWindowsReadsThem) {
    const IniFile ini = loadBytes(crlf({
        QStringLiteral("Orphan=before any section"),
        QStringLiteral("[general]"),
        QStringLiteral("  Spaced  =  around  "),
        QStringLiteral("Equals=a=b"),
        QStringLiteral("Empty="),
        QStringLiteral("Quoted=\" in quotes \""),
        QStringLiteral("Half=\"open"),
        QStringLiteral("NoBreak=\u00A0x"),
        QStringLiteral(";Comment=no"),
        QStringLiteral("Twice=first"),
        QStringLiteral("TWICE=second"),
        QStringLiteral("[ Other ]"),
        QStringLiteral("Elsewhere=yes"),
    }));
    const std::tuple<const char*, const char*, std::optional<QString>> cases[] = {
        {"General", "spaced", QStringLiteral("around")},
        {"GENERAL", "Equals", QStringLiteral("a=b")},
        {"General", "Empty", QString()},
        {"General", "Quoted", QStringLiteral(" in quotes ")},
        {"General", "Half", QStringLiteral("\"open")},
        {"General", "NoBreak", QStringLiteral("\u00A0x")},
        {"General", "Twice", QStringLiteral("first")},
        {"Other", "Elsewhere", QStringLiteral("yes")},
        {"General", ";Comment", std::nullopt},
        {"General", "Elsewhere", std::nullopt},
        {"General", "Orphan", std::nullopt},
        {"Missing", "Spaced", std::nullopt},
    };
    for (const auto& [section, key, value] : cases) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_EQ(ini.value(QString::fromLatin1(section), QString::fromLatin1(key)), value);
    }
    EXPECT_EQ(ini.keys(kGeneral).join(QLatin1Char(',')),
              QStringLiteral("Spaced,Equals,Empty,Quoted,Half,NoBreak,Twice"));
}

TEST_F(IniFileTest, WritesFindKeysInAnyLetterCaseAndAddWhatIsMissing) {
    IniFile ini = loadBytes("[general]\r\nwordprice=3\r\n\r\n\r\n[Other]\r\nx=1\r\n");
    ini.setValue(QStringLiteral("GENERAL"), QStringLiteral("WordPrice"), QStringLiteral("4"));
    ini.setValue(kGeneral, QStringLiteral("OutDev"),
                 QStringLiteral("A:")); // before the section's blank lines
    ini.setValue(QStringLiteral("Other"), QStringLiteral("y"), QStringLiteral("2"));
    ini.setValue(QStringLiteral("Drives"), QStringLiteral("A"), QStringLiteral("/media/usb0"));
    ini.setValue(QStringLiteral("Drives"), QStringLiteral("B"),
                 QStringLiteral("a\r\nNAME=line break"));
    save(ini);
    EXPECT_EQ(readBytes(path),
              "[general]\r\nwordprice=4\r\nOutDev=A:\r\n\r\n\r\n[Other]\r\nx=1\r\ny=2\r\n"
              "[Drives]\r\nA=/media/usb0\r\nB=a  NAME=line break\r\n");
}

TEST_F(IniFileTest, CyrillicIsStoredAsWindows1251AndLfOnlyFilesComeBackWithCrLf) {
    const QString text = QStringLiteral("ПРОДАМ «ЖИГУЛИ» №5, ёмкость 1,5 л");
    IniFile ini = loadBytes("[General]\nNAME=\xCA\xC0\xCD\xC0\xCB\n\n[Other]\nz=9"); // no final LF
    EXPECT_EQ(ini.value(kGeneral, QStringLiteral("NAME")), QStringLiteral("КАНАЛ"));
    ini.setValue(kGeneral, QStringLiteral("StringFirst"), text);
    save(ini);
    EXPECT_EQ(readBytes(path), "[General]\r\nNAME=\xCA\xC0\xCD\xC0\xCB\r\nStringFirst=" +
                                   cp1251(text) + "\r\n\r\n[Other]\r\nz=9\r\n");
    IniFile again;
    ASSERT_TRUE(again.load(path));
    EXPECT_EQ(again.value(kGeneral, QStringLiteral("StringFirst")), text);
}

TEST_F(IniFileTest, MissingFileIsEmptyAndFailedSavesLeaveNothingBehind) {
    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    EXPECT_TRUE(ini.lines().isEmpty());
    ini.setValue(kGeneral, QStringLiteral("WordPrice"), QStringLiteral("1"));
    QString error;
    EXPECT_FALSE(ini.save(folder.file(QStringLiteral("Нет такой/config.INI")), &error));
    EXPECT_FALSE(error.isEmpty());
    save(ini);

    ini.setValue(kGeneral, QStringLiteral("StringLast"), QStringLiteral("Ω"));
    EXPECT_FALSE(ini.save(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Ω"))) << error.toStdString();
    EXPECT_EQ(readBytes(path), "[General]\r\nWordPrice=1\r\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("config.INI")});
}

} // namespace
