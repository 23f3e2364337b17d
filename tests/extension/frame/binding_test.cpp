// The module as a host loads it: its exported names, the entry table, the host environment and
// the resources it carries.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/interpreter/string_fetchers.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::TestHost;

// The module handle that the module passed to its last string fetch.
GSResModule fetchModule = InvalidResModule;
void RecordingFixedFetcher(char* buffer, Int16 listId, Int16 index, GSResModule module) {
    fetchModule = module;
    FetchFixedString(buffer, listId, index, module);
}

// The lines `command` printed (stderr included), and a last line "<failed>" when it failed.
std::vector<std::string> OutputOf(const std::string& command) {
    std::vector<std::string> lines;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {"<failed>"};
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        lines.push_back(text);
    }
    if (pclose(pipe) != 0) lines.push_back("<failed>");
    return lines;
}

std::set<std::string> DefinedDynamicSymbols(const char* path) {
    std::set<std::string> names;
    for (const std::string& line : OutputOf("nm -D --defined-only '" + std::string(path) + "'"))
        names.insert(line.substr(line.find_last_of(' ') + 1));
    return names;
}

// True while the module file is mapped into this process.
bool ModuleMapped() {
    for (const std::string& line : OutputOf("cat /proc/" + std::to_string(getpid()) + "/maps")) {
        if (line.find(TestHost::ModulePath()) != std::string::npos) return true;
    }
    return false;
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

// The resource service finds the resources in memory through a loaded PT_NOTE segment; a note
// that a sanitizer padded or realigned would be misread.
TEST(BindingTest, ResourcesTravelInAWellFormedLoadedNote) {
    const std::string path = TestHost::ModulePath();
    bool noteSegment = false, resourceNote = false;
    for (const std::string& line : OutputOf("readelf -lnW '" + path + "'")) {
        EXPECT_EQ(line.find("Warning"), std::string::npos) << line;
        if (line.find("  NOTE ") != std::string::npos) noteSegment = true;
        if (line.find("OmbraRes") != std::string::npos) resourceNote = true;
    }
    EXPECT_TRUE(noteSegment);
    EXPECT_TRUE(resourceNote);
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

TEST(BindingTest, UnloadClosesOpenChannelsWithoutSaving) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    const std::string bytes = "b\t2\ra\t1\r";
    ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
    ASSERT_EQ(host.Open(1, "data.txt", "MODE=WA"), 0);
    ASSERT_EQ(host.Output(1, "c", "1", {OmbraTest::Value(3)}), 0);  // appended: a save is due
    const std::optional<std::string> written = folder.ReadFile("data.txt");
    ASSERT_NE(written, bytes);
    ASSERT_TRUE(folder.IsOpenInProcess("data.txt"));
    host.Unload();
    ASSERT_FALSE(ModuleMapped()) << "the module stayed loaded: its static destruction did not run";
    EXPECT_FALSE(folder.IsOpenInProcess("data.txt"));
    EXPECT_EQ(folder.ReadFile("data.txt"), written);
    EXPECT_FALSE(folder.Exists("data.txt.tmp"));
    EXPECT_TRUE(host.TakeReports().empty());
}

TEST(BindingTest, ReportsReachTheReportServiceWithFlagOneAndZero) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    EXPECT_EQ(host.Open(2, "missing.txt", "MODE=RO"), StatusReportedError);
    const std::vector<OmbraTest::ReportCall> calls = host.TakeReportCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text,
              "File not found, can't open for input\r\nwhile operating on file 'missing.txt'.");
    EXPECT_EQ(calls[0].flag, 1);
    EXPECT_EQ(calls[0].reserved, 0);
}

TEST(BindingTest, MissingFixedFetcherFailsInitialisation) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = nullptr;
    EXPECT_EQ(host.Init(), StatusReportedError);
    EXPECT_TRUE(host.TakeReports().empty());
}

}  // namespace
