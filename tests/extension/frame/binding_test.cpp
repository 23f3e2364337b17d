// The module as a host loads it: its exported names, the entry table, the host environment, the
// resources it carries, the keyword tables it reads from them and the reports it composes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/extension_host/string_fetchers.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::TestHost;

// The module handle that the module passed to its last string fetch.
ZRResModule fetchModule = InvalidResModule;
void RecordingFixedFetcher(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
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

std::string Int32Bytes(Int32 value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(char((UInt32(value) >> (8 * i)) & 0xFF));
    return bytes;
}

// The configuration record, read by the host before binding, names the DATA file type.
TEST(BindingTest, LoadsAndInitialises) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    const std::string config = Int32Bytes(72) + Int32Bytes(22) + Int32Bytes(8) + Int32Bytes(0) +
                               Int32Bytes(3) + Int32Bytes(8) + Int32Bytes(1) + "dateoffsslen" +
                               Int32Bytes(0) + "DATA" + std::string(28, '\0');
    EXPECT_EQ(host.ConfigRecord(), config);
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
ZRErrCode CountingServiceRecord(InterpreterServiceRecord* record) {
    ++replacementCalls;
    record->fixedStringFetcher = RecordingFixedFetcher;
    return NoError;
}

TEST(BindingTest, SecondEnvironmentReplacesTheFirstWithoutRegisteringAgain) {
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = RecordingFixedFetcher;
    ASSERT_EQ(host.Init(), NoError);
    const ZRResModule registered = fetchModule;
    ASSERT_NE(registered, InvalidResModule);

    const ZRResModule active = RSSetActiveModule(InvalidResModule);
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
    const ZRResModule first = fetchModule;
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

// OPEN of a channel already open closes the earlier file unsaved and starts the channel afresh:
// nothing of the earlier file's state, its pending save included, carries over to the new one.
TEST(BindingTest, ReopeningAChannelStartsItAfresh) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    const std::string unsorted = "b\t2\ra\t1\r";
    ASSERT_TRUE(folder.WriteFile("first.txt", unsorted));
    ASSERT_TRUE(folder.WriteFile("second.txt", unsorted));
    ASSERT_EQ(host.Open(1, "first.txt", "MODE=WA"), 0);
    ASSERT_EQ(host.Output(1, "c", "1", {OmbraTest::Value(3)}), 0);  // a save is due
    const std::optional<std::string> first = folder.ReadFile("first.txt");
    ASSERT_EQ(host.Open(1, "second.txt", "MODE=WA"), 0);
    EXPECT_FALSE(folder.IsOpenInProcess("first.txt"));
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(folder.ReadFile("first.txt"), first);
    EXPECT_EQ(folder.ReadFile("second.txt"), unsorted);
    EXPECT_TRUE(host.TakeReports().empty());
}

std::string Framed(const std::string& text, const std::string& name) {
    return text + "\r\nwhile operating on file '" + name + "'.";
}

struct ReportCase {
    std::string name;
    std::string parameters;
    std::string shown;
};

// A report shows the message without its number, then the file name and the argument verbatim
// (never read as a format), the name in the default code page, all shortened to 255 bytes.
TEST(BindingTest, ReportsShowNameAndArgumentVerbatimWithin255Bytes) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    const std::string notFound = "File not found, can't open for input";
    // Keywords are shown upper-cased.
    const std::string keyword(600, 'K');
    const std::string name256 = std::string(187, 'n') + ".txt";  // a report of 256 bytes
    const ReportCase cases[] = {
        {"100%s %d %% %n.txt", "MODE=RO", Framed(notFound, "100%s %d %% %n.txt")},
        {"pr\u00EFces.txt", "MODE=RO", Framed(notFound, std::string("pr") + '\xEF' + "ces.txt")},
        {"a.txt", "%S%D, MODE=WA",
         Framed("Unknown keyword '%S%D' of OPEN parameter string", "a.txt")},
        {"b.txt", keyword + ", MODE=WA", ("Unknown keyword '" + keyword).substr(0, 255)},
        {name256, "MODE=RO", Framed(notFound, name256).substr(0, 255)},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.parameters);
        host.Open(1, c.name, c.parameters);
        EXPECT_EQ(host.TakeReports(), std::vector<std::string>{c.shown});
        host.Close(1);
    }
}

// A fetcher that fills the whole buffer without a terminator and records what it was asked.
std::vector<std::pair<Int16, Int16>> requested;
ZRResModule requestedModule = InvalidResModule;
void UnterminatedFetcher(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
    requested.emplace_back(listId, index);
    requestedModule = module;
    std::memset(buffer, 'z', FetchBufferSize);
}

TEST(BindingTest, ReportsFetchFrameAndMessageFromTheModulesOwnResources) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    host.fixedFetcher = RecordingFixedFetcher;
    ASSERT_EQ(host.Init(), NoError);
    ASSERT_TRUE(folder.WriteFile("a.txt", ""));
    host.messageFetcher = UnterminatedFetcher;
    requested.clear();
    EXPECT_EQ(host.Open(1, "missing.txt", "MODE=RO"), StatusReportedError);
    EXPECT_EQ(host.Open(2, "a.txt", "MODE=XX"), NoError);
    // The data folder's name (5, 2) is fetched before a missing read-only file is reported.
    const std::vector<std::pair<Int16, Int16>> expected = {{5, 2}, {5, 1}, {3, 3}, {5, 1}, {4, 3}};
    EXPECT_EQ(requested, expected);
    EXPECT_EQ(requestedModule, fetchModule);
    const std::vector<std::string> reports = host.TakeReports();
    ASSERT_EQ(reports.size(), 2u);
    for (const std::string& report : reports) EXPECT_EQ(report, std::string(255, 'z'));

    host.messageFetcher = nullptr;  // no message service: the failure stays, silently
    EXPECT_EQ(host.Open(3, "missing.txt", "MODE=RO"), StatusReportedError);
    EXPECT_TRUE(host.TakeReports().empty());
}

// Hands out a fixed text for every string it is asked for.
std::string fixedText;
void TextFetcher(char* buffer, Int16, Int16, ZRResModule) {
    std::strncpy(buffer, fixedText.c_str(), FetchBufferSize);
}

// Keywords and modes are read at InitExtension by list position. A string that does not scan
// leaves its slot, a missing fetcher fails InitExtension silently and keeps the tables, and an
// overlong word is cut to its slot (a keyword of nine letters).
TEST(BindingTest, KeywordTablesSurviveStringsThatDoNotScan) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
    ASSERT_TRUE(folder.WriteFile("data.txt", "a\t1\r"));
    host.fixedFetcher = TextFetcher;
    for (const char* text : {"", "LIBRARY", "  7", "x 1 WORD"}) {
        SCOPED_TRACE(text);
        fixedText = text;
        EXPECT_EQ(host.Init(), NoError);
        EXPECT_EQ(host.Open(1, "data.txt", "SEPARATOR=';', MODE=RO"), NoError);
        EXPECT_EQ(host.Open(2, "other.txt", "MODE=WO"), NoError);
        EXPECT_TRUE(host.TakeReports().empty());
    }
    host.fixedFetcher = nullptr;
    EXPECT_EQ(host.Init(), StatusReportedError);
    EXPECT_EQ(host.Open(1, "data.txt", "MODE=RO"), NoError);
    EXPECT_TRUE(host.TakeReports().empty());

    host.fixedFetcher = TextFetcher;
    fixedText = "  1 " + std::string(300, 'W');
    EXPECT_EQ(host.Init(), NoError);
    EXPECT_EQ(host.Open(1, "data.txt", "MODE=RO, WWWWWWWWWW=WWWW, WWWWWWWWW=WWW"), NoError);
    EXPECT_EQ(host.TakeReports(),
              (std::vector<std::string>{
                  Framed("Unknown keyword 'MODE' of OPEN parameter string", "data.txt"),
                  Framed("Unknown keyword 'WWWWWWWWWW' of OPEN parameter string", "data.txt")}));
}

}  // namespace
