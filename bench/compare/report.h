// The published forms of a comparison run: results.json, the Markdown table, and the columns
// the plot is drawn from.
#pragma once

#include <string>
#include <vector>

#include "bench/compare/figures.h"
#include "bench/compare/goals.h"

namespace Compare {

// Where and how the figures were measured, as the report states it.
struct RunInfo {
    std::string generated;  // UTC time of the report
    std::string mode;       // "full" or "quick"
    std::string machine;    // processor and core count
};

std::string ResultsJson(const RunInfo& run, const FigureSet& figures,
                        const std::vector<GoalResult>& goals);
std::string ResultsMarkdown(const RunInfo& run, const FigureSet& figures,
                            const std::vector<GoalResult>& goals);
// A header line "records" and the names of `names`, then one line per size; "?" where a figure is
// missing (gnuplot's missing-data mark).
std::string PlotColumns(const FigureSet& figures, const std::vector<std::string>& names);

// Three significant digits in the largest unit that keeps the number at least 1: "812 ns",
// "3.41 µs", "12.3 ms", "1.52 s"; "1.50 MiB" for bytes.
std::string FormatNanoseconds(double nanoseconds);
std::string FormatBytes(double bytes);
// 1000000 as "1,000,000".
std::string FormatCount(std::uint64_t count);

}  // namespace Compare
