// The harness's own pieces that decide what is published: reading figures back, judging goals,
// and writing JSON and the tables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bench/compare/figures.h"
#include "bench/compare/goals.h"
#include "bench/compare/json_writer.h"
#include "bench/compare/report.h"
#include "bench/compare/timing.h"

namespace Compare {
namespace {

TEST(FigureText, ValuesSurviveTheRoundTripExactly) {
    FigureSet written;
    written.Add({10000, "lookup.input", 1234.5678901234567});
    written.Add({1000000, "memory.peak_rss", 3.0e9});
    written.Add({10000, "lookup.input", 0.1});  // replaces the first
    std::string text = "\n";
    for (const Figure& figure : written.All()) text += FormatFigureLine(figure) + "\n";
    FigureSet read;
    std::string error;
    ASSERT_TRUE(ParseFigures(text, read, error)) << error;
    ASSERT_EQ(read.All().size(), 2u);
    EXPECT_EQ(read.Find("lookup.input", 10000), 0.1);
    EXPECT_EQ(read.Find("memory.peak_rss", 1000000), 3.0e9);
    EXPECT_FALSE(read.Find("lookup.input", 1000000));
    EXPECT_EQ(read.Sizes(), (std::vector<std::uint64_t>{10000, 1000000}));
}

TEST(FigureText, RejectsEveryMalformedLineByNumber) {
    const char* const malformed[] = {
        "10000 lookup.input 12",    "10000\tlookup.input",      "-5\tlookup.input\t12",
        "\tlookup.input\t12",       "10000\tlookup.input\t",    "10000\tlookup.input\t12x",
        "10000\tlookup.inputs\t12", "10000\tlookup.input\tinf", "10000\tlookup.input\tnan",
        "1e4\tlookup.input\t12",
    };
    for (const char* line : malformed) {
        FigureSet set;
        std::string error;
        EXPECT_FALSE(ParseFigures(std::string("10\tsave.copy\t5\n\n") + line + "\n", set, error))
            << line;
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
        EXPECT_EQ(set.Find("save.copy", 10), 5) << "figures before the bad line are kept";
    }
}

TEST(Goals, EveryRuleNamesKnownFigures) {
    for (const GoalRule& rule : GoalRules()) {
        for (const auto* names : {&rule.numerators, &rule.denominators}) {
            for (const char* name : *names) EXPECT_NE(FindFigureKind(name), nullptr) << name;
        }
    }
}

TEST(Goals, RatiosAreJudgedAgainstTheirBound) {
    const GoalRule atMost{"slow", {"lookup.input", "lookup.sqlite_cached"},
                          10,     {"lookup.pread"},
                          10,     Bound::AtMost,
                          2,      "ours / limit"};
    GoalRule atLeast = atMost;
    atLeast.bound = Bound::AtLeast;
    struct Case {
        const GoalRule* rule;
        double input, cached, pread;
        double ratio;
        bool met;
    };
    const Case cases[] = {
        {&atMost, 200, 1, 100, 2.0, true},  // on the target counts as met
        {&atMost, 201, 1, 100, 2.01, false},
        {&atMost, 100, 300, 100, 3.0, false},  // the larger numerator decides
        {&atLeast, 200, 1, 100, 2.0, true},
        {&atLeast, 199, 1, 100, 1.99, false},
    };
    for (const Case& c : cases) {
        FigureSet figures;
        figures.Add({10, "lookup.input", c.input});
        figures.Add({10, "lookup.sqlite_cached", c.cached});
        figures.Add({10, "lookup.pread", c.pread});
        figures.Add({20, "lookup.pread", 1e9});  // another size must not be used
        const GoalResult result = EvaluateGoal(*c.rule, figures);
        ASSERT_TRUE(result.measured);
        EXPECT_NEAR(*result.measured, c.ratio, 1e-12);
        EXPECT_EQ(result.met, c.met);
        EXPECT_EQ(result.note.empty(), c.met) << result.note;
        if (!c.met) {
            EXPECT_NE(result.note.find(c.rule->meaning), std::string::npos);
            EXPECT_EQ(result.note.find(';'), std::string::npos) << "no cause given, none added";
        }
    }
}

TEST(Goals, MissingOrZeroBaselineIsNotMeasured) {
    const GoalRule rule{"rss", {"memory.peak_rss"}, 20,  {"memory.peak_rss"},
                        10,    Bound::AtMost,       1.2, "peak / peak"};
    FigureSet onlySmall;
    onlySmall.Add({10, "memory.peak_rss", 5});
    FigureSet zeroBaseline = onlySmall;
    zeroBaseline.Add({10, "memory.peak_rss", 0});
    zeroBaseline.Add({20, "memory.peak_rss", 5});
    for (const FigureSet* figures : {&onlySmall, &zeroBaseline}) {
        const GoalResult result = EvaluateGoal(rule, *figures);
        EXPECT_FALSE(result.measured);
        EXPECT_FALSE(result.met);
        EXPECT_NE(result.note.find("not measured"), std::string::npos);
    }
    EXPECT_NE(EvaluateGoal(rule, onlySmall).note.find("memory.peak_rss at 20"), std::string::npos);
}

TEST(Timing, RoundsStopAtTheirLimitsAndKeepTheChosenStatistic) {
    // Round r does 2 operations at costs[r % 5] ns each.
    const double costs[] = {5, 1, 9, 3, 7};
    struct Case {
        Repeat repeat;
        size_t expectedRounds;
        double expected;
    };
    const Case cases[] = {
        {{3, 10, 0, Statistic::Fastest, 0}, 3, 1},      // no budget: the minimum of rounds
        {{3, 10, 0, Statistic::Median, 0}, 3, 5},       // 5, 1, 9
        {{1, 4, 1, Statistic::Median, 0}, 4, 5},        // budget left: the maximum; 5, 1, 9, 3
        {{2, 100, 40e-9, Statistic::Median, 0}, 5, 5},  // 10 + 2 + 18 + 6 ns < 40, then 14 more
        {{5, 5, 1, Statistic::Fastest, 0}, 5, 1},
    };
    for (const Case& c : cases) {
        size_t rounds = 0;
        const std::optional<double> result = PerOperation(c.repeat, [&](size_t round) {
            EXPECT_EQ(round, rounds++);
            return std::optional<Round>(Round{2, 2 * costs[round % 5]});
        });
        EXPECT_EQ(rounds, c.expectedRounds);
        ASSERT_TRUE(result);
        EXPECT_EQ(*result, c.expected);
    }
    size_t calls = 0;
    EXPECT_FALSE(PerOperation({3, 10, 1, Statistic::Median, 0}, [&](size_t) {
        return ++calls == 2 ? std::nullopt : std::optional<Round>(Round{1, 1});
    }));
    EXPECT_EQ(calls, 2u) << "a failed round ends the measurement";
    EXPECT_EQ(Median({4, 1, 3}), 3);
    EXPECT_EQ(Median({4, 1, 3, 2}), 3);
}

TEST(Timing, BatchesTakeTheItemsInTurn) {
    const std::pair<Batch, Batch> cases[] = {
        {RoundBatch(7, 0, 10), {0, 10}},  // no batch: every item every round
        {RoundBatch(0, 4, 10), {0, 4}},
        {RoundBatch(2, 4, 10), {8, 4}},  // items 8, 9, 0, 1
        {RoundBatch(3, 4, 10), {2, 4}},
    };
    for (const auto& [batch, expected] : cases) {
        EXPECT_EQ(batch.first, expected.first);
        EXPECT_EQ(batch.size, expected.size);
    }
}

TEST(Json, StringsAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"tab\there\r\n", "\"tab\\there\\r\\n\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x1f", "\"\\u001f\""},
        {"µs", "\"µs\""},
    };
    for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteJson(text), quoted);
}

TEST(Json, NestingCommasAndNonFiniteNumbers) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.Number(1.5);
    json.Number(std::numeric_limits<double>::infinity());
    json.Number(std::nan(""));
    json.Integer(-7);
    json.EndArray();
    json.Key("empty");
    json.BeginObject();
    json.EndObject();
    json.Key("b");
    json.Bool(false);
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\n  \"a\": [\n    1.5,\n    null,\n    null,\n    -7\n  ],\n"
              "  \"empty\": {},\n  \"b\": false\n}\n");
}

TEST(Formatting, UnitsSwitchWhereTheNumberReachesTheNext) {
    const std::pair<double, const char*> durations[] = {
        {0.5, "0.50 ns"},   {9.994, "9.99 ns"}, {99.94, "99.9 ns"},
        {999.4, "999 ns"},  {999.6, "1.00 µs"}, {1500, "1.50 µs"},
        {2.5e7, "25.0 ms"}, {4e12, "4000 s"},   {-3240, "-3.24 µs"},
    };
    for (const auto& [nanoseconds, text] : durations)
        EXPECT_EQ(FormatNanoseconds(nanoseconds), text);
    EXPECT_EQ(FormatBytes(1023), "1023 bytes");
    EXPECT_EQ(FormatBytes(1536 * 1024), "1.50 MiB");
    const std::pair<std::uint64_t, const char*> counts[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {10000000, "10,000,000"}};
    for (const auto& [count, text] : counts) EXPECT_EQ(FormatCount(count), text);
}

TEST(Markdown, MissedGoalsAndMissingFiguresAreShown) {
    FigureSet figures;
    figures.Add({1000, "lookup.input", 2500});
    figures.Add({2000, "lookup.pread", 800});
    GoalResult missed;
    missed.name = "lookup_vs_pread";
    missed.measured = 3.125;
    missed.target = 2;
    missed.met = false;
    missed.note = "not met in this run";
    const std::string text = ResultsMarkdown({"now", "quick", "here"}, figures, {missed});
    EXPECT_NE(text.find("| `lookup_vs_pread` | 3.12 | at most 2 | **no** | not met in this run |"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("| 1,000 | 2,000 |"), std::string::npos) << text;
    EXPECT_NE(text.find("(4 fields) | 2.50 µs | - |"), std::string::npos) << text;
    EXPECT_EQ(text.find("### Save"), std::string::npos) << "a group without figures is left out";
}

}  // namespace
}  // namespace Compare
