// The main thread and its message loop. The test's main thread runs MessageLoop::Run while
// worker threads hand it tasks.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <thread>

#include "host/base/threads.h"
#include "platform/base/message_loop_probe.h"

namespace {

using ZR::MessageLoop;
using ZR::MessageLoopExecutor;
using ZR::Thread;

class FunctionRunnable : public ZR::Runnable {
public:
    explicit FunctionRunnable(std::function<void()> body) : body(std::move(body)) {}
    void Run() override { body(); }

private:
    std::function<void()> body;
};

std::shared_ptr<ZR::RunnableTask> MakeTask(std::function<void()> body) {
    return std::make_shared<ZR::RunnableTask>(std::make_shared<FunctionRunnable>(std::move(body)));
}

// An earlier test may have quit the loop, which refuses tasks until the next Run(): post no-op
// tasks until the loop takes one, i.e. until the main thread is inside Run().
void AwaitRunningLoop() {
    MessageLoopExecutor executor;
    while (executor.ExecuteAndWait(MakeTask([] {})) != NoError) std::this_thread::yield();
}

// Runs `work` on a worker thread while this (main) thread runs the loop; `work` ends with Quit().
void RunLoopWithWorker(const std::function<void()>& work) {
    std::thread worker([&] {
        AwaitRunningLoop();
        work();
        MessageLoop::Quit();
    });
    MessageLoop::Run();
    worker.join();
}

TEST(Threads, TaskFromTheMainThreadRunsAtOnce) {
    int runs = 0;
    EXPECT_EQ(MessageLoopExecutor().ExecuteAndWait(MakeTask([&] { ++runs; })), NoError);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(MessageLoopExecutor().ExecuteAndWait(nullptr), ErrParam);
}

TEST(Threads, ExceptionOfATaskReachesTheCaller) {
    std::string caught;
    RunLoopWithWorker([&] {
        try {
            MessageLoopExecutor().ExecuteAndWait(
                MakeTask([] { throw std::runtime_error("from the task"); }));
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
    });
    EXPECT_EQ(caught, "from the task");
    EXPECT_THROW(MessageLoopExecutor().ExecuteAndWait(MakeTask([] { throw 42; })), int);
}

// A task already queued when the loop is quit is refused and never runs.
TEST(Threads, QuitFailsTasksNotYetRun) {
    ZRErrCode lateStatus = NoError;
    bool lateRan = false;
    std::thread late;
    std::thread worker([&] {
        AwaitRunningLoop();
        MessageLoopExecutor().ExecuteAndWait(MakeTask([&] {
            late = std::thread([&] {
                lateStatus =
                    MessageLoopExecutor().ExecuteAndWait(MakeTask([&] { lateRan = true; }));
            });
            while (MessageLoopQueuedTasks() == 0) std::this_thread::yield();
            MessageLoop::Quit();
        }));
    });
    MessageLoop::Run();
    worker.join();
    late.join();
    EXPECT_EQ(lateStatus, ZR::ErrLoopStopped);
    EXPECT_FALSE(lateRan);
    EXPECT_EQ(MessageLoopQueuedTasks(), 0u);
}

TEST(Threads, BecomeMainThreadMovesTheMainThread) {
    bool workerIsMain = false;
    int ranInline = 0;
    std::thread([&] {
        MessageLoop::BecomeMainThread();
        workerIsMain = Thread::GetCurrent() == Thread::GetMain();
        // The loop is not running, yet the new main thread's own task runs at once.
        MessageLoopExecutor().ExecuteAndWait(MakeTask([&] { ++ranInline; }));
    }).join();
    const bool testThreadIsMain = Thread::GetCurrent() == Thread::GetMain();
    MessageLoop::BecomeMainThread();
    EXPECT_TRUE(workerIsMain);
    EXPECT_EQ(ranInline, 1);
    EXPECT_FALSE(testThreadIsMain);
    EXPECT_TRUE(Thread::GetCurrent() == Thread::GetMain());
}

}  // namespace
