// The program folder: --folder DIR, --folder=DIR, else the executable's folder.
#include "platform/ProgramFolder.h"

#include <QDir>

#include <gtest/gtest.h>

using vornelta::ProgramFolder;

namespace {

TEST(ProgramFolder, FromTheArguments) {
    const QString exe = QStringLiteral("/opt/vornelta/bin/");
    const std::pair<QStringList, QString> cases[] = {
        {{}, exe},
        {{QStringLiteral("--folder"), QStringLiteral("/data/desk")}, QStringLiteral("/data/desk/")},
        {{QStringLiteral("--folder=/data/x/../Реклама//")}, QStringLiteral("/data/Реклама/")},
        {{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--folder"), QStringLiteral("desk")},
         QDir::currentPath() + QStringLiteral("/desk/")},
        {{QStringLiteral("--folder"), QStringLiteral("/")}, QStringLiteral("/")},
        {{QStringLiteral("--folder")}, exe}, // no value
        {{QStringLiteral("--folder=")}, exe},
        {{QStringLiteral("--folders=/x"), QStringLiteral("/data/desk")}, exe},
    };
    for (const auto& [arguments, path] : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramFolder folder = ProgramFolder::fromArguments(arguments, QStringLiteral("/opt/vornelta/bin"));
        EXPECT_EQ(folder.path(), path);
        EXPECT_EQ(folder.file(QStringLiteral("data.d")), path + QStringLiteral("data.d"));
    }
    EXPECT_FALSE(ProgramFolder().isValid());
}

} // namespace
