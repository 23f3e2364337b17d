#include "bench/compare/instructions.h"

#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "bench/compare/child_process.h"
#include "bench/compare/cycle.h"
#include "bench/compare/sqlite_peer.h"
#include "bench/compare/timing.h"
#include "bench/support/bench_support.h"
#include "extension/entry/close.h"
#include "extension/entry/input.h"
#include "extension/entry/open.h"
#include "extension/frame/channel_table.h"

namespace Compare {

namespace {

// The pseudo-random run records both kinds look up: as many for every count, so that the
// difference between two runs holds nothing but operations.
std::vector<std::string> PickKeys(size_t runRecords) {
    std::vector<std::string> keys;
    std::uint64_t x = 12345;
    for (int i = 0; i <= CountedOperations; ++i) {
        x = x * 16807 % 2147483647;
        keys.push_back(RunKey(x % runRecords));
    }
    return keys;
}

bool RunInputs(const std::string& path, const std::vector<std::string>& keys, size_t count) {
    using namespace DataOmbraPlugin;
    BenchSupport::PrepareCore();
    std::unique_ptr<IO::File> file = BenchSupport::OpenForReading(path);
    if (!file) return false;
    ClaimChannel(1, FindChannelRecord(1), file, OpenSettings{}, false, false);
    std::vector<ZR::UniString> texts;
    for (const std::string& key : keys) texts.emplace_back(key.c_str());
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    size_t delivered = 0;
    for (size_t i = 0; i < count; ++i) {
        Int32 read = 0;
        if (InputFromChannel(1, texts[i], fieldId, 4, &read, &values, &strings) == 0) {
            delivered += size_t(read);
        }
    }
    ReleaseChannel(*FindChannelRecord(1), file);
    return delivered == 4 * count;
}

// Cycles of OPEN read-only, CycleInputs INPUTs and CLOSE through the entry operations; the first
// cycle loads the index that the others reuse.
bool RunCycles(const std::string& path, const std::vector<std::string>& keys, size_t count) {
    using namespace DataOmbraPlugin;
    BenchSupport::PrepareCore();
    const ZR::UniString name(path.c_str(), CC_UTF8);
    const ZR::UniString parameters("MODE=RO");
    std::vector<ZR::UniString> texts;
    for (const std::string& key : keys) texts.emplace_back(key.c_str());
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    ZRHandle remembered = nullptr;
    size_t delivered = 0;
    for (size_t i = 0; i < count; ++i) {
        if (OpenDataChannel(1, name, parameters, &remembered) != 0) return false;
        for (size_t input = 0; input < CycleInputs; ++input) {
            Int32 read = 0;
            const ZR::UniString& key = texts[(CycleInputs * i + input) % texts.size()];
            if (InputFromChannel(1, key, fieldId, 4, &read, &values, &strings) == 0) {
                delivered += size_t(read);
            }
        }
        if (CloseDataChannel(1) != 0) return false;
    }
    return delivered == 4 * CycleInputs * count;
}

bool RunSelects(const std::string& path, const std::vector<std::string>& keys, size_t count) {
    sqlite3* database = nullptr;
    sqlite3_stmt* select = nullptr;
    size_t delivered = 0;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(database, SqliteSelectFields, -1, &select, nullptr) == SQLITE_OK) {
        for (size_t i = 0; i < count; ++i) delivered += SqliteSelectRecord(select, keys[i]);
    }
    sqlite3_finalize(select);
    sqlite3_close(database);
    return delivered == 4 * count;
}

// The "I refs" total of a cachegrind log.
std::optional<double> InstructionsOf(const std::string& log) {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find("I   refs:");
        if (at == std::string::npos) continue;
        std::string digits;
        for (const char c : line.substr(at)) {
            if (c >= '0' && c <= '9') digits += c;
        }
        if (!digits.empty()) return std::strtod(digits.c_str(), nullptr);
    }
    return std::nullopt;
}

}  // namespace

int RunOperations(const std::string& kind, const std::string& path, size_t runRecords, int count) {
    if (count < 0 || count > CountedOperations) return 2;
    const std::vector<std::string> keys = PickKeys(runRecords);
    const size_t operations = size_t(count) + 1;  // the first loads or warms
    if (kind == "input") return RunInputs(path, keys, operations) ? 0 : 1;
    if (kind == "select") return RunSelects(path, keys, operations) ? 0 : 1;
    if (kind == "cycle") return RunCycles(path, keys, operations) ? 0 : 1;
    return 2;
}

std::optional<double> InstructionsPerOperation(const std::string& kind, const std::string& path,
                                               size_t runRecords, const std::string& folder) {
    const std::string figure = "instructions." + kind;
    std::optional<double> totals[2];
    for (const int count : {0, CountedOperations}) {
        const std::string log = folder + "/cachegrind-" + kind + std::to_string(count) + ".txt";
        const std::optional<ProgramRun> run = RunProgram(
            {"valgrind", "--tool=cachegrind", "--cache-sim=no", "--cachegrind-out-file=/dev/null",
             "--log-file=" + log, OwnProgramPath(), "operations", kind, path,
             std::to_string(runRecords), std::to_string(count)});
        if (!run || run->exitStatus != 0) return Fail(figure.c_str(), "valgrind run failed");
        totals[count == 0 ? 0 : 1] = InstructionsOf(log);
    }
    if (!totals[0] || !totals[1]) return Fail(figure.c_str(), "no I refs in valgrind's log");
    return (*totals[1] - *totals[0]) / CountedOperations;
}

}  // namespace Compare
