// OPEN with DIALOG: which dialogs are shown for each mode and button, the remembered choices, and
// the dialogs of a worker thread's OPEN running on the main thread.
#include <gtest/gtest.h>

#include <thread>

#include "extension/open/file_info.h"
#include "tests/extension/open/open_core.h"
#include "tests/extension/open/open_fixture.h"

namespace {

using DataOmbraPlugin::ModeWriteAppend;
using Kind = DG::ShownDialog::Kind;
using OpenTest::FileErrorReport;

const std::string NotFound = "File not found, can't open for input";

class DialogOpen : public OpenTest::OpenFixture {
protected:
    DataOmbraPlugin::FileInfoList RememberedList() {
        return DataOmbraPlugin::ReadFileInfoList(handle);
    }
};

TEST_F(DialogOpen, ReadOnlyGoesStraightToTheFileDialog) {
    ASSERT_TRUE(folder.WriteFile("real.txt", "A\t1\r"));
    DG::QueueAnswer(folder.PathOf("real.txt"));
    ASSERT_EQ(Open(1, "alias.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds(), std::vector<Kind>{Kind::OpenFile});
    EXPECT_EQ(FileLocation(1), folder.LocationOf("real.txt"));
}

TEST_F(DialogOpen, AlertButtonsLeadToTheirDialogs) {
    ASSERT_TRUE(folder.WriteFile("existing.txt", "A\t1\r"));
    struct ButtonCase {
        std::vector<std::string> answers;
        std::vector<Kind> shown;
        bool opens;
    };
    const ButtonCase cases[] = {
        {{"browse", folder.PathOf("existing.txt")}, {Kind::Alert, Kind::OpenFile}, true},
        {{"1", "cancel"}, {Kind::Alert, Kind::OpenFile}, false},
        {{"Cancel"}, {Kind::Alert}, false},
        {{"2"}, {Kind::Alert}, false},
        {{"create", "created.txt"}, {Kind::Alert, Kind::SaveFile}, true},
        {{"3", "cancel"}, {Kind::Alert, Kind::SaveFile}, false},
        {{}, {Kind::Alert}, false},
    };
    for (const ButtonCase& item : cases) {
        SCOPED_TRACE(item.answers.empty() ? "no answer" : item.answers[0]);
        for (const std::string& answer : item.answers) DG::QueueAnswer(answer);
        Int16 status = Open(1, "wanted.txt", "DIALOG, MODE=WA");
        EXPECT_EQ(status, item.opens ? NoError : StatusReportedError);
        EXPECT_EQ(ShownKinds(), item.shown);
        EXPECT_EQ(DG::PendingAnswers(), 0u);
        Reports();
        if (handle != nullptr) BMKillHandle(&handle);
    }
}

TEST_F(DialogOpen, CreateMakesTheChosenFileAsANewUtf8File) {
    DG::QueueAnswer("create");
    DG::QueueAnswer("made/new.txt");
    ASSERT_TRUE(folder.MakeFolder("made"));
    ASSERT_EQ(Open(2, "wanted.txt", "DIALOG, MODE=WA"), NoError);
    EXPECT_EQ(FileLocation(2), folder.LocationOf("made/new.txt"));
    EXPECT_EQ(folder.ReadFile("made/new.txt"), "");
    EXPECT_TRUE(Record(2).utf8);
    EXPECT_TRUE(Record(2).bomPending);
    EXPECT_EQ(Record(2).openMode, ModeWriteAppend);
}

TEST_F(DialogOpen, ChoiceIsRememberedUntilTheFileMoves) {
    ASSERT_TRUE(folder.WriteFile("first.txt", "A\t1\r"));
    ASSERT_TRUE(folder.WriteFile("second.txt", "B\t2\r"));
    DG::QueueAnswer(folder.PathOf("first.txt"));
    ASSERT_EQ(Open(1, "data.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds().size(), 1u);

    ASSERT_EQ(Open(1, "data.txt", "DIALOG"), NoError);
    EXPECT_TRUE(ShownKinds().empty());
    EXPECT_EQ(FileLocation(1), folder.LocationOf("first.txt"));

    ASSERT_EQ(std::rename(folder.PathOf("first.txt").c_str(), folder.PathOf("gone.txt").c_str()),
              0);
    DG::QueueAnswer(folder.PathOf("second.txt"));
    ASSERT_EQ(Open(1, "data.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds().size(), 1u);
    EXPECT_EQ(FileLocation(1), folder.LocationOf("second.txt"));
    DataOmbraPlugin::FileInfoList list = RememberedList();
    ASSERT_EQ(list.GetSize(), 1u);
    EXPECT_EQ(list[0].location, folder.LocationOf("second.txt"));
}

TEST_F(DialogOpen, NamesDifferingInCaseAreRememberedApart) {
    ASSERT_TRUE(folder.WriteFile("lower.txt", "a"));
    ASSERT_TRUE(folder.WriteFile("upper.txt", "A"));
    DG::QueueAnswer(folder.PathOf("lower.txt"));
    ASSERT_EQ(Open(1, "data.txt", "DIALOG"), NoError);
    DG::QueueAnswer(folder.PathOf("upper.txt"));
    ASSERT_EQ(Open(2, "DATA.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds().size(), 2u);
    EXPECT_EQ(RememberedList().GetSize(), 2u);
    EXPECT_EQ(FileLocation(1), folder.LocationOf("lower.txt"));
    EXPECT_EQ(FileLocation(2), folder.LocationOf("upper.txt"));
}

TEST_F(DialogOpen, RememberedKeyIsTheReducedName) {
    ASSERT_TRUE(folder.WriteFile("x.txt", "a"));
    DG::QueueAnswer(folder.PathOf("x.txt"));
    ASSERT_EQ(Open(1, "a\\\\b.txt", "DIALOG"), NoError);
    ASSERT_EQ(Open(1, "a\\b.txt", "DIALOG"), NoError);
    EXPECT_EQ(ShownKinds().size(), 1u);
    ASSERT_EQ(RememberedList().GetSize(), 1u);
    EXPECT_EQ(RememberedList()[0].name, OpenTest::U("a\\b.txt"));
}

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
