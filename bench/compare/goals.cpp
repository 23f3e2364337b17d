#include "bench/compare/goals.h"

#include <algorithm>
#include <cstdio>

namespace Compare {

constexpr std::uint64_t Million = 1000000;

constexpr std::uint64_t TenThousand = 10000;
constexpr std::uint64_t HundredThousand = 100000;

const std::vector<GoalRule>& GoalRules() {
    static const std::vector<GoalRule> rules = {
        {"cycle_vs_floor",
         {"cycle.module_warm"},
         HundredThousand,
         {"cycle.floor"},
         HundredThousand,
         Bound::AtMost,
         2,
         "warm cycle time / open, 3 preads and close"},
        {"cycle_speedup_vs_sqlite_10k",
         {"cycle.sqlite"},
         TenThousand,
         {"cycle.module_warm"},
         TenThousand,
         Bound::AtLeast,
         4,
         "SQLite cycle time / warm cycle time"},
        {"cycle_speedup_vs_sqlite_100k",
         {"cycle.sqlite"},
         HundredThousand,
         {"cycle.module_warm"},
         HundredThousand,
         Bound::AtLeast,
         4,
         "SQLite cycle time / warm cycle time"},
        {"cycle_syscalls",
         {"count.cycle_syscalls"},
         HundredThousand,
         {},
         0,
         Bound::AtMost,
         10,
         "system calls of a warm cycle through ombra"},
        {"cold_load_vs_line_pass_10k",
         {"load.module"},
         TenThousand,
         {"load.line_pass"},
         TenThousand,
         Bound::AtMost,
         3,
         "load time / raw line pass"},
        {"cold_load_vs_line_pass_100k",
         {"load.module"},
         HundredThousand,
         {"load.line_pass"},
         HundredThousand,
         Bound::AtMost,
         3,
         "load time / raw line pass"},
        {"cold_load_vs_line_pass_1m",
         {"load.module"},
         Million,
         {"load.line_pass"},
         Million,
         Bound::AtMost,
         3,
         "load time / raw line pass"},
        {"input_instructions_1m",
         {"count.input_instructions"},
         Million,
         {},
         0,
         Bound::AtMost,
         5000,
         "instructions of an INPUT through the entry operation"},
        {"input_instructions_vs_sqlite",
         {"count.select_instructions"},
         Million,
         {"count.input_instructions"},
         Million,
         Bound::AtLeast,
         2,
         "SQLite SELECT instructions / INPUT instructions"},
        {"lookup_vs_span_pread",
         {"lookup.input"},
         Million,
         {"lookup.span_pread"},
         Million,
         Bound::AtMost,
         2,
         "INPUT time / one pread of the span between two samples"},
        {"lookup_speedup_vs_sqlite",
         {"lookup.sqlite_default"},
         Million,
         {"lookup.input"},
         Million,
         Bound::AtLeast,
         6,
         "SQLite point SELECT time / INPUT time"},
        {"output_vs_contract_floor",
         {"update.output_in_place"},
         Million,
         {"update.contract_floor"},
         Million,
         Bound::AtMost,
         1.5,
         "OUTPUT in place / close, open, pread and pwrite of a line"},
        {"save_vs_copy_fsync",
         {"save.close"},
         Million,
         {"save.copy_synced"},
         Million,
         Bound::AtMost,
         1.0,
         "save time / plain copy followed by fsync"},
        {"rss_10m_vs_1m",
         {"memory.peak_rss"},
         10 * Million,
         {"memory.peak_rss"},
         Million,
         Bound::AtMost,
         1.2,
         "peak RSS with 10,000,000 records / with 1,000,000 records (the cached index counted)"},
        {"lookup_vs_pread",
         {"lookup.input"},
         Million,
         {"lookup.pread"},
         Million,
         Bound::Reported,
         0,
         "INPUT time / one pread of a line"},
        {"output_vs_pwrite",
         {"update.output_in_place", "update.output_append"},
         Million,
         {"update.pwrite"},
         Million,
         Bound::Reported,
         0,
         "slower OUTPUT (in place or appended, compactions excluded) / one pwrite of a line"},
        {"output_with_compactions_vs_sqlite_wal_10k",
         {"update.output_append_compacting"},
         TenThousand,
         {"update.sqlite_wal"},
         TenThousand,
         Bound::Reported,
         0,
         "appended OUTPUT with its compactions / SQLite WAL upsert",
         "every 1023rd appended record makes OUTPUT rewrite and reload the whole file "
         "(save.close and load.module), which SQLite's page-wise updates never do"},
        {"output_with_compactions_vs_sqlite_wal_1m",
         {"update.output_append_compacting"},
         Million,
         {"update.sqlite_wal"},
         Million,
         Bound::Reported,
         0,
         "appended OUTPUT with its compactions / SQLite WAL upsert",
         "every 1023rd appended record makes OUTPUT rewrite and reload the whole file "
         "(save.close and load.module), which SQLite's page-wise updates never do"},
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
        !numerator ? std::nullopt
        : rule.denominators.empty()
            ? std::optional(1.0)
            : Largest(rule.denominators, rule.denominatorRecords, figures, missing);
    if (!numerator || !denominator) {
        result.note = "not measured in this run: no figure " + missing;
        return result;
    }
    if (*denominator <= 0) {
        result.note = "not measured in this run: a baseline of 0";
        return result;
    }
    result.measured = *numerator / *denominator;
    if (rule.bound == Bound::Reported) {
        if (rule.whenMissed != nullptr) result.note = rule.whenMissed;
        return result;
    }
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
