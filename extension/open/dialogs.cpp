#include "extension/open/dialogs.h"

#include "extension/frame/channel_info.h"
#include "extension/frame/host_services.h"

namespace DataOmbraPlugin {
namespace {

constexpr ZRResID NotFoundAlertId = 128;
constexpr Int16 ButtonBrowse = 1;
constexpr Int16 ButtonCreate = 3;

// Runs `runnable` on the main thread's message loop and waits for it.
void RunOnMainThread(std::shared_ptr<GetFileRunnable> runnable) {
    auto task = std::make_shared<ZR::RunnableTask>(std::move(runnable));
    ZR::MessageLoopExecutor executor;
    if (executor.ExecuteAndWait(task, 0) != NoError) throw ZR::Exception();
}

}  // namespace

bool AskForFile(const ZR::UniString& name, Int32 mode, IO::Location& location) {
    if (ZR::Thread::GetCurrent() == ZR::Thread::GetMain()) {
        GetFileRunnable runnable(name, mode, location);
        runnable.Run();
        return runnable.GetResult();
    }
    auto runnable = std::make_shared<GetFileRunnable>(name, mode, location);
    RunOnMainThread(runnable);
    return runnable->GetResult();
}

void GetFileRunnable::Run() {
    ResHandling resources;
    if (mode == ModeReadOnly) {
        result = ShowFileDialog(DG::FileDialog::OpenFile);
        return;
    }
    switch (DGResAlertParam(NotFoundAlertId, name.ToCStr(CC_Default).Get())) {
        case ButtonBrowse:
            result = ShowFileDialog(DG::FileDialog::OpenFile);
            break;
        case ButtonCreate:
            result = ShowFileDialog(DG::FileDialog::Save);
            break;
        default:  // Cancel, or the alert dismissed
            result = false;
            break;
    }
}

bool GetFileRunnable::ShowFileDialog(DG::FileDialog::Type type) {
    DG::FileDialog dialog(type);
    if (!dialog.Invoke()) return false;
    location = dialog.GetSelectedFile(0);
    return true;
}

}  // namespace DataOmbraPlugin
