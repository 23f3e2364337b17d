// The generated data sets: what the measurements rely on them to be.
#include <gtest/gtest.h>

#include <map>

#include "bench/compare/data_set.h"
#include "bench/support/bench_support.h"

namespace Compare {
namespace {

TEST(DataSetText, LinesSplitIntoFiveFieldsAndReadBack) {
    const std::pair<const char*, bool> lines[] = {
        {"K1\t12.5\t7\tred\toak shelf", true},
        {"K1\t12.5\t7\tred\t", true},
        {"K1\t12.5\t7\tred", false},
        {"K1\t12.5\t7\tred\toak\textra", false},
        {"K1\t12,5\t7\tred\toak shelf", false},
        {"K1\t12.5\t\tred\toak shelf", false},
        {"K1\t12.5\t7x\tred\toak shelf", false},
        {"", false},
    };
    for (const auto& [line, valid] : lines) {
        Record record;
        EXPECT_EQ(ParseRecordText(line, record), valid) << line;
        if (valid) {
            EXPECT_EQ(RecordText(record), line);
        }
    }
}

// Every line of the file, by ForEachLine.
std::vector<std::string> LinesOf(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ForEachLine(path, [&](std::string_view line) { lines.emplace_back(line); }));
    return lines;
}

TEST(DataSet, SortedRunThenTailWithTheStaleLinesKnown) {
    const BenchSupport::TempFolder folder("data-set-test");
    for (const size_t records : {2, 50, 3000}) {
        const DataSet set = WriteDataSet(folder.Path() + "/data.txt", records);
        const std::vector<std::string> lines = LinesOf(set.path);
        ASSERT_EQ(lines.size(), records + TailLines);
        ASSERT_EQ(set.offsets.size(), lines.size());
        std::map<std::string, size_t> lastLineOfKey;
        size_t bytes = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            Record record;
            ASSERT_TRUE(ParseRecordText(lines[i], record)) << lines[i];
            ASSERT_EQ(set.offsets[i], bytes);
            bytes += lines[i].size() + 1;
            if (i > 0 && i < records) {
                ASSERT_LT(lines[i - 1], lines[i]) << "the run is sorted";
            }
            lastLineOfKey[record.key] = i;
        }
        EXPECT_EQ(set.bytes, bytes);
        EXPECT_LT(lines[records], lines[records - 1]) << "the run ends where the tail starts";
        size_t stale = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const bool live = lastLineOfKey[lines[i].substr(0, lines[i].find('\t'))] == i;
            EXPECT_EQ(set.staleLines.count(i) == 0, live) << "line " << i;
            stale += !live;
        }
        EXPECT_EQ(set.staleLines.size(), stale);
    }
}

TEST(DataSet, ProbesAreLiveLinesAtTheirOffsets) {
    const BenchSupport::TempFolder folder("data-set-test");
    const DataSet set = WriteDataSet(folder.Path() + "/data.txt", 100);
    const std::vector<std::string> lines = LinesOf(set.path);
    std::map<size_t, size_t> lineAtOffset;
    for (size_t i = 0; i < set.offsets.size(); ++i) lineAtOffset[set.offsets[i]] = i;
    for (const bool distinct : {false, true}) {
        const std::vector<Probe> probes = PickProbes(set, 5000, 9, distinct);
        const size_t live = lines.size() - set.staleLines.size();
        ASSERT_EQ(probes.size(), distinct ? live : 5000);
        std::map<size_t, int> seen;
        for (const Probe& probe : probes) {
            ASSERT_EQ(lineAtOffset.count(probe.offset), 1u);
            const size_t line = lineAtOffset[probe.offset];
            EXPECT_EQ(set.staleLines.count(line), 0u);
            EXPECT_EQ(RecordText(probe.record), lines[line]);
            ++seen[line];
        }
        if (distinct) {
            EXPECT_EQ(seen.size(), probes.size());
        }
    }
}

}  // namespace
}  // namespace Compare
