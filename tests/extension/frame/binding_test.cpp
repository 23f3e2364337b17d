// The module as a host loads it: its exported names, the entry table, the host environment and
// the resources it carries.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "platform/interpreter/string_fetchers.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::TestHost;

// The module handle that the module passed to its last string fetch.
GSResModule fetchModule = InvalidResModule;
void RecordingFixedFetcher(char* buffer, Int16 listId, Int16 index, GSResModule module) {
    fetchModule = module;
    FetchFixedString(buffer, listId, index, module);
}

std::set<std::string> DefinedDynamicSymbols(const char* path) {
    std::set<std::string> names;
    FILE* pipe = popen(("nm -D --defined-only '" + std::string(path) + "'").c_str(), "r");
    if (pipe == nullptr) return {"<nm did not run>"};
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        names.insert(text.substr(text.find_last_of(' ') + 1));
    }
    if (pclose(pipe) != 0) names.insert("<nm failed>");
    return names;
}

TEST(BindingTest, LoadsAndInitialises) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    EXPECT_EQ(host.InitStatus(), NoError);
    EXPECT_EQ(host.Init(), NoError);
    EXPECT_EQ(host.ReleaseAll(), 0);
    EXPECT_EQ(host.Close(12), 0);  // never opened
    EXPECT_TRUE(host.TakeReports().empty());
}

TEST(BindingTest, ExportsExactlyTheThreeBindingFunctions) {
    const std::set<std::string> expected = {"GetExportedFuncAddrs", "SetImportedFuncAddrs",
                                            "SetLTEnvAddrs"};
    EXPECT_EQ(DefinedDynamicSymbols(TestHost::ModulePath()), expected);
}

TEST(BindingTest, EntryTableFillsExactlySixSlots) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    void* const sentinel = reinterpret_cast<void*>(0x5A5A5A5A);
    void* slots[8];
    for (void*& slot : slots) slot = sentinel;
    host.Exports().getExportedFuncAddrs(reinterpret_cast<ExtensionEntryTable*>(slots));
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(slots[i], sentinel) << "slot " << i;
        EXPECT_NE(slots[i], nullptr) << "slot " << i;
    }
    EXPECT_EQ(slots[6], sentinel);
    EXPECT_EQ(slots[7], sentinel);
}

TEST(BindingTest, ImportedValueIsAccepted) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    const UInt16 value = 0xBEEF;
    EXPECT_EQ(host.Exports().setImportedFuncAddrs(&value), 0);
}

// A replacement table whose service record provider counts its calls.
int replacementCalls = 0;
GSErrCode CountingServiceRecord(InterpreterServiceRecord* record) {
    ++replacementCalls;
    record->fixedStringFetcher = RecordingFixedFetcher;
    return NoError;
}

TEST(BindingTest, SecondEnvironmentReplacesTheFirstWithoutRegisteringAgain) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = RecordingFixedFetcher;
    ASSERT_EQ(host.Init(), NoError);
    const GSResModule registered = fetchModule;
    ASSERT_NE(registered, InvalidResModule);

    const GSResModule active = RSSetActiveModule(InvalidResModule);
    HostEnvironment replacement = host.Environment();
    replacement.serviceRecord = CountingServiceRecord;
    replacementCalls = 0;
    EXPECT_EQ(host.Exports().setLTEnvAddrs(&replacement), 0);
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);  // nothing registered (and made active)
    fetchModule = InvalidResModule;
    EXPECT_EQ(host.Init(), NoError);
    EXPECT_EQ(replacementCalls, 1);
    EXPECT_EQ(fetchModule, registered);
    RSSetActiveModule(active);
}

TEST(BindingTest, UnloadRemovesTheResourcesAndReloadRegistersAgain) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = RecordingFixedFetcher;
    host.Init();
    const GSResModule first = fetchModule;
    char buffer[FetchBufferSize];
    ASSERT_TRUE(RSGetIndString(buffer, sizeof buffer, ResTypeMessageStrings, 3, 4, first));
    EXPECT_STREQ(buffer, "  4 Read error");

    host.Unload();
    EXPECT_FALSE(RSGetIndString(buffer, sizeof buffer, ResTypeMessageStrings, 3, 4, first));
    ASSERT_TRUE(host.Load()) << host.LoadError();
    EXPECT_EQ(host.InitStatus(), NoError);
    EXPECT_TRUE(RSGetIndString(buffer, sizeof buffer, ResTypeMessageStrings, 3, 4, fetchModule));
    ASSERT_TRUE(host.Reload()) << host.LoadError();
}

TEST(BindingTest, MissingFixedFetcherFailsInitialisation) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = nullptr;
    EXPECT_EQ(host.Init(), StatusReportedError);
    EXPECT_TRUE(host.TakeReports().empty());
}

}  // namespace
