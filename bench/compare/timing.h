// Wall-clock timing on the steady clock, repeated in rounds. Whole-file operations run a few
// long rounds and keep the fastest; single operations run many short rounds of a batch each,
// short enough to run mostly between two preemptions on a busy machine, and keep the median.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

enum class Statistic { Fastest, Median };

// How often to run a round: at least `minRounds` times, then again while the rounds so far took
// less than `budgetSeconds`, at most `maxRounds` times in all. A round of single operations does
// `batch` of them (0: all it has).
struct Repeat {
    int minRounds = 3;
    int maxRounds = 10;
    double budgetSeconds = 1;
    Statistic statistic = Statistic::Fastest;
    size_t batch = 0;
};

// A round gets its number (from 0); it returns nothing when it failed (it has said why), and the
// whole measurement then fails.
using RoundProc = std::function<std::optional<Round>(size_t round)>;

// The fastest or the median round's nanoseconds per operation.
std::optional<double> PerOperation(const Repeat& repeat, const RoundProc& round);

// The items of round `round` out of `count` items taken `batch` at a time in turn (all of them
// when `batch` is 0): item i of the round is (first + i) % count.
struct Batch {
    size_t first = 0;
    size_t size = 0;
};
Batch RoundBatch(size_t round, size_t batch, size_t count);

// The middle value (the upper one of an even count); `values` must not be empty.
double Median(std::vector<double> values);

// CPU time (user and system) of this process so far.
double ProcessCpuNanoseconds();

// Prints "figure: reason" to standard error; returns nothing, for `return Fail(...)`.
std::nullopt_t Fail(const char* figure, const std::string& reason);

}  // namespace Compare
