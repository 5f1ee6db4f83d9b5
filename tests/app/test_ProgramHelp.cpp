// What `vornelta --help` and `--version` answer, before any window is made.
#include "app/CommandLine.h"
#include "app/ProgramHelp.h"

#include <gtest/gtest.h>

namespace {

// The text --help or --version answers with; nothing for any other command line.
std::optional<QString> informationRequested(const QStringList& arguments, const QString& version,
                                            bool russian) {
    switch (vornelta::parseCommandLine(arguments, russian).asks) {
    case vornelta::CommandLine::Asks::Help:
        return vornelta::programHelp(russian);
    case vornelta::CommandLine::Asks::Version:
        return vornelta::programVersion(version, russian);
    default:
        return std::nullopt;
    }
}

} // namespace

TEST(ProgramHelp, HelpListsTheCommandsWithoutAWindowInEitherLanguage) {
    for (const bool russian : {false, true}) {
        SCOPED_TRACE(russian ? "ru" : "en");
        const QString help = vornelta::programHelp(russian);
        for (const char* command :
             {"--folder", "--write-day", "--driver ALPHA|TextLine", "--order date|category",
              "--period-report", "--json", "--pdf", "--export-realty", "--version"})
            EXPECT_TRUE(help.contains(QLatin1String(command))) << command;
        EXPECT_TRUE(help.contains(QStringLiteral("~/.local/share/Vornelta")));
        EXPECT_EQ(help.contains(QStringLiteral("Использование")), russian);
        EXPECT_EQ(help.startsWith(QStringLiteral("Usage: vornelta")), !russian);
    }
}

TEST(ProgramHelp, AnswersOnlyHelpAndVersion) {
    const struct {
        QStringList arguments;
        const char* expected; // nullptr: the program starts as usual
    } cases[] = {
        {{QStringLiteral("--version")}, "vornelta 3.2.1\n"},
        {{QStringLiteral("--folder"), QStringLiteral("/x"), QStringLiteral("--version")},
         "vornelta 3.2.1\n"},
        {{QStringLiteral("-h")}, "Usage: vornelta"},
        {{QStringLiteral("--help"), QStringLiteral("--version")}, "Usage: vornelta"},
        {{}, nullptr},
        {{QStringLiteral("--folder"), QStringLiteral("/x")}, nullptr},
        {{QStringLiteral("--write-day"), QStringLiteral("2026-12-01")}, nullptr},
        {{QStringLiteral("--versions")}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const std::optional<QString> text =
            informationRequested(c.arguments, QStringLiteral("3.2.1"), false);
        ASSERT_EQ(text.has_value(), c.expected != nullptr);
        if (text) {
            EXPECT_TRUE(text->startsWith(QLatin1String(c.expected))) << text->toStdString();
        }
    }
    EXPECT_EQ(*informationRequested({QStringLiteral("--version")}, QStringLiteral("3.2.1"), true),
              QStringLiteral("vornelta, версия 3.2.1\n"));
}
