#include "bench/compare/cycle.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include "bench/compare/sqlite_peer.h"
#include "bench/support/bench_support.h"
#include "extension/entry/close.h"
#include "extension/entry/input.h"
#include "extension/entry/open.h"
#include "extension/store/index_cache.h"

namespace Compare {

namespace {

using namespace DataOmbraPlugin;

constexpr UInt32 Channel = 1;

// The probes of cycle `cycle`: CycleInputs of them in turn.
const Probe& ProbeOf(const std::vector<Probe>& probes, size_t cycle, size_t input) {
    return probes[(cycle * CycleInputs + input) % probes.size()];
}

// Runs `count` cycles from `first` on; false when one missed a record (said why, as `figure`).
template <class OneCycle>
std::optional<Round> CycleRound(const char* figure, size_t first, size_t count, OneCycle oneCycle) {
    Stopwatch watch;
    for (size_t cycle = first; cycle < first + count; ++cycle) {
        if (!oneCycle(cycle, watch)) return Fail(figure, "a cycle failed or missed a record");
    }
    return Round{count, watch.Nanoseconds()};
}

// Cycles a round: a few hundred microseconds of work, like the other single operations.
Repeat CycleRounds(const Repeat& repeat, size_t cycles) {
    Repeat rounds = repeat;
    rounds.batch = cycles;
    return rounds;
}

}  // namespace

std::optional<double> ModuleCycle(const std::string& path, const std::vector<Probe>& probes,
                                  bool warm, const Repeat& repeat) {
    const char* figure = warm ? "cycle.module_warm" : "cycle.module_cold";
    const ZR::UniString name(path.c_str(), CC_UTF8);
    const ZR::UniString parameters("MODE=RO");
    const ZR::UniString fieldId("1");
    std::vector<ZR::UniString> keys;
    for (const Probe& probe : probes) keys.emplace_back(probe.record.key.c_str());
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    ZRHandle remembered = nullptr;
    const auto oneCycle = [&](size_t cycle, Stopwatch& watch) {
        if (!warm) ClearIndexCache();
        watch.Start();
        bool complete = OpenDataChannel(Channel, name, parameters, &remembered) == 0;
        for (size_t input = 0; input < CycleInputs; ++input) {
            Int32 read = 0;
            const ZR::UniString& key = keys[(cycle * CycleInputs + input) % keys.size()];
            complete = InputFromChannel(Channel, key, fieldId, 4, &read, &values, &strings) == 0 &&
                       read == 4 && complete;
        }
        complete = CloseDataChannel(Channel) == 0 && complete;
        watch.Stop();
        return complete;
    };
    // The cycle before the first round leaves the index cached for a warm one.
    Stopwatch unused;
    if (!oneCycle(0, unused)) return Fail(figure, "cannot run a cycle on " + path);
    const Repeat rounds = CycleRounds(repeat, warm ? 64 : 1);
    const std::optional<double> cost = PerOperation(rounds, [&](size_t round) {
        return CycleRound(figure, round * rounds.batch, rounds.batch, oneCycle);
    });
    ClearIndexCache();
    return cost;
}

std::optional<double> FloorCycle(const std::string& path, const std::vector<Probe>& probes,
                                 const Repeat& repeat) {
    std::vector<size_t> lengths;
    for (const Probe& probe : probes) lengths.push_back(RecordText(probe.record).size() + 1);
    char line[256];
    const Repeat rounds = CycleRounds(repeat, 256);
    return PerOperation(rounds, [&](size_t round) {
        return CycleRound(
            "cycle.floor", round * rounds.batch, rounds.batch, [&](size_t cycle, Stopwatch& watch) {
                watch.Start();
                const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                size_t got = 0;
                for (size_t input = 0; input < CycleInputs; ++input) {
                    const size_t at = (cycle * CycleInputs + input) % probes.size();
                    const ssize_t read = ::pread(fd, line, std::min(lengths[at], sizeof line),
                                                 off_t(probes[at].offset));
                    got += read == ssize_t(std::min(lengths[at], sizeof line));
                }
                ::close(fd);
                watch.Stop();
                return fd >= 0 && got == CycleInputs;
            });
    });
}

// One cycle of SQLite's: open read-only, prepare, the cycle's point SELECTs, finalize, close;
// true when every SELECT delivered the record's four fields.
bool RunSqliteCycle(const std::string& database, const std::vector<Probe>& probes, size_t cycle) {
    sqlite3* handle = nullptr;
    sqlite3_stmt* select = nullptr;
    size_t delivered = 0;
    if (sqlite3_open_v2(database.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(handle, SqliteSelectFields, -1, &select, nullptr) == SQLITE_OK) {
        for (size_t input = 0; input < CycleInputs; ++input) {
            delivered += SqliteSelectRecord(select, ProbeOf(probes, cycle, input).record.key);
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(handle);
    return delivered == 4 * CycleInputs;
}

std::optional<double> SqliteCycle(const std::string& database, const std::vector<Probe>& probes,
                                  const Repeat& repeat) {
    const Repeat rounds = CycleRounds(repeat, 32);
    return PerOperation(rounds, [&](size_t round) {
        return CycleRound("cycle.sqlite", round * rounds.batch, rounds.batch,
                          [&](size_t cycle, Stopwatch& watch) {
                              watch.Start();
                              const bool whole = RunSqliteCycle(database, probes, cycle);
                              watch.Stop();
                              return whole;
                          });
    });
}

}  // namespace Compare
