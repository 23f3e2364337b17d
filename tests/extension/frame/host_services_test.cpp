// The host services of the frame: InitExtension's keyword and mode tables, loaded through the
// fixed string fetcher, and the guard that makes the module's resources active for a dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "extension/frame/host_services.h"
#include "platform/interpreter/string_fetchers.h"
#include "tests/extension/frame/core_binding.h"

namespace {

using namespace DataOmbraPlugin;

const char* const keywords[] = {"", "SEPARATOR", "MODE", "DIALOG", "LIBRARY"};
const char* const modes[] = {"", "RO", "WA", "WO"};

void ExpectLoadedTables() {
    for (Int32 slot = 0; slot < KeywordSlots; ++slot) EXPECT_STREQ(KeywordAt(slot), keywords[slot]);
    for (Int32 slot = 0; slot < ModeSlots; ++slot) EXPECT_STREQ(ModeWordAt(slot), modes[slot]);
}

// Hands out a fixed text for every string it is asked for.
const char* fixedText = "";
void TextFetcher(char* buffer, Int16, Int16, GSResModule) {
    std::strncpy(buffer, fixedText, FetchBufferSize);
}

class InitExtensionTest : public ::testing::Test {
protected:
    void SetUp() override {
        FrameTest::BindCore();
        ASSERT_EQ(InitExtension(), NoError);
    }
    void TearDown() override {
        FrameTest::SetCoreFetchers(FetchFixedString, FetchMessageString);
        InitExtension();
    }
};

TEST_F(InitExtensionTest, LoadsWordsByListPositionWithoutNumbers) {
    ExpectLoadedTables();
    EXPECT_STREQ(KeywordAt(4), "LIBRARY");  // listed as "  5 LIBRARY"
}

TEST_F(InitExtensionTest, SecondCallYieldsTheSameTables) {
    EXPECT_EQ(InitExtension(), NoError);
    ExpectLoadedTables();
}

TEST_F(InitExtensionTest, MissingFixedFetcherFailsAndKeepsTables) {
    FrameTest::SetCoreFetchers(nullptr, FetchMessageString);
    EXPECT_EQ(InitExtension(), StatusReportedError);
    ExpectLoadedTables();
    EXPECT_TRUE(FrameTest::TakeCoreReports().empty());
}

TEST_F(InitExtensionTest, StringsThatDoNotScanLeaveTheirSlots) {
    FrameTest::SetCoreFetchers(TextFetcher, FetchMessageString);
    for (const char* text : {"", "LIBRARY", "  7", "x 1 WORD"}) {
        fixedText = text;
        EXPECT_EQ(InitExtension(), NoError);
        ExpectLoadedTables();
    }
}

TEST_F(InitExtensionTest, OverlongWordsStayWithinTheirSlots) {
    FrameTest::SetCoreFetchers(TextFetcher, FetchMessageString);
    const std::string word(300, 'W');
    const std::string text = "  1 " + word;
    fixedText = text.c_str();
    EXPECT_EQ(InitExtension(), NoError);
    for (Int32 slot = 1; slot < KeywordSlots; ++slot)
        EXPECT_EQ(KeywordAt(slot), word.substr(0, KeywordSlotSize - 1));
    for (Int32 slot = 1; slot < ModeSlots; ++slot)
        EXPECT_EQ(ModeWordAt(slot), word.substr(0, ModeSlotSize - 1));
    EXPECT_STREQ(KeywordAt(0), "");
    EXPECT_STREQ(KeywordAt(KeywordSlots), "");
    EXPECT_STREQ(ModeWordAt(-1), "");
}

TEST_F(InitExtensionTest, ReleaseAllChannelsDoesNothing) {
    EXPECT_EQ(ReleaseAllChannels(), 0);
}

TEST_F(InitExtensionTest, ResourceGuardActivatesTheModuleAndRestoresThePrevious) {
    ASSERT_NE(GetResourceModule(), InvalidResModule);
    const GSResModule before = RSSetActiveModule(InvalidResModule);
    {
        ResHandling guard;
        EXPECT_EQ(RSGetActiveModule(), GetResourceModule());
    }
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    try {
        ResHandling guard;
        throw std::runtime_error("dialog failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    RSSetActiveModule(before);
}

}  // namespace
