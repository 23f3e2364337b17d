// OUTPUT, INPUT and CLOSE through the module as the interpreter loads it (the test host).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::Value;

const std::string Mark = "\xEF\xBB\xBF";

class WriteModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsLoaded()) << host.LoadError(); }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(WriteModule, NewFileWrittenReadAndSavedInKeyOrder) {
    ASSERT_EQ(host.Open(1, "prices.txt", "SEPARATOR=';', MODE=WA"), 0);
    EXPECT_EQ(host.Output(1, "A7", "1", {12.5, std::string("red")}), 0);
    EXPECT_EQ(folder.ReadFile("prices.txt"), Mark + "A7;12.5;red\r");
    const OmbraTest::InputResult input = host.Input(1, "A7", "2", 1);
    EXPECT_EQ(input.status, 0);
    EXPECT_EQ(input.values, std::vector<Value>{std::string("red")});
    EXPECT_EQ(host.Output(1, "B\xC3\xA9", "1", {Int32(1234567)}), 0);
    EXPECT_EQ(host.Output(1, "A0", "1", {}), 0);
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(folder.ReadFile("prices.txt"), Mark + "A0\rA7;12.5;red\rB\xC3\xA9;1.23457e+06\r");
    EXPECT_FALSE(folder.Exists("prices.txt.tmp"));
    EXPECT_TRUE(host.TakeReports().empty());
}

TEST_F(WriteModule, ReadOnlyAndUnopenedChannelsRefuseOutput) {
    ASSERT_TRUE(folder.WriteFile("data.txt", "A\t1\r"));
    ASSERT_EQ(host.Open(2, "data.txt", "MODE=RO"), 0);
    EXPECT_EQ(host.Output(2, "A", "1", {Int32(2)}), StatusReportedError);
    EXPECT_EQ(host.Output(3, "A", "1", {Int32(2)}), StatusReportedError);
    const std::string refusal = "Write permission error\r\nwhile operating on file ''.";
    EXPECT_EQ(host.TakeReports(), std::vector<std::string>({refusal, refusal}));
    host.messageFetcher = nullptr;  // silent, still refused
    EXPECT_EQ(host.Output(2, "A", "1", {Int32(2)}), StatusReportedError);
    EXPECT_TRUE(host.TakeReports().empty());
    EXPECT_EQ(host.Close(2), 0);
    EXPECT_EQ(folder.ReadFile("data.txt"), "A\t1\r");
}

// INPUT and OUTPUT read a field number beyond 32 bits alike, at the nearest limit: INPUT of a
// huge one reads nothing (not field 2 by wrapping), OUTPUT stores, a huge negative one deletes.
TEST_F(WriteModule, FieldNumbersBeyond32BitsAreTakenAtTheNearestLimit) {
    ASSERT_TRUE(folder.WriteFile("data.txt", "A\t1\tx\rB\t2\r"));
    ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
    const OmbraTest::InputResult input = host.Input(1, "A", "4294967298", 1);
    EXPECT_EQ(input.status, 0);
    EXPECT_TRUE(input.values.empty());
    EXPECT_EQ(host.Output(1, "A", "4294967298", {Int32(9)}), 0);
    EXPECT_EQ(host.Output(1, "B", "-4294967297", {Int32(9)}), 0);
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(folder.ReadFile("data.txt"), "A\t9\r");
    EXPECT_TRUE(host.TakeReports().empty());
}

TEST_F(WriteModule, OutputReachesTheFileBeforeAKilledProcessCloses) {
    ASSERT_TRUE(folder.WriteFile("data.txt", "A\t1\rC\t3\r"));
    const pid_t child = fork();
    if (child == 0) {
        const bool done = host.Open(1, "data.txt", "MODE=WA") == 0 &&
                          host.Output(1, "B", "1", {std::string("two")}) == 0 &&
                          host.Output(1, "A", "1", {Int32(9)}) == 0;
        _exit(done ? 0 : 1);  // killed: no CLOSE, no unload
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.ReadFile("data.txt"), "A\t9\rC\t3\rB\ttwo\r");
}

}  // namespace
