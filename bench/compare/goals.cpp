#include "bench/compare/goals.h"

#include <algorithm>
#include <cstdio>

namespace Compare {

constexpr std::uint64_t Million = 1000000;

const std::vector<GoalRule>& GoalRules() {
    static const std::vector<GoalRule> rules = {
        {"load_vs_line_pass",
         {"load.module"},
         Million,
         {"load.line_pass"},
         Million,
         Bound::AtMost,
         4,
         "load time / raw line pass"},
        {"lookup_vs_pread",
         {"lookup.input"},
         Million,
         {"lookup.pread"},
         Million,
         Bound::AtMost,
         2,
         "INPUT time / one pread of a line"},
        {"lookup_speedup_vs_sqlite",
         {"lookup.sqlite_default"},
         Million,
         {"lookup.input"},
         Million,
         Bound::AtLeast,
         4,
         "SQLite point SELECT time / INPUT time"},
        {"output_vs_pwrite",
         {"update.output_in_place", "update.output_append"},
         Million,
         {"update.pwrite"},
         Million,
         Bound::AtMost,
         6,
         "slower OUTPUT (in place or appended, compactions excluded) / one pwrite of a line"},
        {"output_speedup_vs_sqlite_autocommit",
         {"update.sqlite_autocommit"},
         Million,
         {"update.output_in_place", "update.output_append_compacting"},
         Million,
         Bound::AtLeast,
         4,
         "SQLite autocommit upsert time / slower OUTPUT (compactions included)",
         "every 1023rd appended record makes OUTPUT rewrite and reload the whole file "
         "(save.close and load.module), which SQLite's page-wise updates never do"},
        {"save_vs_copy",
         {"save.close"},
         Million,
         {"save.copy"},
         Million,
         Bound::AtMost,
         3,
         "save time / plain file copy",
         "the save syncs the file it writes and the plain copy does not (compare "
         "save.copy_synced)"},
        {"rss_10m_vs_1m",
         {"memory.peak_rss"},
         10 * Million,
         {"memory.peak_rss"},
         Million,
         Bound::AtMost,
         1.2,
         "peak RSS with 10,000,000 records / with 1,000,000 records"},
    };
    return rules;
}

namespace {

// The largest of the named figures at `records`; the first missing name when one is missing.
std::optional<double> Largest(const std::vector<const char*>& names, std::uint64_t records,
                              const FigureSet& figures, std::string& missing) {
    std::optional<double> largest;
    for (const char* name : names) {
        const std::optional<double> value = figures.Find(name, records);
        if (!value) {
            missing = std::string(name) + " at " + std::to_string(records) + " records";
            return std::nullopt;
        }
        largest = std::max(largest.value_or(*value), *value);
    }
    return largest;
}

std::string FormatRatio(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    return text;
}

}  // namespace

GoalResult EvaluateGoal(const GoalRule& rule, const FigureSet& figures) {
    GoalResult result;
    result.name = rule.name;
    result.bound = rule.bound;
    result.target = rule.target;
    std::string missing;
    const std::optional<double> numerator =
        Largest(rule.numerators, rule.numeratorRecords, figures, missing);
    const std::optional<double> denominator =
        numerator ? Largest(rule.denominators, rule.denominatorRecords, figures, missing)
                  : std::nullopt;
    if (!numerator || !denominator) {
        result.note = "not measured in this run: no figure " + missing;
        return result;
    }
    if (*denominator <= 0) {
        result.note = "not measured in this run: a baseline of 0";
        return result;
    }
    result.measured = *numerator / *denominator;
    result.met = rule.bound == Bound::AtMost ? *result.measured <= rule.target
                                             : *result.measured >= rule.target;
    if (!*result.met) {
        result.note = std::string("not met in this run: ") + rule.meaning + " is " +
                      FormatRatio(*result.measured) +
                      (rule.bound == Bound::AtMost ? ", above " : ", below ") +
                      FormatRatio(rule.target);
        if (rule.whenMissed != nullptr) result.note += std::string("; ") + rule.whenMissed;
    }
    return result;
}

std::vector<GoalResult> EvaluateGoals(const std::vector<GoalRule>& rules,
                                      const FigureSet& figures) {
    std::vector<GoalResult> results;
    for (const GoalRule& rule : rules) results.push_back(EvaluateGoal(rule, figures));
    return results;
}

}  // namespace Compare
