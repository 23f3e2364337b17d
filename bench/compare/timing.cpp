#include "bench/compare/timing.h"

#include <algorithm>
#include <cstdio>

namespace Compare {

std::optional<double> FastestPerOperation(const Repeat& repeat, const RoundProc& round) {
    std::optional<double> fastest;
    double spent = 0;
    for (int done = 0; done < repeat.maxRounds; ++done) {
        if (done >= repeat.minRounds && spent >= repeat.budgetSeconds * 1e9) break;
        const std::optional<Round> result = round();
        if (!result || result->operations == 0) return std::nullopt;
        spent += result->nanoseconds;
        const double perOperation = result->nanoseconds / double(result->operations);
        fastest = std::min(fastest.value_or(perOperation), perOperation);
    }
    return fastest;
}

std::nullopt_t Fail(const char* figure, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", figure, reason.c_str());
    return std::nullopt;
}

}  // namespace Compare
