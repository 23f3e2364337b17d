#include "ombra/module_data_statements.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ombra/host_environment.h"
#include "ombra_run.h"

namespace Ombra {
namespace {

using Values = std::vector<ScriptValue>;

// The data statements over the probe module alone (see probe/probe_module.cpp).
class ModuleDataStatementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Link("ext/probe.so", Testing::ProbeModule());
        std::ostringstream err;
        modules.LoadFolder(folder.PathOf("ext"), environment, err);
        ASSERT_EQ(err.str(), "");
    }

    int32_t Open(const std::string& name) {
        int32_t channel = -1;
        const DataStatus status = data.Open("probe", name, "", channel);
        EXPECT_TRUE(status.ok()) << status.status << " " << status.detail;
        return channel;
    }

    Testing::ScriptFolder folder;
    const HostEnvironment environment = MakeHostEnvironment();
    ExtensionSet modules;
    ZRHandle block = nullptr;
    ModuleDataStatements data{modules, block};
};

TEST_F(ModuleDataStatementsTest, OpenTakesTheSmallestFreeChannel) {
    EXPECT_EQ(Open("a"), 1);
    EXPECT_EQ(Open("b"), 2);
    EXPECT_EQ(Open("c"), 3);
    EXPECT_TRUE(data.Close(2).ok());
    EXPECT_EQ(Open("d"), 2);
    EXPECT_EQ(Open("e"), 4);
    EXPECT_TRUE(data.Close(1).ok());
    int32_t channel = -1;
    const DataStatus refused = data.Open("PROBE", "refuse", "", channel);
    EXPECT_EQ(refused.status, -5);
    EXPECT_EQ(channel, -1);
    EXPECT_EQ(Open("f"), 1);  // the refused OPEN did not keep the number
}

TEST_F(ModuleDataStatementsTest, TheModuleLearnsTheChannelItServes) {
    Open("first");
    const int32_t channel = Open("second");
    Values delivered;
    ASSERT_TRUE(data.Input(channel, "channel", "1", 2, delivered).ok());
    EXPECT_EQ(delivered, (Values{int32_t{2}, std::string("second")}));
}

TEST_F(ModuleDataStatementsTest, ValuesKeepTheirKindBothWays) {
    const int32_t channel = Open("values");
    const Values values{int32_t{-7}, 12.5,
                        std::string("r\xC3\xA9"
                                    "d"),
                        std::string(), 3e9};
    ASSERT_TRUE(data.Output(channel, "k", "1", values).ok());
    Values delivered{std::string("stale")};
    ASSERT_TRUE(data.Input(channel, "k", "1", 5, delivered).ok());
    EXPECT_EQ(delivered, values);
}

TEST_F(ModuleDataStatementsTest, MalformedValuesFromTheModuleAreAHostFailure) {
    const int32_t channel = Open("m");
    Values delivered;
    const DataStatus status = data.Input(channel, "malformed", "1", 1, delivered);
    EXPECT_EQ(status.status, DataStatus::kHostFailure);
    EXPECT_EQ(status.detail, "the module delivered malformed values");
}

TEST_F(ModuleDataStatementsTest, ChannelsThatNoOpenHandedOutAreNotOpen) {
    Open("a");
    Values delivered;
    for (int32_t channel : {0, 2, -1}) {
        const std::string expected = "channel " + std::to_string(channel) + " is not open";
        EXPECT_EQ(data.Input(channel, "k", "1", 1, delivered).detail, expected);
        EXPECT_EQ(data.Output(channel, "k", "1", {}).detail, expected);
        EXPECT_EQ(data.Close(channel).status, DataStatus::kHostFailure);
    }
    EXPECT_TRUE(data.Close(1).ok());
    EXPECT_EQ(data.Close(1).detail, "channel 1 is not open");
    int32_t channel = 0;
    EXPECT_EQ(data.Open("DATA", "f", "", channel).detail,
              "no extension module serves file type 'DATA'");
}

TEST_F(ModuleDataStatementsTest, AFailedCloseStillFreesTheChannel) {
    const int32_t channel = Open("close-fails");
    EXPECT_EQ(data.Close(channel).status, -9);
    EXPECT_EQ(data.Close(channel).status, DataStatus::kHostFailure);
    EXPECT_EQ(Open("again"), channel);
}

TEST_F(ModuleDataStatementsTest, CloseAllClosesWhatIsLeftAndNamesTheFailures) {
    Open("a");
    Open("close-fails");
    Open("c");
    ASSERT_TRUE(data.Close(1).ok());
    const std::vector<ModuleDataStatements::CloseFailure> failures = data.CloseAll();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].channel, 2);
    EXPECT_EQ(failures[0].status.status, -9);
    EXPECT_TRUE(data.CloseAll().empty());
    EXPECT_EQ(Open("d"), 1);
}

}  // namespace
}  // namespace Ombra
