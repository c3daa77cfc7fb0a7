#include "base/files/ProcessHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(ProcessHelpersTest, SplitCommandLine) {
    struct Case {
        const char* params;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"", {}},       {"  /S  /D=x ", {"/S", "/D=x"}}, {"a \"b c\" d", {"a", "b c", "d"}},
        {"\"\"", {""}}, {"x\"y z\"", {"xy z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.params);
        EXPECT_EQ(SplitCommandLine(c.params), c.parts);
    }
}

TEST(ProcessHelpersTest, QueuedProgram) {
    EXPECT_FALSE(RunQueuedProgram("", "/S"));
    EXPECT_FALSE(RunQueuedProgram("/nonexistent/setup-program", ""));
    EXPECT_TRUE(RunQueuedProgram("\"true\"", "--ignored \"two words\""));
    EXPECT_FALSE(UserName().empty());
}

}  // namespace
