#include "bench/compare/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Compare {

const std::vector<FigureKind>& FigureKinds() {
    static const std::vector<FigureKind> kinds = {
        {"cycle.module_warm", "cycle",
         "OPEN read-only, 3 INPUTs, CLOSE through the entry operations, index cached",
         Unit::Nanoseconds},
        {"cycle.module_cold", "cycle", "the same cycle with the index cache emptied before it",
         Unit::Nanoseconds},
        {"cycle.ombra_warm", "cycle", "the same cycle in an ombra script, index cached (CPU time)",
         Unit::Nanoseconds},
        {"cycle.floor", "cycle", "open, 3 preads of the lines, close (the limit)",
         Unit::Nanoseconds},
        {"cycle.sqlite", "cycle",
         "SQLite: open read-only, prepare, 3 point SELECTs, finalize, close", Unit::Nanoseconds},
        {"count.cycle_syscalls", "count", "system calls of a warm cycle through ombra (strace)",
         Unit::Count},
        {"count.input_instructions", "count",
         "instructions of an INPUT through the entry operation (cachegrind)", Unit::Count},
        {"count.select_instructions", "count",
         "instructions of a prepared SQLite point SELECT (cachegrind)", Unit::Count},
        {"load.module", "load", "EnsureLoaded: index built from the file", Unit::Nanoseconds},
        {"load.line_pass", "load", "raw read-and-memchr line pass (the limit)", Unit::Nanoseconds},
        {"load.sqlite_import", "load", "SQLite bulk import: one transaction, prepared INSERT",
         Unit::Nanoseconds},
        {"load.unordered_map", "load", "std::unordered_map built from the whole file",
         Unit::Nanoseconds},
        {"lookup.input", "lookup", "INPUT of a random existing key (4 fields)", Unit::Nanoseconds},
        {"lookup.pread", "lookup", "one pread of the line at a known offset (the limit)",
         Unit::Nanoseconds},
        {"lookup.span_pread", "lookup",
         "one pread of the bytes between the two samples around the key (the limit)",
         Unit::Nanoseconds},
        {"lookup.sqlite_default", "lookup", "SQLite prepared point SELECT, default cache",
         Unit::Nanoseconds},
        {"lookup.sqlite_cached", "lookup", "SQLite prepared point SELECT, cache holds the table",
         Unit::Nanoseconds},
        {"lookup.unordered_map", "lookup", "std::unordered_map find, whole file in memory",
         Unit::Nanoseconds},
        {"update.output_in_place", "update", "OUTPUT, same length: written in place",
         Unit::Nanoseconds},
        {"update.output_append", "update", "OUTPUT, new length: appended (compactions excluded)",
         Unit::Nanoseconds},
        {"update.output_append_compacting", "update",
         "OUTPUT, new length: appended, with the compactions it triggers", Unit::Nanoseconds},
        {"update.pwrite", "update", "one pwrite of a line (the limit)", Unit::Nanoseconds},
        {"update.contract_floor", "update",
         "close, open, pread and pwrite of a line: the calls OUTPUT's contract makes (the limit)",
         Unit::Nanoseconds},
        {"update.sqlite_wal", "update",
         "SQLite INSERT OR REPLACE, autocommit, WAL with synchronous=NORMAL", Unit::Nanoseconds},
        {"update.sqlite_autocommit", "update",
         "SQLite INSERT OR REPLACE, autocommit, synchronous=OFF", Unit::Nanoseconds},
        {"update.sqlite_transaction", "update", "SQLite INSERT OR REPLACE, one transaction",
         Unit::Nanoseconds},
        {"save.close", "save", "CLOSE of the file with 1023 tail records (sorted rewrite)",
         Unit::Nanoseconds},
        {"save.copy", "save", "plain file copy (64 KiB blocks)", Unit::Nanoseconds},
        {"save.copy_synced", "save", "file copy, then fsync", Unit::Nanoseconds},
        {"memory.peak_rss", "memory", "peak RSS of a fresh process with the file loaded",
         Unit::Bytes},
        {"memory.start_rss", "memory", "peak RSS of that process before the load", Unit::Bytes},
        {"script.ombra_loop", "script",
         "ombra script loop pass: key arithmetic and INPUT (CPU time)", Unit::Nanoseconds},
        {"script.direct_loop", "script", "the same pass made directly from C++ (CPU time)",
         Unit::Nanoseconds},
        {"script.statement_overhead", "script",
         "interpreter overhead per statement (3 statements a pass)", Unit::Nanoseconds},
    };
    return kinds;
}

const FigureKind* FindFigureKind(std::string_view name) {
    for (const FigureKind& kind : FigureKinds()) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

void FigureSet::Add(Figure figure) {
    for (Figure& known : figures) {
        if (known.name == figure.name && known.records == figure.records) {
            known.value = figure.value;
            return;
        }
    }
    figures.push_back(std::move(figure));
}

std::optional<double> FigureSet::Find(std::string_view name, std::uint64_t records) const {
    for (const Figure& figure : figures) {
        if (figure.name == name && figure.records == records) return figure.value;
    }
    return std::nullopt;
}

std::vector<std::uint64_t> FigureSet::Sizes() const {
    std::vector<std::uint64_t> sizes;
    for (const Figure& figure : figures) {
        if (std::find(sizes.begin(), sizes.end(), figure.records) == sizes.end()) {
            sizes.push_back(figure.records);
        }
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

std::string FormatFigureLine(const Figure& figure) {
    char value[40];
    std::snprintf(value, sizeof value, "%.17g", figure.value);
    return std::to_string(figure.records) + '\t' + figure.name + '\t' + value + '\n';
}

namespace {

// One line in the text form; false when it is not one.
bool ParseFigureLine(std::string_view line, Figure& figure) {
    const size_t first = line.find('\t');
    const size_t second = first == line.npos ? line.npos : line.find('\t', first + 1);
    if (second == line.npos) return false;
    const std::string records(line.substr(0, first));
    const std::string value(line.substr(second + 1));
    char* end = nullptr;
    figure.records = std::strtoull(records.c_str(), &end, 10);
    if (records.empty() || records[0] == '-' || *end != '\0') return false;
    figure.value = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(figure.value)) return false;
    figure.name = std::string(line.substr(first + 1, second - first - 1));
    return FindFigureKind(figure.name) != nullptr;
}

}  // namespace

bool ParseFigures(std::string_view text, FigureSet& set, std::string& error) {
    size_t number = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.empty()) continue;
        Figure figure;
        if (!ParseFigureLine(line, figure)) {
            error = "line " + std::to_string(number) + " is not a figure: " + std::string(line);
            return false;
        }
        set.Add(std::move(figure));
    }
    return true;
}

}  // namespace Compare
