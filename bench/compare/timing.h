// Wall-clock timing on the steady clock, repeated in rounds: a figure is the fastest round's
// cost per operation, the estimate least disturbed by other work on a shared machine.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace Compare {

// Time accumulated over Start/Stop pairs.
class Stopwatch {
public:
    void Start() { started = std::chrono::steady_clock::now(); }
    void Stop() { elapsed += std::chrono::steady_clock::now() - started; }
    double Nanoseconds() const { return std::chrono::duration<double, std::nano>(elapsed).count(); }

private:
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::duration elapsed{};
};

// What one round did: how many operations, and the time they took.
struct Round {
    std::uint64_t operations = 0;
    double nanoseconds = 0;
};

// How often to run a round: at least `minRounds` times, then again while the rounds so far took
// less than `budgetSeconds`, at most `maxRounds` times in all.
struct Repeat {
    int minRounds = 3;
    int maxRounds = 10;
    double budgetSeconds = 1;
};

// A round returns nothing when it failed (it has said why); the whole measurement then fails.
using RoundProc = std::function<std::optional<Round>()>;

// The lowest nanoseconds per operation over the rounds.
std::optional<double> FastestPerOperation(const Repeat& repeat, const RoundProc& round);

// Prints "figure: reason" to standard error; returns nothing, for `return Fail(...)`.
std::nullopt_t Fail(const char* figure, const std::string& reason);

}  // namespace Compare
