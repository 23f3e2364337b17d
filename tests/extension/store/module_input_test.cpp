// INPUT through the built module, loaded by the test host like a real interpreter loads it.
#include <gtest/gtest.h>

#include "platform/filesystem/fault_injection.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::Value;
using Values = std::vector<Value>;

class ModuleInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsLoaded()) << host.LoadError(); }

    void OpenFile(const std::string& bytes, const std::string& parameters = "MODE=RO") {
        ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
        ASSERT_EQ(host.Open(1, "data.txt", parameters), 0);
        host.TakeReports();
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(ModuleInputTest, ReadsFieldsAndReportsWithTheModulesMessages) {
    OpenFile("A\tx\rK\t12\tabc\t\t3.5\r");
    EXPECT_EQ(host.Input(1, "K", "3", 2).values, (Values{Int32(0), 3.5}));
    EXPECT_EQ(host.Input(1, "K", "2", 1).values, Values{"abc"});
    const OmbraTest::InputResult wrongField = host.Input(1, "K", "0", 1);
    EXPECT_EQ(wrongField.values, Values{Int32(12)});
    EXPECT_EQ(host.TakeReports(),
              std::vector<std::string>{"Wrong FieldID parameter value\r\nwhile operating on file "
                                       "'data.txt'."});
    EXPECT_EQ(host.Input(1, "K", "x", 1).status, -1111);
    EXPECT_EQ(host.Input(7, "K", "1", 1).status, -7003);
    EXPECT_EQ(host.TakeReports(),
              std::vector<std::string>{"Read error\r\nwhile operating on file ''."});
}

TEST_F(ModuleInputTest, Utf8FileWithByteOrderMarkFindsItsFirstKey) {
    OpenFile("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\t1\r\n\xC3\xBC\t2\r\nb\t3\r\n");
    EXPECT_EQ(host.Input(1, "\xC3\xA9t\xC3\xA9", "1", 1).values, Values{Int32(1)});
    EXPECT_EQ(host.Input(1, "\xC3\xBC", "1", 1).values, Values{Int32(2)});
    EXPECT_EQ(host.Input(1, "b", "1", 1).values, Values{Int32(3)});
}

TEST_F(ModuleInputTest, FailedLoadReportsReadErrorAndIsRetried) {
    OpenFile("K\t12\r");
    IO::FaultInjection::FailCall(IO::FaultInjection::Op::Read, 1, {EIO});
    const OmbraTest::InputResult failed = host.Input(1, "K", "1", 1);
    IO::FaultInjection::Reset();
    EXPECT_EQ(failed.status, -7003);
    EXPECT_EQ(failed.valuesRead, 0);
    EXPECT_EQ(host.TakeReports(),
              std::vector<std::string>{"Read error\r\nwhile operating on file 'data.txt'."});
    EXPECT_EQ(host.Input(1, "K", "1", 1).values, Values{Int32(12)});
}

}  // namespace
