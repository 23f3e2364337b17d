// Every allocation that the module makes in an operation fails in turn, through the memory
// blocks and through operator new alike: the operation returns a status it documents with the
// message that goes with it, the data file holds the records of before or after it, nothing
// leaks (the sanitizer build sees to that), and the module goes on from there without faults.
#include <dlfcn.h>
#include <execinfo.h>

#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "platform/base/memory_faults.h"
#include "tests/reliability/sweep.h"

namespace {

// The file whose code holds `address`: the module, this program, or another library (nullptr).
const char* CodeFile(const void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fname : nullptr;
}

// True when the allocation whose caller is `caller` is made on the module's behalf: walking out
// from the caller, the module's code comes before this program's (the test host's callbacks and
// the suite's own allocations are the interpreter's, not the module's).
bool ForTheModule(void* caller) {
    static const std::string_view program = CodeFile(reinterpret_cast<void*>(&ForTheModule));
    void* frames[64];
    const int count = backtrace(frames, 64);
    int i = 0;
    while (i < count && frames[i] != caller) ++i;
    for (; i < count; ++i) {
        const char* file = CodeFile(frames[i]);
        if (file == nullptr) continue;
        if (std::string_view(file).ends_with("/DataInOut.so")) return true;
        if (file == program) return false;
    }
    return false;
}

[[gnu::noinline]] void* Allocate(std::size_t size, void* caller) {
    if (BMPendingAllocationFailures() > 0 && ForTheModule(caller)) {
        if (BMTakeAllocationFailure()) return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

// Every form of operator new of this program, and so of the module it loads, goes through
// Allocate; the sized and aligned forms are left to the library, which the module does not use.
// None is inlined: the compiler would then pair a library operator new with an inlined free.
#define OMBRA_THROWING_NEW(form)                                                     \
    [[gnu::noinline]] void* form(std::size_t size) {                                 \
        void* block = Allocate(size, __builtin_return_address(0));                   \
        if (block == nullptr) throw std::bad_alloc();                                \
        return block;                                                                \
    }                                                                                \
    [[gnu::noinline]] void* form(std::size_t size, const std::nothrow_t&) noexcept { \
        return Allocate(size, __builtin_return_address(0));                          \
    }
#define OMBRA_DELETE(form)                                                     \
    [[gnu::noinline]] void form(void* block) noexcept {                        \
        std::free(block);                                                      \
    }                                                                          \
    [[gnu::noinline]] void form(void* block, std::size_t) noexcept {           \
        std::free(block);                                                      \
    }                                                                          \
    [[gnu::noinline]] void form(void* block, const std::nothrow_t&) noexcept { \
        std::free(block);                                                      \
    }
OMBRA_THROWING_NEW(operator new)
OMBRA_THROWING_NEW(operator new[])
OMBRA_DELETE(operator delete)
OMBRA_DELETE(operator delete[])

namespace Reliability {
namespace {

class AllocationSweep : public ScenarioSuite {
protected:
    // Runs the steps with allocation `skip` (from 0) failing; false when the steps made fewer
    // allocations, so that none failed.
    bool RunBroken(UInt32 skip) {
        const Scenario& scenario = GetParam();
        const std::vector<Records> states = ModelStates(scenario);
        ResetFolder();
        EXPECT_TRUE(RunPrepared());
        BMFailNextAllocations(skip, 1);
        for (std::size_t i = 0; i < scenario.steps.size(); ++i)
            ExpectAllowedResult(scenario.steps[i], Run(scenario.steps[i]), states[i], true);
        const bool failed = BMPendingAllocationFailures() == 0;
        BMFailNextAllocations(0, 0);
        std::size_t matched = 0;
        EXPECT_TRUE(
            HoldsOneOf(DataBytes(), scenario.encoding, states, 0, states.size() - 1, &matched));
        ExpectContinuesFrom(states[matched]);
        return failed;
    }
};

TEST_P(AllocationSweep, EachAllocationFailsInTurn) {
    UInt32 failed = 0;
    for (bool more = true; more; ++failed) {
        SCOPED_TRACE("allocation " + std::to_string(failed + 1) + " of the module fails");
        ASSERT_LT(failed, 10000u) << "the failures never stop";
        more = RunBroken(failed);
        if (HasFailure()) return;  // one broken case tells; the rest would repeat it
    }
    // The last run made fewer allocations than it skipped, so failed - 1 of them failed. A sweep
    // that failed none tested nothing: the hook or the operation has changed.
    EXPECT_GT(failed, 1u) << "no allocation of the module was made to fail";
    Tally("allocation sweep", failed - 1, failed - 1);
}

std::vector<Scenario> SweptOperations() {
    std::vector<Scenario> swept;
    for (const Scenario& scenario : Operations())
        for (const char* name : {"open_", "input_first", "output_in_place", "output_append",
                                 "output_compaction", "output_new_file", "close_save"})
            if (scenario.name.starts_with(name)) swept.push_back(scenario);
    return swept;
}

INSTANTIATE_TEST_SUITE_P(Operations, AllocationSweep, testing::ValuesIn(SweptOperations()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace Reliability
