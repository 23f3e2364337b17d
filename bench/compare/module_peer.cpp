#include "bench/compare/module_peer.h"

#include <cstring>
#include <filesystem>

#include "bench/support/bench_support.h"
#include "extension/entry/close.h"
#include "extension/entry/input.h"
#include "extension/entry/output.h"
#include "extension/frame/channel_table.h"
#include "extension/store/index_cache.h"
#include "extension/store/loading.h"

namespace Compare {

using namespace DataOmbraPlugin;

namespace {

constexpr UInt32 Channel = 1;

// Closes the channel's file without a save.
void Release() {
    std::unique_ptr<IO::File> file;
    if (ChannelInfo* info = FindChannelRecord(Channel)) ReleaseChannel(*info, file);
}

// Claims the channel for `path` as OPEN leaves it and loads its index; nullptr (and the channel
// released) on failure.
ChannelInfo* ClaimLoaded(const char* figure, const std::string& path, Int32 mode) {
    std::unique_ptr<IO::File> file = BenchSupport::OpenForReading(path);
    if (!file) {
        Fail(figure, "cannot open " + path);
        return nullptr;
    }
    ClaimChannel(Channel, FindChannelRecord(Channel), file, OpenSettings{DefaultSeparator, mode},
                 false, false);
    ChannelInfo* info = FindChannelRecord(Channel);
    if (info != nullptr) EnsureLoaded(*info);
    if (info == nullptr || !info->loaded) {
        Release();
        Fail(figure, "cannot load " + path);
        return nullptr;
    }
    return info;
}

// Where the next appended line goes: the end entry of the tail index; 0 while it is not loaded.
UInt32 AppendOffset() {
    const ChannelInfo& info = *FindChannelRecord(Channel);
    return info.loaded ? info.tailIndex[info.tailIndex.GetSize()].filePos : 0;
}

// The values of a change as the interpreter passes them: a real, an integer, two strings.
struct ValueList {
    explicit ValueList(const Record& record) : keyText(record.key) {
        OmbraValueRecord value{};
        value.valueType = ValueTypeNumeric;
        value.numericKind = NumericKindReal;
        std::memcpy(value.value.bytes, &record.price, sizeof record.price);
        values.Push(value);
        value = {};
        value.valueType = ValueTypeNumeric;
        value.numericKind = NumericKindInteger;
        value.value.integer = record.quantity;
        values.Push(value);
        for (const std::string* text : {&record.colour, &record.description}) {
            value = {};
            value.valueType = ValueTypeString;
            value.value.stringIndex = strings.GetSize();
            values.Push(value);
            strings.Push(ZR::UniString(text->c_str()));
        }
        key = ZR::UniString(record.key.c_str());
    }
    std::string keyText;
    ZR::UniString key;
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
};

std::vector<ValueList> MakeValueLists(const std::vector<Record>& changes) {
    std::vector<ValueList> lists;
    lists.reserve(changes.size());
    for (const Record& change : changes) lists.emplace_back(change);
    return lists;
}

std::optional<Round> LoadRound(const DataSet& set) {
    std::unique_ptr<IO::File> file = BenchSupport::OpenForReading(set.path);
    if (!file) return Fail("load.module", "cannot open " + set.path);
    ChannelInfo info;
    info.file = std::move(file);
    ClearIndexCache();  // a load from the file, not the index of the round before
    Stopwatch watch;
    watch.Start();
    EnsureLoaded(info);
    watch.Stop();
    if (!info.loaded) return Fail("load.module", "EnsureLoaded failed");
    return Round{set.offsets.size(), watch.Nanoseconds()};
}

std::optional<Round> InputRound(const std::vector<ZR::UniString>& keys, const Batch& batch) {
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    Int32 read = 0;
    size_t delivered = 0;
    Stopwatch watch;
    watch.Start();
    for (size_t i = 0; i < batch.size; ++i) {
        const ZR::UniString& key = keys[(batch.first + i) % keys.size()];
        if (InputFromChannel(Channel, key, fieldId, 4, &read, &values, &strings) == 0) {
            delivered += size_t(read);
        }
    }
    watch.Stop();
    if (delivered != 4 * batch.size) return Fail("lookup.input", "an INPUT missed its record");
    return Round{batch.size, watch.Nanoseconds()};
}

// OUTPUTs of changes that keep their lines' lengths: each must leave the append offset where it
// was (a load of one index entry, no file access, so it stays inside the timing).
std::optional<Round> InPlaceRound(const char* figure, const std::vector<ValueList>& lists,
                                  const Batch& batch) {
    const ZR::UniString fieldId("1");
    const UInt32 end = AppendOffset();
    Stopwatch watch;
    watch.Start();
    for (size_t i = 0; i < batch.size; ++i) {
        const ValueList& list = lists[(batch.first + i) % lists.size()];
        if (OutputToChannel(Channel, list.key, fieldId, &list.values, &list.strings) != 0 ||
            AppendOffset() != end) {
            return Fail(figure, "OUTPUT of " + list.keyText + " failed or appended");
        }
    }
    watch.Stop();
    return Round{batch.size, watch.Nanoseconds()};
}

// One OUTPUT of the append run: its time goes to `cost`, and to the quiet figures unless it
// saved or loaded the file. False when it failed or, quiet, did not append.
bool AppendOne(const ValueList& list, AppendCost& cost, std::vector<double>& quietNanoseconds) {
    const ZR::UniString fieldId("1");
    const bool loadedBefore = FindChannelRecord(Channel)->loaded;
    const UInt32 endBefore = loadedBefore ? AppendOffset() : 0;
    Stopwatch watch;
    watch.Start();
    const Int16 status = OutputToChannel(Channel, list.key, fieldId, &list.values, &list.strings);
    watch.Stop();
    const bool loadedAfter = FindChannelRecord(Channel)->loaded;
    cost.withCompactions += watch.Nanoseconds();
    cost.compactions += loadedBefore && !loadedAfter;
    if (!loadedBefore || !loadedAfter) return status == 0;
    quietNanoseconds.push_back(watch.Nanoseconds());
    return status == 0 && AppendOffset() > endBefore;
}

std::optional<Round> CloseRound(const DataSet& set, const std::string& workPath) {
    constexpr const char* figure = "save.close";
    // The fresh copy is synced before the clock starts: otherwise its write-back (which the file
    // system starts when a truncated file is closed) would still run during the save, which
    // would wait for it to drop the old file and share the disk with it, and the save would be
    // charged for writing its input, which the copy it is compared with is not.
    BenchSupport::CopyBytes(set.path, workPath, true);
    ChannelInfo* info = ClaimLoaded(figure, workPath, ModeWriteAppend);
    if (info == nullptr) return std::nullopt;
    info->modified = 1;
    Stopwatch watch;
    watch.Start();
    const Int16 status = CloseDataChannel(Channel);
    watch.Stop();
    std::error_code error;
    const auto saved = std::filesystem::file_size(workPath, error);
    if (status != 0 || FindChannelRecord(Channel) != nullptr || error || saved >= set.bytes ||
        std::filesystem::exists(workPath + ".tmp")) {
        return Fail(figure, "the save did not rewrite the file");
    }
    return Round{1, watch.Nanoseconds()};
}

}  // namespace

std::optional<double> ModuleLoad(const DataSet& set, const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t) { return LoadRound(set); });
}

std::optional<double> ModuleInput(const std::string& path, const std::vector<Probe>& probes,
                                  const Repeat& repeat) {
    std::vector<ZR::UniString> keys;
    for (const Probe& probe : probes) keys.emplace_back(probe.record.key.c_str());
    std::unique_ptr<IO::File> file = BenchSupport::OpenForReading(path);
    if (!file) return Fail("lookup.input", "cannot open " + path);
    ClaimChannel(Channel, FindChannelRecord(Channel), file, OpenSettings{}, false, false);
    const std::optional<double> cost = PerOperation(repeat, [&](size_t round) {
        return InputRound(keys, RoundBatch(round, repeat.batch, keys.size()));
    });
    Release();
    return cost;
}

std::optional<double> ModuleOutputInPlace(const std::string& workPath,
                                          const std::vector<Record>& changes,
                                          const Repeat& repeat) {
    constexpr const char* figure = "update.output_in_place";
    const std::vector<ValueList> lists = MakeValueLists(changes);
    if (ClaimLoaded(figure, workPath, ModeWriteAppend) == nullptr) return std::nullopt;
    const std::optional<double> cost = PerOperation(repeat, [&](size_t round) {
        return InPlaceRound(figure, lists, RoundBatch(round, repeat.batch, lists.size()));
    });
    Release();
    return cost;
}

std::optional<AppendCost> ModuleOutputAppend(const std::string& workPath,
                                             const std::vector<Record>& changes) {
    constexpr const char* figure = "update.output_append";
    const std::vector<ValueList> lists = MakeValueLists(changes);
    if (ClaimLoaded(figure, workPath, ModeWriteAppend) == nullptr) return std::nullopt;
    AppendCost cost;
    std::vector<double> quietNanoseconds;
    bool failed = false;
    for (const ValueList& list : lists) failed = failed || !AppendOne(list, cost, quietNanoseconds);
    Release();
    if (failed || quietNanoseconds.empty()) {
        return Fail(figure, "an OUTPUT failed or did not append");
    }
    cost.withCompactions /= double(lists.size());
    cost.withoutCompactions = Median(std::move(quietNanoseconds));
    return cost;
}

std::optional<double> ModuleClose(const DataSet& set, const std::string& workPath,
                                  const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t) { return CloseRound(set, workPath); });
}

}  // namespace Compare
