// OPEN with DIALOG in process: a remembered-location block that does not read back, the module's
// resources during the dialog, and the dialogs of a worker thread's OPEN.
#include <gtest/gtest.h>

#include <thread>

#include "extension/open/file_info.h"
#include "tests/extension/open/open_core.h"
#include "tests/extension/open/open_fixture.h"

namespace {

using OpenTest::FileErrorReport;

class DialogOpen : public OpenTest::OpenFixture {
protected:
    DataOmbraPlugin::FileInfoList RememberedList() {
        return DataOmbraPlugin::ReadFileInfoList(handle);
    }
};

TEST_F(DialogOpen, CorruptBlockAsksAgainAndIsRewrittenWhole) {
    ASSERT_TRUE(folder.WriteFile("x.txt", "a"));
    handle = BMAllocateHandle(7, 0, 0);
    BNCopyMemory(*handle, "garbage", 7);
    DG::QueueAnswer(folder.PathOf("x.txt"));
    ASSERT_EQ(Open(1, "data.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds().size(), 1u);
    ASSERT_EQ(RememberedList().GetSize(), 1u);
    EXPECT_EQ(RememberedList()[0].location, folder.LocationOf("x.txt"));
}

TEST_F(DialogOpen, ModulesResourcesAreActiveOnlyDuringTheDialog) {
    ZRResModule before = RSSetActiveModule(InvalidResModule);
    DG::QueueAnswer("cancel");
    EXPECT_EQ(Open(1, "x.txt", "DIALOG, MODE=WO"), StatusReportedError);
    std::vector<DG::ShownDialog> shown = DG::TakeShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot find x.txt.");  // the alert came from the module's resources
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    RSSetActiveModule(before);
}

// The test's main thread runs the message loop while a worker OPENs: the dialogs run on the main
// thread and the worker gets the answer.
TEST_F(DialogOpen, WorkerThreadsDialogRunsOnTheMainThread) {
    ASSERT_TRUE(folder.WriteFile("picked.txt", "A\t1\r"));
    DG::QueueAnswer("browse");
    DG::QueueAnswer(folder.PathOf("picked.txt"));
    Int16 status = -1;
    OpenTest::RunOnWorkerWithMessageLoop(
        [&] { status = Open(6, "wanted.txt", "MODE=WA, DIALOG"); });
    EXPECT_EQ(status, NoError);
    std::vector<DG::ShownDialog> shown = DG::TakeShownDialogs();
    ASSERT_EQ(shown.size(), 2u);
    for (const DG::ShownDialog& dialog : shown)
        EXPECT_EQ(dialog.thread, std::this_thread::get_id());
    EXPECT_EQ(FileLocation(6), folder.LocationOf("picked.txt"));
}

TEST_F(DialogOpen, WorkerWithoutMessageLoopFailsWithError2) {
    ZR::MessageLoop::Quit();  // the next ExecuteAndWait finds no loop
    Int16 status = -1;
    std::thread worker([&] { status = Open(6, "wanted.txt", "DIALOG"); });
    worker.join();
    ZR::MessageLoop::Run();  // returns at once, ending the quit
    EXPECT_EQ(status, StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{
                             FileErrorReport(2 /* open error */, "wanted.txt")});
    EXPECT_TRUE(ShownKinds().empty());
}

}  // namespace
