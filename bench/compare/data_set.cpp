#include "bench/compare/data_set.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unordered_map>
#include <utility>

#include "bench/support/bench_support.h"

namespace Compare {

namespace {

constexpr const char* Colours[] = {"red",   "tan",   "blue",  "grey",  "pink",
                                   "green", "black", "white", "brown", "olive"};
constexpr const char* Items[] = {"shelf",  "hinge", "panel", "handle", "drawer",
                                 "plinth", "door",  "leg",   "rail",   "bracket"};
constexpr const char* Materials[] = {"oak", "steel", "glass", "birch", "walnut", "zinc"};

// A well-mixed 64-bit value for `n`: the fields of a line are drawn from it.
std::uint64_t Mix(std::uint64_t n) {
    n += 0x9E3779B97F4A7C15ull;
    n = (n ^ (n >> 30)) * 0xBF58476D1CE4E5B9ull;
    n = (n ^ (n >> 27)) * 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

Record MakeRecord(std::string key, std::uint64_t seed) {
    const std::uint64_t bits = Mix(seed);
    Record record;
    record.key = std::move(key);
    record.price = double(100 + bits % 99900) / 100;
    record.quantity = int(1 + (bits >> 20) % 999);
    record.colour = Colours[(bits >> 32) % std::size(Colours)];
    record.description = std::string(Materials[(bits >> 40) % std::size(Materials)]) + " " +
                         Items[(bits >> 48) % std::size(Items)];
    return record;
}

// Tail line j replaces a run record below the last (j = 0 always, so the run ends before it) or
// adds a record between two run records.
Record TailRecord(size_t runRecords, size_t j, size_t& replaced) {
    const std::uint64_t bits = Mix(~std::uint64_t(j));
    const size_t record = runRecords < 2 ? 0 : bits % (runRecords - 1);
    const bool replaces = j == 0 || (bits >> 60) % 2 == 0;
    replaced = replaces ? record : SIZE_MAX;
    const std::string key =
        replaces ? RunKey(record) : BenchSupport::Key(FirstKeyNumber + 2 * record + 1);
    return MakeRecord(key, bits);
}

}  // namespace

std::string RunKey(size_t record) {
    return BenchSupport::Key(FirstKeyNumber + 2 * record);
}

std::string RecordText(const Record& record) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "\t%g\t%d\t", record.price, record.quantity);
    return record.key + numbers + record.colour + "\t" + record.description;
}

bool SplitFields(std::string_view text, std::array<std::string_view, 5>& fields) {
    size_t count = 0;
    for (size_t start = 0;; ++count) {
        const size_t tab = text.find('\t', start);
        if (count == fields.size()) return false;
        fields[count] = text.substr(start, tab == text.npos ? text.npos : tab - start);
        if (tab == text.npos) return count + 1 == fields.size();
        start = tab + 1;
    }
}

bool ParseRecordText(std::string_view text, Record& record) {
    std::array<std::string_view, 5> fields;
    if (!SplitFields(text, fields)) return false;
    const std::string price(fields[1]);
    const std::string quantity(fields[2]);
    char* priceEnd = nullptr;
    char* quantityEnd = nullptr;
    record.price = std::strtod(price.c_str(), &priceEnd);
    record.quantity = int(std::strtol(quantity.c_str(), &quantityEnd, 10));
    if (price.empty() || *priceEnd != '\0' || quantity.empty() || *quantityEnd != '\0') {
        return false;
    }
    record.key = fields[0];
    record.colour = fields[3];
    record.description = fields[4];
    return true;
}

bool ForEachLine(const std::string& path, const std::function<void(std::string_view)>& line) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<char> block(1 << 20);
    std::string partial;  // the start of a line that the previous block ended in
    ssize_t got;
    while ((got = read(fd, block.data(), block.size())) > 0) {
        std::string_view rest(block.data(), size_t(got));
        for (size_t end; (end = rest.find('\r')) != rest.npos; rest.remove_prefix(end + 1)) {
            if (partial.empty()) {
                line(rest.substr(0, end));
            } else {
                line(partial.append(rest.substr(0, end)));
                partial.clear();
            }
        }
        partial.append(rest);
    }
    close(fd);
    if (!partial.empty()) line(partial);
    return got == 0;
}

DataSet WriteDataSet(const std::string& path, size_t runRecords) {
    DataSet set;
    set.path = path;
    set.runRecords = runRecords;
    std::unordered_map<std::string, size_t> tailLineOfKey;
    set.offsets = BenchSupport::WriteDataFile(
        path, runRecords + TailLines, [&](size_t line, std::string& text) {
            size_t replaced = SIZE_MAX;
            const Record record = line < runRecords
                                      ? MakeRecord(RunKey(line), line)
                                      : TailRecord(runRecords, line - runRecords, replaced);
            if (replaced != SIZE_MAX) set.staleLines.insert(replaced);
            if (line >= runRecords) {
                const auto [earlier, first] = tailLineOfKey.try_emplace(record.key, line);
                if (!first) set.staleLines.insert(std::exchange(earlier->second, line));
            }
            text += RecordText(record);
            text += '\r';
        });
    std::error_code error;
    set.bytes = size_t(std::filesystem::file_size(path, error));
    return set;
}

namespace {

// Line `line` of the set, read with one pread; false when it cannot be read or parsed.
bool ReadProbe(int fd, const DataSet& set, size_t line, Probe& probe) {
    const size_t end = line + 1 < set.offsets.size() ? set.offsets[line + 1] : set.bytes;
    std::string text(end - set.offsets[line], '\0');
    if (text.empty() ||
        pread(fd, text.data(), text.size(), off_t(set.offsets[line])) != ssize_t(text.size())) {
        return false;
    }
    text.pop_back();  // the carriage return
    probe.offset = set.offsets[line];
    return ParseRecordText(text, probe.record);
}

}  // namespace

std::vector<Probe> PickProbes(const DataSet& set, size_t count, std::uint32_t seed, bool distinct) {
    const size_t live = set.offsets.size() - set.staleLines.size();
    if (distinct) count = std::min(count, live);
    std::vector<Probe> probes(count);
    std::unordered_set<size_t> taken;
    std::mt19937_64 random(seed);
    const int fd = open(set.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    for (size_t i = 0; i < count;) {
        const size_t line = random() % set.offsets.size();
        if (set.staleLines.count(line) != 0 || (distinct && !taken.insert(line).second)) continue;
        if (!ReadProbe(fd, set, line, probes[i++])) {
            probes.clear();
            break;
        }
    }
    close(fd);
    return probes;
}

}  // namespace Compare
