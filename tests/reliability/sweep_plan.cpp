#include "tests/reliability/sweep_plan.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace Reliability {
namespace {

struct Totals {
    std::size_t scenarios = 0;
    std::size_t calls = 0;
    std::size_t cases = 0;
};

std::map<std::string, Totals>& GetTotals() {
    static std::map<std::string, Totals> totals;
    return totals;
}

class TallyPrinter : public testing::Environment {
public:
    void TearDown() override {
        for (const auto& [suite, totals] : GetTotals()) {
            std::printf("[reliability] %s total: %zu scenarios, %zu calls, %zu cases%s\n",
                        suite.c_str(), totals.scenarios, totals.calls, totals.cases,
                        FullSweep() ? " (full sweep)" : " (stride)");
        }
    }
};

[[maybe_unused]] testing::Environment* const printer =
    testing::AddGlobalTestEnvironment(new TallyPrinter);

bool Taken(std::size_t total, std::size_t n) {
    return n <= StrideEdge || n + StrideEdge > total || n % StrideStep == 0;
}

}  // namespace

std::vector<Faults::Op> TraceCalls(const std::function<void()>& run) {
    std::vector<Faults::Op> calls;
    Faults::Reset();
    Faults::SetCallback([&calls](const Faults::CallInfo& call) { calls.push_back(call.op); });
    run();
    Faults::Reset();
    return calls;
}

bool FullSweep() {
    const char* full = std::getenv("OMBRA_FULL_SWEEP");
    return full != nullptr && *full != '\0' && *full != '0';
}

std::vector<std::size_t> SweptCalls(const std::vector<Faults::Op>& calls) {
    std::vector<std::size_t> swept;
    const bool all = FullSweep() || calls.size() <= StrideFrom;
    for (std::size_t n = 1; n <= calls.size(); ++n) {
        if (all || Taken(calls.size(), n)) swept.push_back(n);
    }
    return swept;
}

const std::vector<FailureKind>& FailureKinds() {
    static const std::vector<FailureKind> kinds = {
        {"EIO", EIO, 0, false},
        {"ENOSPC", ENOSPC, 0, false},
        {"short write", ENOSPC, 1, true},
    };
    return kinds;
}

void Tally(const std::string& suite, const std::string& scenario, std::size_t calls,
           std::size_t cases) {
    Totals& totals = GetTotals()[suite];
    ++totals.scenarios;
    totals.calls += calls;
    totals.cases += cases;
    std::printf("[reliability] %s %s: %zu calls, %zu cases\n", suite.c_str(), scenario.c_str(),
                calls, cases);
}

}  // namespace Reliability
