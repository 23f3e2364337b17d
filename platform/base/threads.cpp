// The main thread and its message loop. Tasks travel through one queue guarded by one mutex; a
// posting thread waits on its own PostedTask record, which the loop marks done or rejected.
#include "host/base/threads.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

#include "platform/base/message_loop_probe.h"

namespace ZR {

namespace {

// Set when the library is loaded: the thread that loads it is the main thread.
std::atomic<std::thread::id> mainThread{std::this_thread::get_id()};

struct PostedTask {
    enum class State { Waiting, Done, Rejected };
    RunnableTask* task = nullptr;
    std::exception_ptr failure;  // what the task raised, if anything
    State state = State::Waiting;
};

enum class Phase { NotStarted, Running, Stopped };

struct Loop {
    std::mutex mutex;
    std::condition_variable posted;    // a task arrived, or the loop was quit
    std::condition_variable finished;  // a task ran or was rejected
    std::deque<PostedTask*> queue;
    Phase phase = Phase::NotStarted;
    bool quitConsumed = false;  // a Run() has ended because of the last Quit()
};

// Never destroyed: a worker may still post while the process exits.
Loop& TheLoop() {
    static Loop* loop = new Loop;
    return *loop;
}

void RejectWaitingLocked(Loop& loop) {
    for (PostedTask* posted : loop.queue) posted->state = PostedTask::State::Rejected;
    loop.queue.clear();
    loop.finished.notify_all();
}

void ExecuteCapturing(PostedTask& posted) {
    try {
        posted.task->Execute();
    } catch (...) {
        posted.failure = std::current_exception();
    }
}

// Takes and runs tasks until the loop is quit; the caller holds `lock`.
void RunTasksLocked(Loop& loop, std::unique_lock<std::mutex>& lock) {
    for (;;) {
        loop.posted.wait(lock, [&] { return !loop.queue.empty() || loop.phase == Phase::Stopped; });
        if (loop.phase == Phase::Stopped) return;
        PostedTask* posted = loop.queue.front();
        loop.queue.pop_front();
        lock.unlock();
        ExecuteCapturing(*posted);
        lock.lock();
        posted->state = PostedTask::State::Done;
        loop.finished.notify_all();
    }
}

}  // namespace

Thread Thread::GetMain() {
    return Thread(mainThread.load());
}

Thread Thread::GetCurrent() {
    return Thread(std::this_thread::get_id());
}

ZRErrCode MessageLoopExecutor::ExecuteAndWait(const std::shared_ptr<RunnableTask>& task,
                                              Int32 /*priority*/) {
    if (task == nullptr) return ErrParam;
    if (Thread::GetCurrent() == Thread::GetMain()) {
        task->Execute();
        return NoError;
    }
    Loop& loop = TheLoop();
    PostedTask posted;
    posted.task = task.get();
    std::unique_lock<std::mutex> lock(loop.mutex);
    if (loop.phase == Phase::Stopped) return ErrLoopStopped;
    loop.queue.push_back(&posted);
    loop.posted.notify_one();
    loop.finished.wait(lock, [&] { return posted.state != PostedTask::State::Waiting; });
    lock.unlock();
    if (posted.state == PostedTask::State::Rejected) return ErrLoopStopped;
    if (posted.failure) std::rethrow_exception(posted.failure);
    return NoError;
}

void MessageLoop::BecomeMainThread() {
    mainThread.store(std::this_thread::get_id());
}

void MessageLoop::Run() {
    Loop& loop = TheLoop();
    std::unique_lock<std::mutex> lock(loop.mutex);
    if (loop.phase == Phase::Stopped && !loop.quitConsumed) {
        loop.quitConsumed = true;
        return;
    }
    loop.phase = Phase::Running;
    RunTasksLocked(loop, lock);
    loop.quitConsumed = true;
}

void MessageLoop::Quit() {
    Loop& loop = TheLoop();
    std::lock_guard<std::mutex> lock(loop.mutex);
    loop.phase = Phase::Stopped;
    loop.quitConsumed = false;
    RejectWaitingLocked(loop);
    loop.posted.notify_all();
}

}  // namespace ZR

USize MessageLoopQueuedTasks() {
    ZR::Loop& loop = ZR::TheLoop();
    std::lock_guard<std::mutex> lock(loop.mutex);
    return USize(loop.queue.size());
}
