// Drives "A:" … "F:" as folders: configured in config.INI, else a folder of the letter
// under the program folder; a missing folder is "no diskette".
#include "guisupport/GuiHelpers.h"
#include "platform/DriveMap.h"
#include "platform/IniFile.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vornelta;

namespace {

class DriveMapTest : public ::testing::Test {
protected:
    DriveMap load(const std::string& drivesSection) {
        guisupport::writeBytes(iniPath,
                               "[General]\r\nA=/not/this/section\r\n[Drives]\r\n" + drivesSection);
        EXPECT_TRUE(ini.load(iniPath));
        DriveMap drives;
        drives.load(ini, program.path());
        return drives;
    }

    guisupport::TempFolder program;
    QString iniPath = program.file(QStringLiteral("config.INI"));
    QString usb0 = program.file(QStringLiteral("media/usb0"));
    IniFile ini;
};

TEST_F(DriveMapTest, DrivesMapToConfiguredOrDefaultFolders) {
    const DriveMap drives =
        load("A=" + usb0.toStdString() + "\r\nc = flash \r\nD=\r\nG=/ignored\r\n");
    const std::pair<const char*, QString> cases[] = {
        {"A:", usb0},
        {"a", usb0},
        {" a: ", usb0},
        {"B:", program.file(QStringLiteral("B"))},
        {"C:", program.file(QStringLiteral("flash"))}, // relative to the program folder
        {"D:", program.file(QStringLiteral("D"))},     // an empty entry is no entry
        {"G:", QString()},
        {"AB", QString()},
        {"C:\\", QString()},
    };
    for (const auto& [drive, folder] : cases) {
        SCOPED_TRACE(drive);
        EXPECT_EQ(drives.folderFor(QString::fromLatin1(drive)), folder);
    }
    EXPECT_EQ(DriveMap::letters().join(QLatin1Char(' ')), QStringLiteral("A: B: C: D: E: F:"));

    EXPECT_FALSE(drives.isReady(QStringLiteral("A:")));
    ASSERT_TRUE(QDir().mkpath(usb0));
    ASSERT_TRUE(QDir().mkpath(program.file(QStringLiteral("B"))));
    guisupport::writeBytes(program.file(QStringLiteral("flash")), "a file, not a folder");
    EXPECT_TRUE(drives.isReady(QStringLiteral("A:")));
    EXPECT_TRUE(drives.isReady(QStringLiteral("b:")));
    EXPECT_FALSE(drives.isReady(QStringLiteral("C:")));
    EXPECT_FALSE(drives.isReady(QStringLiteral("G:")));
}

TEST_F(DriveMapTest, SavedMapReadsBackAndAClearedLetterIsEmptied) {
    DriveMap drives = load("A=/media/usb0\r\nE=/media/e\r\n");
    drives.setConfigured(QStringLiteral("A:"), QString());
    drives.setConfigured(QStringLiteral("b"), QStringLiteral(" /media/usb1 "));
    drives.setConfigured(QStringLiteral("Z:"), QStringLiteral("/nowhere"));
    drives.save(ini);
    ASSERT_TRUE(ini.save(iniPath));
    EXPECT_EQ(
        guisupport::readBytes(iniPath),
        "[General]\r\nA=/not/this/section\r\n[Drives]\r\nA=\r\nE=/media/e\r\nB=/media/usb1\r\n");

    DriveMap again;
    again.load(ini, program.path());
    for (const QString& drive : DriveMap::letters())
        EXPECT_EQ(again.folderFor(drive), drives.folderFor(drive));
    EXPECT_EQ(again.folderFor(QStringLiteral("A:")), program.file(QStringLiteral("A")));
}

} // namespace
