#include "bench/compare/timing.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace Compare {

std::optional<double> PerOperation(const Repeat& repeat, const RoundProc& round) {
    std::vector<double> perOperation;
    double spent = 0;
    for (int done = 0; done < repeat.maxRounds; ++done) {
        if (done >= repeat.minRounds && spent >= repeat.budgetSeconds * 1e9) break;
        const std::optional<Round> result = round(size_t(done));
        if (!result || result->operations == 0) return std::nullopt;
        spent += result->nanoseconds;
        perOperation.push_back(result->nanoseconds / double(result->operations));
    }
    if (perOperation.empty()) return std::nullopt;
    if (repeat.statistic == Statistic::Fastest) {
        return *std::min_element(perOperation.begin(), perOperation.end());
    }
    return Median(std::move(perOperation));
}

double Median(std::vector<double> values) {
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

Batch RoundBatch(size_t round, size_t batch, size_t count) {
    if (batch == 0 || count == 0) return Batch{0, count};
    return Batch{round * batch % count, batch};
}

double ProcessCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

std::nullopt_t Fail(const char* figure, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", figure, reason.c_str());
    return std::nullopt;
}

}  // namespace Compare
