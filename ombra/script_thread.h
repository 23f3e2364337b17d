#pragma once

#include <functional>

namespace Ombra {

// Runs `script` on a worker thread while the calling thread, which must be the main thread,
// runs the main thread's message loop (ZR::MessageLoop::Run) and so serves the tasks the worker
// posts to it, such as a module's dialogs. When `script` returns, the worker quits the loop; the
// call returns the script's result after the worker has ended.
int RunOnWorkerThread(const std::function<int()>& script);

}  // namespace Ombra
