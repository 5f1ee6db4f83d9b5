// The main window's menu items of the reports and the realty export open their windows.
#include "reports/PeriodTestData.h"

#include "app/uVornelta.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;

class ReportMenusTest : public periodtest::DeskFixture {
protected:
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner{[](QDialog&) { return int(QDialog::Rejected); }};
    guisupport::InstallModalRunner installRunner{runner};
};

TEST_F(ReportMenusTest, EachItemOpensItsWindow) {
    TfVornelta window(*desk);
    struct Item {
        const char* action;
        const char* caption;
        const char* opens;
    };
    for (const Item& item :
         {Item{"N8", "Отчет за период", "Отчет"}, Item{"N9", "Диаграмма", "Диаграмма"},
          Item{"N11", "В квартеон", "Вывод в \"Квартеон\""}}) {
        auto* action = window.findChild<QAction*>(QString::fromLatin1(item.action));
        ASSERT_NE(action, nullptr) << item.action;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.caption));
        EXPECT_TRUE(action->isVisible());
        action->trigger();
        ASSERT_FALSE(runner.opened().empty());
        EXPECT_EQ(runner.opened().back().title, QString::fromUtf8(item.opens));
    }
    EXPECT_EQ(runner.opened().size(), 3u);
    EXPECT_TRUE(dialogs.boxes().empty());
}

} // namespace
