// The program connects the entry form to the template dialogs at start.
#include "app/ProgramStart.h"
#include "intake/TemplateCalls.h"

#include <gtest/gtest.h>

namespace vornelta {
namespace {

TEST(ProgramStart, ConnectsTheEntryFormToTheTemplateDialogs) {
    setTemplateCalls({});
    ASSERT_FALSE(templateCalls().chooseAndFill);
    ASSERT_FALSE(templateCalls().fillNamed);

    connectSubsystems();
    EXPECT_TRUE(templateCalls().chooseAndFill);
    EXPECT_TRUE(templateCalls().fillNamed);
    setTemplateCalls({});
}

} // namespace
} // namespace vornelta
