// Fault injection: call counts, failure rules and the callback behind the checkpoints.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/filesystem/checkpoint.h"

namespace IO::FaultInjection {

namespace Detail {
std::atomic<bool> armed{false};
}

namespace {

constexpr int AnyOp = -1;

// Fails call `number` of kind `op` (AnyOp: counted over all kinds).
struct Rule {
    int op;
    UInt64 number;
    Failure failure;
};

struct State {
    std::mutex mutex;
    UInt64 counts[OpCount] = {};
    UInt64 total = 0;
    std::vector<Rule> rules;
    std::shared_ptr<const Callback> callback;
};

State& GetState() {
    static State state;
    return state;
}

bool Matches(const Rule& rule, UInt64 callNumber) {
    if (rule.failure.repeat == Repeat::Once) return callNumber == rule.number;
    return callNumber >= rule.number;
}

Verdict Apply(const Rule& rule) {
    return Verdict{rule.failure.errorNumber, rule.failure.bytesWritten};
}

void AddRule(const Rule& rule) {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    state.rules.push_back(rule);
    Detail::armed.store(true, std::memory_order_relaxed);
}

}  // namespace

Verdict Detail::Evaluate(Op op, std::string_view path) {
    State& state = GetState();
    std::shared_ptr<const Callback> callback;
    Verdict verdict;
    CallInfo info{op, 0, 0, path};
    {
        std::lock_guard lock(state.mutex);
        info.number = ++state.total;
        info.numberOfOp = ++state.counts[int(op)];
        callback = state.callback;
        for (const Rule& rule : state.rules) {
            const bool anyOp = rule.op == AnyOp;
            if (!anyOp && rule.op != int(op)) continue;
            if (!Matches(rule, anyOp ? info.number : info.numberOfOp)) continue;
            verdict = Apply(rule);
            break;
        }
    }
    if (callback) (*callback)(info);
    return verdict;
}

const char* OpName(Op op) {
    static const char* const names[OpCount] = {
        "New",   "Create", "Open",   "Read", "Write",    "SetPosition", "GetPosition",
        "Close", "Delete", "Rename", "Sync", "Truncate", "Identity",    "WriteBack"};
    const int index = int(op);
    return index >= 0 && index < OpCount ? names[index] : "?";
}

void Reset() {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    Detail::armed.store(false, std::memory_order_relaxed);
    for (UInt64& count : state.counts) count = 0;
    state.total = 0;
    state.rules.clear();
    state.callback.reset();
}

void StartCounting() {
    Detail::armed.store(true, std::memory_order_relaxed);
}

UInt64 GetCallCount(Op op) {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    const int index = int(op);
    return index >= 0 && index < OpCount ? state.counts[index] : 0;
}

UInt64 GetTotalCallCount() {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    return state.total;
}

void FailCall(Op op, UInt64 number, const Failure& failure) {
    AddRule(Rule{int(op), number, failure});
}

void FailAnyCall(UInt64 number, const Failure& failure) {
    AddRule(Rule{AnyOp, number, failure});
}

void SetCallback(Callback callback) {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    state.callback = callback ? std::make_shared<const Callback>(std::move(callback)) : nullptr;
    Detail::armed.store(true, std::memory_order_relaxed);
}

}  // namespace IO::FaultInjection
