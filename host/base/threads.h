// Threads and the main thread's message loop. The host's main thread runs a message loop; any
// thread can hand it a task and wait until the task has run (MessageLoopExecutor). Dialogs are
// shown only on the main thread this way.
#pragma once

#include <memory>
#include <thread>

#include "host/base/api.h"
#include "host/base/types.h"

namespace ZR {

// ExecuteAndWait found no message loop to take the task: the loop has been quit.
constexpr ZRErrCode ErrLoopStopped = -1402;

// A thread's identity. The main thread is the thread that loaded the base library (the process's
// first thread) unless the host names another with MessageLoop::BecomeMainThread().
class HOST_API Thread {
public:
    static Thread GetMain();
    static Thread GetCurrent();
    bool operator==(const Thread& other) const { return id == other.id; }

private:
    explicit Thread(std::thread::id id) : id(id) {}
    std::thread::id id;
};

class HOST_API Runnable {
public:
    virtual ~Runnable() = default;
    virtual void Run() = 0;
};

// A unit of work for the message loop; it holds a shared reference to its runnable.
class HOST_API RunnableTask {
public:
    explicit RunnableTask(std::shared_ptr<Runnable> runnable) : runnable(std::move(runnable)) {}
    void Execute() { runnable->Run(); }

private:
    std::shared_ptr<Runnable> runnable;
};

class HOST_API MessageLoopExecutor {
public:
    // Runs `task` on the main thread's message loop and returns after it has run; on the main
    // thread itself, runs it at once. An exception raised by the task is passed to the caller.
    // `priority` is reserved (0). Returns NoError, or ErrLoopStopped when no message loop can take
    // the task (the loop has been quit, also while the task waited), in which case the task has
    // not run; ErrParam for a null task. A task posted before Run() starts waits for it.
    ZRErrCode ExecuteAndWait(const std::shared_ptr<RunnableTask>& task, Int32 priority = 0);
};

// The host's side of the message loop.
class HOST_API MessageLoop {
public:
    // Makes the calling thread the main thread.
    static void BecomeMainThread();
    // Runs posted tasks on the calling thread, in the order posted, until Quit() is called.
    // REQUIRES: the calling thread is the main thread. A Quit() that no Run() has ended on yet
    // (one made before Run() started) makes Run() return at once; otherwise Run() opens the loop
    // again after an earlier Quit().
    static void Run();
    // Ends Run() after the task in progress; the tasks still waiting and later ExecuteAndWait
    // calls fail instead of waiting, until the next Run(). Callable from any thread.
    static void Quit();
};

}  // namespace ZR
