#include "ombra/script_thread.h"

#include <thread>

#include "host/base/threads.h"

namespace Ombra {

// A Quit() that comes before Run() has started makes Run() return at once, so the worker may
// finish at any moment without leaving the main thread waiting.
int RunOnWorkerThread(const std::function<int()>& script) {
    int result = 0;
    std::thread worker([&] {
        result = script();
        ZR::MessageLoop::Quit();
    });
    ZR::MessageLoop::Run();
    worker.join();
    return result;
}

}  // namespace Ombra
