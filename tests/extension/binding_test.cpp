// The module as a host loads it: its exported names, the entry table, the host environment, the
// resources it carries, the keyword tables it reads from them and the reports it composes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
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

// The configuration record, read by the host before binding, names the DATA file type; the entry
// table gets exactly six slots.
TEST(BindingTest, LoadsAndInitialises) {
    TestHost host;
    using namespace std::string_literals;
    const std::string config =
        "\x48\0\0\0\x16\0\0\0\x08\0\0\0\0\0\0\0\x03\0\0\0\x08\0\0\0\x01\0\0\0"
        "dateoffsslen\0\0\0\0DATA"s +
        std::string(28, '\0');
    EXPECT_EQ(host.ConfigRecord(), config);
    EXPECT_EQ(host.InitStatus(), NoError);
    EXPECT_EQ(host.Init(), NoError);
    EXPECT_EQ(host.ReleaseAll(), 0);
    EXPECT_EQ(host.Close(12), 0);  // never opened
    EXPECT_TRUE(host.TakeReports().empty());
    void* const sentinel = reinterpret_cast<void*>(0x5A5A5A5A);
    void* slots[8] = {sentinel, sentinel, sentinel, sentinel,
                      sentinel, sentinel, sentinel, sentinel};
    host.Exports().getExportedFuncAddrs(reinterpret_cast<ExtensionEntryTable*>(slots));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(slots[i] == sentinel || slots[i] == nullptr, i >= 6) << i;
}

// The module file exports the three binding functions alone. The resource service finds the
// resources in memory through a loaded PT_NOTE segment; a note that a sanitizer padded or
// realigned would be misread.
TEST(BindingTest, ExportsTheThreeBindingFunctionsAndCarriesResourcesInALoadedNote) {
    const std::string path = TestHost::ModulePath();
    std::set<std::string> exported;
    for (const std::string& line : OutputOf("nm -D --defined-only '" + path + "'"))
        exported.insert(line.substr(line.find_last_of(' ') + 1));
    EXPECT_EQ(exported, (std::set<std::string>{"GetExportedFuncAddrs", "SetImportedFuncAddrs",
                                               "SetLTEnvAddrs"}));
    bool noteSegment = false, resourceNote = false;
    for (const std::string& line : OutputOf("readelf -lnW '" + path + "'")) {
        EXPECT_EQ(line.find("Warning"), std::string::npos) << line;
        if (line.find("  NOTE ") != std::string::npos) noteSegment = true;
        if (line.find("OmbraRes") != std::string::npos) resourceNote = true;
    }
    EXPECT_TRUE(noteSegment);
    EXPECT_TRUE(resourceNote);
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

// Unloading the module closes its channels, and OPEN of a channel already open closes the
// earlier file, both unsaved: nothing of the earlier file's state, its pending save included,
// carries over (to the new file of the channel).
TEST(BindingTest, UnloadAndReopenCloseTheEarlierFileUnsaved) {
    OmbraTest::TempFolder folder;
    TestHost host;
    const std::string unsorted = "b\t2\ra\t1\r";
    for (const bool unload : {true, false}) {
        ASSERT_TRUE(folder.WriteFile("first.txt", unsorted));
        ASSERT_TRUE(folder.WriteFile("second.txt", unsorted));
        ASSERT_EQ(host.Open(1, "first.txt", "MODE=WA"), 0);
        ASSERT_EQ(host.Output(1, "c", "1", {OmbraTest::Value(3)}), 0);  // a save is due
        const std::optional<std::string> first = folder.ReadFile("first.txt");
        ASSERT_TRUE(folder.IsOpenInProcess("first.txt"));
        if (unload) {
            host.Unload();
            for (const std::string& line :
                 OutputOf("cat /proc/" + std::to_string(getpid()) + "/maps"))
                ASSERT_EQ(line.find(TestHost::ModulePath()), std::string::npos) << "still mapped";
            ASSERT_TRUE(host.Load()) << host.LoadError();
        } else {
            ASSERT_EQ(host.Open(1, "second.txt", "MODE=WA"), 0);
            EXPECT_EQ(host.Close(1), 0);  // before a load could clear what carried over
            ASSERT_EQ(host.Open(1, "second.txt", "MODE=RO"), 0);
            EXPECT_TRUE(host.Input(1, "c", "1", 1).values.empty());  // the earlier file's record
            EXPECT_EQ(host.Close(1), 0);
        }
        EXPECT_FALSE(folder.IsOpenInProcess("first.txt"));
        EXPECT_EQ(folder.ReadFile("first.txt"), first);
        EXPECT_EQ(folder.ReadFile("second.txt"), unsorted);
        EXPECT_FALSE(folder.Exists("first.txt.tmp"));
        EXPECT_TRUE(host.TakeReports().empty());
    }
}

// A save opens more than the data file (the new text, the folder it syncs): every descriptor that
// OPEN, OUTPUT and CLOSE open is closed again.
TEST(BindingTest, SavesLeaveNoDescriptorOpen) {
    OmbraTest::TempFolder folder;
    TestHost host;
    const auto descriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    ASSERT_TRUE(folder.WriteFile("d.txt", "b\t2\r"));
    const auto before = descriptors();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(host.Open(1, "d.txt", "MODE=WA"), 0);
        ASSERT_EQ(host.Output(1, "a" + std::to_string(i), "1", {OmbraTest::Value(i)}), 0);
        ASSERT_EQ(host.Close(1), 0);  // saves: the record was appended
    }
    EXPECT_EQ(descriptors(), before);
}

// A string value whose index lies outside the strings array is the interpreter's inconsistency:
// OUTPUT stores nothing, says nothing and fails.
TEST(BindingTest, OutputOfAStringValueWithoutItsTextStoresNothing) {
    OmbraTest::TempFolder folder;
    TestHost host;
    ASSERT_TRUE(folder.WriteFile("d.txt", "a\t1\r"));
    ASSERT_EQ(host.Open(1, "d.txt", "MODE=WA"), 0);
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    strings.Push(ZR::UniString("text"));
    OmbraValueRecord record{};
    record.valueType = ValueTypeString;
    record.value.stringIndex = 1;  // one past the only text
    values.Push(record);
    EXPECT_EQ(
        host.Entries().outputChannel(1, ZR::UniString("a"), ZR::UniString("1"), &values, &strings),
        StatusReportedError);
    EXPECT_TRUE(host.TakeReports().empty());
    EXPECT_EQ(host.Close(1), 0);
    EXPECT_EQ(folder.ReadFile("d.txt"), "a\t1\r");
}

std::string Framed(const std::string& text, const std::string& name) {
    return text + "\r\nwhile operating on file '" + name + "'.";
}

// A report, sent with flag 1 and 0, shows the message without its number, then the file name and
// the argument verbatim (never read as a format), all shortened to 255 bytes.
TEST(BindingTest, ReportsShowNameAndArgumentVerbatimWithin255Bytes) {
    OmbraTest::TempFolder folder;
    TestHost host;
    const std::string notFound = "File not found, can't open for input";
    // Keywords are shown upper-cased.
    const std::string keyword(600, 'K');
    const std::string name256 = std::string(187, 'n') + ".txt";  // a report of 256 bytes
    const struct {
        std::string name, parameters, shown;
    } cases[] = {
        {"100%s %d %% %n.txt", "MODE=RO", Framed(notFound, "100%s %d %% %n.txt")},
        {"a.txt", "%S%D, MODE=WA",
         Framed("Unknown keyword '%S%D' of OPEN parameter string", "a.txt")},
        {"b.txt", keyword + ", MODE=WA", ("Unknown keyword '" + keyword).substr(0, 255)},
        {name256, "MODE=RO", Framed(notFound, name256).substr(0, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameters);
        host.Open(1, c.name, c.parameters);
        const std::vector<OmbraTest::ReportCall> calls = host.TakeReportCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].text, c.shown);
        EXPECT_EQ(calls[0].flag, 1);
        EXPECT_EQ(calls[0].reserved, 0);
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
