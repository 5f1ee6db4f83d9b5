// The program folder: --folder DIR, --folder=DIR, else the executable's folder, or the
// user's data folder for an installed program; where the shipped files are found.
#include "platform/MessageLanguage.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <unistd.h>

#include <gtest/gtest.h>

using vornelta::ProgramFolder;

namespace {

TEST(ProgramFolder, FromTheFolderOption) {
    const QString exe = QStringLiteral("/opt/vornelta/bin/");
    const std::pair<QString, QString> cases[] = {
        {QString(), exe},
        {QStringLiteral("/data/desk"), QStringLiteral("/data/desk/")},
        {QStringLiteral("/data/x/../Реклама//"), QStringLiteral("/data/Реклама/")},
        {QStringLiteral("desk"), QDir::currentPath() + QStringLiteral("/desk/")},
        {QStringLiteral("/"), QStringLiteral("/")},
    };
    for (const auto& [option, path] : cases) {
        SCOPED_TRACE(option.toStdString());
        const ProgramFolder folder =
            ProgramFolder::chosen(option, QStringLiteral("/opt/vornelta/bin"));
        EXPECT_EQ(folder.path(), path);
        EXPECT_EQ(folder.file(QStringLiteral("data.d")), path + QStringLiteral("data.d"));
    }
    EXPECT_FALSE(ProgramFolder().isValid());
}

// A scratch tree laid out as an installation (prefix/bin beside prefix/share/vornelta) and
// as a build folder (build/ with resources/ beside the executable).
struct Layouts {
    QTemporaryDir root;
    QString prefixBin, share, build, buildResources, bare;

    Layouts() {
        const QString r = root.path();
        prefixBin = r + QStringLiteral("/usr/bin");
        share = r + QStringLiteral("/usr/share/vornelta");
        build = r + QStringLiteral("/build");
        buildResources = build + QStringLiteral("/resources");
        bare = r + QStringLiteral("/desk");
        for (const QString& dir : {prefixBin, share, buildResources, bare})
            EXPECT_TRUE(QDir().mkpath(dir)) << dir.toStdString();
    }
};

TEST(ProgramFolder, InstalledProgramUsesTheUserDataFolderUnlessToldOtherwise) {
    Layouts l;
    const QString data = l.root.path() + QStringLiteral("/home/.local/share/Vornelta");
    EXPECT_TRUE(ProgramFolder::isInstalled(l.prefixBin));
    EXPECT_EQ(ProgramFolder::chosen({}, l.prefixBin, data).path(), data + QLatin1Char('/'));
    EXPECT_EQ(ProgramFolder::chosen(l.bare, l.prefixBin, data).path(), l.bare + QLatin1Char('/'));

    // A build folder, or a desk's folder with a copied executable, stays the program folder.
    for (const QString& exe : {l.build, l.bare}) {
        EXPECT_FALSE(ProgramFolder::isInstalled(exe)) << exe.toStdString();
        EXPECT_EQ(ProgramFolder::chosen({}, exe, data).path(), exe + QLatin1Char('/'));
    }
    // bin/ without share/vornelta beside it is not an installation.
    ASSERT_TRUE(QDir().mkpath(l.bare + QStringLiteral("/bin")));
    EXPECT_FALSE(ProgramFolder::isInstalled(l.bare + QStringLiteral("/bin")));
    EXPECT_FALSE(ProgramFolder::systemUserDataFolder().isEmpty());
}

TEST(ProgramFolder, ReadOnlyExecutableFolderCountsAsInstalled) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write to any folder";
    Layouts l;
    ASSERT_TRUE(QFile::setPermissions(l.bare, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_TRUE(ProgramFolder::isInstalled(l.bare));
    EXPECT_EQ(ProgramFolder::chosen({}, l.bare, QStringLiteral("/data/")).path(),
              QStringLiteral("/data/"));
    QFile::setPermissions(l.bare,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(ProgramFolder, ShippedFilesAreFoundInTheBuildTreeAndInstalled) {
    Layouts l;
    EXPECT_EQ(vornelta::shippedFolder(l.build), l.buildResources);
    EXPECT_EQ(vornelta::shippedFolder(l.prefixBin), l.share);
    EXPECT_EQ(vornelta::shippedFolder(l.bare), QString());
}

TEST(MessageLanguage, FollowsTheFirstLocaleVariableSet) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(names[i]);
        had[i] = v != nullptr;
        if (v) saved[i] = v;
    }
    const struct {
        const char* all;
        const char* messages;
        const char* lang;
        bool russian;
    } cases[] = {
        {"ru_RU.UTF-8", "", "", true},       {"", "ru_RU.UTF-8", "en_US.UTF-8", true},
        {"", "", "ru_RU.UTF-8", true},       {"C", "", "ru_RU.UTF-8", false},
        {"", "en_GB.UTF-8", "ru_RU", false}, {"", "", "", false},
    };
    for (const auto& c : cases) {
        const char* values[] = {c.all, c.messages, c.lang};
        for (int i = 0; i < 3; ++i) {
            if (*values[i])
                ::setenv(names[i], values[i], 1);
            else
                ::unsetenv(names[i]);
        }
        EXPECT_EQ(vornelta::russianMessages(), c.russian)
            << c.all << "|" << c.messages << "|" << c.lang;
    }
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            ::setenv(names[i], saved[i].c_str(), 1);
        else
            ::unsetenv(names[i]);
    }
}

} // namespace
