// OPEN through the real module boundary: the module loaded by the test host, its reports byte for
// byte, both library lookups, the remembered-location handle of the host, and a worker thread's
// dialog.
#include <gtest/gtest.h>

#include "platform/dialog/dialog_host.h"
#include "platform/interpreter/object_library.h"
#include "tests/extension/open/open_core.h"
#include "tests/extension/open/open_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace {

using OpenTest::FileErrorReport;

class OpenModule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
        DG::ClearAnswers();
        DG::TakeShownDialogs();
        SetObjectLibraryFolders({});
    }
    void TearDown() override {
        SetObjectLibraryFolders({});
        DG::ClearAnswers();
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

TEST_F(OpenModule, ReportsReachTheHostByteForByte) {
    EXPECT_EQ(host.Open(1, "caf\xC3\xA9 100%.txt", ""), StatusReportedError);
    std::vector<OmbraTest::ReportCall> calls = host.TakeReportCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, FileErrorReport("Open error (file already used)", "caf\xE9 100%.txt"));
    EXPECT_EQ(calls[0].flag, 1);
    EXPECT_EQ(calls[0].reserved, 0);
}

TEST_F(OpenModule, LibraryNameIsFoundByTheInterpreterOrByTheHost) {
    ASSERT_TRUE(folder.MakeFolder("lib/sub"));
    ASSERT_TRUE(folder.WriteFile("lib/sub/Part.txt", "A\t1\r"));
    ASSERT_TRUE(folder.WriteFile("hosted.txt", "A\t1\r"));
    SetObjectLibraryFolders({folder.LocationOf("lib")});
    EXPECT_EQ(host.Open(1, "part.txt", "LIBRARY"), NoError);

    ZR::UniString asked;
    host.libraryLookup = [&](const ZR::UniString& name, IO::Location& location) {
        asked = name;
        location = folder.LocationOf("hosted.txt");
        return Int16(0);
    };
    EXPECT_EQ(host.Open(2, "elsewhere.txt", "LIBRARY"), NoError);
    EXPECT_EQ(asked, OpenTest::U("elsewhere.txt"));
    EXPECT_TRUE(host.TakeReports().empty());
    EXPECT_TRUE(folder.IsOpenInProcess("lib/sub/Part.txt"));
    EXPECT_TRUE(folder.IsOpenInProcess("hosted.txt"));
}

TEST_F(OpenModule, WorkerThreadsDialogRunsOnTheMainThread) {
    DG::QueueAnswer("create");
    DG::QueueAnswer("made.txt");
    Int16 status = -1;
    OpenTest::RunOnWorkerWithMessageLoop(
        [&] { status = host.Open(4, "wanted.txt", "DIALOG,MODE=WO"); });
    EXPECT_EQ(status, NoError);
    std::vector<DG::ShownDialog> shown = DG::TakeShownDialogs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Cannot find wanted.txt.");
    for (const DG::ShownDialog& dialog : shown)
        EXPECT_EQ(dialog.thread, std::this_thread::get_id());
    EXPECT_TRUE(folder.Exists("made.txt"));
}

}  // namespace
