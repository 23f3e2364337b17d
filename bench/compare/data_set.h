// The data sets compared: a sorted run of records followed by an unsorted tail, as a data file
// looks between two saves. A line is a key and four TAB-separated fields, price, quantity, colour
// and description, ended by a carriage return: about 39 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace Compare {

// Lines after the sorted run: one short of the count that makes OUTPUT compact the file.
constexpr size_t TailLines = 1023;

// Run record i has the key "K" followed by the nine digits of FirstKeyNumber + 2 i; the odd
// numbers between them are keys of records the run does not hold.
constexpr std::uint64_t FirstKeyNumber = 100000000;
std::string RunKey(size_t record);

struct Record {
    std::string key;
    double price = 0;  // written with "%g", as OUTPUT writes a real
    int quantity = 0;
    std::string colour;
    std::string description;
};

// The line of `record` without its carriage return.
std::string RecordText(const Record& record);
// The five TAB-separated fields of a line (without its line end); false for another count.
bool SplitFields(std::string_view text, std::array<std::string_view, 5>& fields);
// Splits a line (without its line end) into a record; false unless it has exactly five fields
// with a number and an integer in the second and third.
bool ParseRecordText(std::string_view text, Record& record);

struct DataSet {
    std::string path;
    size_t runRecords = 0;
    std::vector<size_t> offsets;            // of every line, the run's then the tail's
    size_t bytes = 0;                       // the file's length
    std::unordered_set<size_t> staleLines;  // lines (from 0) that a later line replaces
};

// Writes `runRecords` sorted records and TailLines unsorted ones to `path`: the tail replaces
// run records and adds new ones, and its first key is below the run's last, so the sorted run
// ends where the tail starts. Deterministic for a given size. Aborts when `path` cannot be written.
DataSet WriteDataSet(const std::string& path, size_t runRecords);

// Hands every line of the file at `path` to `line`, without its carriage return, in order;
// false when the file cannot be read.
bool ForEachLine(const std::string& path, const std::function<void(std::string_view)>& line);

// One live line of a data set (no later line has its key), read back from the file.
struct Probe {
    size_t offset = 0;
    Record record;
};

// `count` live lines picked at random (`seed`); distinct lines when `distinct` (then at most as
// many as there are). Empty when the file cannot be read or a line does not parse.
std::vector<Probe> PickProbes(const DataSet& set, size_t count, std::uint32_t seed, bool distinct);

}  // namespace Compare
