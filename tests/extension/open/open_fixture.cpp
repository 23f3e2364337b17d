#include "tests/extension/open/open_fixture.h"

#include <thread>

#include "extension/frame/report_error.h"
#include "extension/open/open.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/open/open_core.h"
#include "tests/support/core_binding.h"

namespace OpenTest {

void OpenFixture::SetUp() {
    BindCore();
    DG::ClearAnswers();
    DG::TakeShownDialogs();
}

void OpenFixture::TearDown() {
    IO::FaultInjection::Reset();
    DG::ClearAnswers();
    while (DataOmbraPlugin::ChannelCount() > 0) {
        std::unique_ptr<IO::File> file;
        DataOmbraPlugin::ReleaseChannel(DataOmbraPlugin::ChannelRecordAt(1).channelNumber, file);
    }
    if (handle != nullptr) BMKillHandle(&handle);
}

Int16 OpenFixture::Open(UInt32 channel, const std::string& name, const std::string& parameters) {
    return DataOmbraPlugin::OpenDataChannel(channel, U(name), U(parameters), &handle);
}

const DataOmbraPlugin::ChannelInfo& OpenFixture::Record(UInt32 channel) {
    const DataOmbraPlugin::ChannelInfo* record = DataOmbraPlugin::FindChannelRecord(channel);
    EXPECT_NE(record, nullptr) << "channel " << channel << " is not open";
    static const DataOmbraPlugin::ChannelInfo none;
    return record != nullptr ? *record : none;
}

IO::Location OpenFixture::FileLocation(UInt32 channel) {
    IO::Location location;
    const DataOmbraPlugin::ChannelInfo& record = Record(channel);
    if (record.file != nullptr) {
        EXPECT_EQ(record.file->GetLocation(&location), NoError);
    }
    return location;
}

std::vector<std::string> OpenFixture::Reports() {
    return TakeCoreReports();
}

std::vector<DG::ShownDialog::Kind> OpenFixture::ShownKinds() {
    std::vector<DG::ShownDialog::Kind> kinds;
    for (const DG::ShownDialog& shown : DG::TakeShownDialogs()) kinds.push_back(shown.kind);
    return kinds;
}

namespace {

class NoWork : public ZR::Runnable {
public:
    void Run() override {}
};

// Returns once the main thread's loop has run a task of this thread.
void WaitForMessageLoop() {
    auto task = std::make_shared<ZR::RunnableTask>(std::make_shared<NoWork>());
    ZR::MessageLoopExecutor executor;
    while (executor.ExecuteAndWait(task, 0) != NoError) std::this_thread::yield();
}

}  // namespace

void RunOnWorkerWithMessageLoop(const std::function<void()>& work) {
    std::thread worker([&] {
        WaitForMessageLoop();
        work();
        ZR::MessageLoop::Quit();
    });
    ZR::MessageLoop::Run();
    worker.join();
}

std::string FileErrorReport(Int16 message, const std::string& file) {
    return OmbraTest::ModuleReport(DataOmbraPlugin::FileErrorList, message, file);
}

}  // namespace OpenTest
