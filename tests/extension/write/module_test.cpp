// OUTPUT through the module as the interpreter loads it (the test host), in a process that ends
// without CLOSE.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

TEST(WriteModule, OutputReachesTheFileBeforeAKilledProcessCloses) {
    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    ASSERT_TRUE(folder.WriteFile("data.txt", "A\t1\rC\t3\r"));
    const OmbraTest::ChildResult child = OmbraTest::RunFunction({}, [&host] {
        const bool done = host.Open(1, "data.txt", "MODE=WA") == 0 &&
                          host.Output(1, "B", "1", {std::string("two")}) == 0 &&
                          host.Output(1, "A", "1", {Int32(9)}) == 0;
        return done ? 0 : 1;  // _exit: no CLOSE, no unload
    });
    ASSERT_EQ(child.Status(), 0) << child.err;
    EXPECT_EQ(folder.ReadFile("data.txt"), "A\t9\rC\t3\rB\ttwo\r");
}

}  // namespace
