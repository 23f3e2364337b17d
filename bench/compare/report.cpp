#include "bench/compare/report.h"

#include <cstdio>

#include "bench/compare/json_writer.h"

namespace Compare {

namespace {

// `value` in the largest of `units` (each `step` times the one before) that keeps it at least 1.
std::string FormatScaled(double value, double step, const std::vector<const char*>& units) {
    if (value < 0) return std::string("-").append(FormatScaled(-value, step, units));
    size_t unit = 0;
    while (unit + 1 < units.size() && value >= step * 0.9995) {
        value /= step;
        ++unit;
    }
    const char* format = value < 9.995 ? "%.2f %s" : value < 99.95 ? "%.1f %s" : "%.0f %s";
    char text[48];
    std::snprintf(text, sizeof text, format, value, units[unit]);
    return text;
}

const char* UnitName(Unit unit) {
    switch (unit) {
        case Unit::Bytes:
            return "bytes";
        case Unit::Count:
            return "per operation";
        case Unit::Nanoseconds:
            break;
    }
    return "ns per operation";
}

std::string FormatValue(const FigureKind& kind, double value) {
    if (kind.unit == Unit::Count) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", value);
        return text;
    }
    return kind.unit == Unit::Bytes ? FormatBytes(value) : FormatNanoseconds(value);
}

const char* BoundWords(Bound bound) {
    switch (bound) {
        case Bound::AtMost:
            return "at most";
        case Bound::AtLeast:
            return "at least";
        case Bound::Reported:
            break;
    }
    return "reported";
}

// What one operation is in each group's table.
struct GroupInfo {
    const char* group;
    const char* heading;
};

const std::vector<GroupInfo>& Groups() {
    static const std::vector<GroupInfo> groups = {
        {"cycle", "Cycle: OPEN read-only, 3 INPUTs, CLOSE, as object scripts run it (per cycle)"},
        {"count", "Counts per operation (the same on any machine)"},
        {"load", "Load: cost per record"},
        {"lookup", "Lookup: cost per lookup"},
        {"update", "Update: cost per change"},
        {"save", "Save: cost of one save of the whole file"},
        {"memory", "Memory: peak resident set"},
        {"script", "Script host: cost per loop pass of 100,000 INPUTs"},
    };
    return groups;
}

void WriteFigureJson(JsonWriter& json, const FigureKind& kind, const FigureSet& figures) {
    json.BeginObject();
    json.Member("name", kind.name);
    json.Member("group", kind.group);
    json.Member("label", kind.label);
    json.Member("unit", UnitName(kind.unit));
    json.Key("values");
    json.BeginObject();
    for (const std::uint64_t records : figures.Sizes()) {
        if (const auto value = figures.Find(kind.name, records)) {
            json.Key(std::to_string(records));
            json.Number(*value);
        }
    }
    json.EndObject();
    json.EndObject();
}

bool HasFigure(const FigureKind& kind, const FigureSet& figures) {
    for (const Figure& figure : figures.All()) {
        if (figure.name == kind.name) return true;
    }
    return false;
}

void WriteGoalJson(JsonWriter& json, const GoalResult& goal) {
    json.BeginObject();
    json.Member("name", goal.name);
    json.Key("measured");
    goal.measured ? json.Number(*goal.measured) : json.Null();
    json.Key("target");
    goal.bound == Bound::Reported ? json.Null() : json.Number(goal.target);
    json.Member("bound", BoundWords(goal.bound));
    json.Key("met");
    goal.met ? json.Bool(*goal.met) : json.Null();
    if (!goal.note.empty()) json.Member("note", goal.note);
    json.EndObject();
}

std::string GoalRow(const GoalResult& goal) {
    char measured[32] = "-";
    if (goal.measured) std::snprintf(measured, sizeof measured, "%.2f", *goal.measured);
    char target[48] = "-";
    if (goal.bound != Bound::Reported) {
        std::snprintf(target, sizeof target, "%s %g", BoundWords(goal.bound), goal.target);
    }
    const char* met = goal.bound == Bound::Reported ? "reported"
                      : !goal.met                   ? "not measured"
                      : *goal.met                   ? "yes"
                                                    : "**no**";
    return "| `" + goal.name + "` | " + measured + " | " + target + " | " + met + " | " +
           goal.note + " |\n";
}

// Appends one table cell: " text |".
void AppendCell(std::string& row, const std::string& text) {
    row += ' ';
    row += text;
    row += " |";
}

std::string GroupTable(const GroupInfo& group, const FigureSet& figures) {
    const std::vector<std::uint64_t> sizes = figures.Sizes();
    std::string table = "\n### " + std::string(group.heading) + "\n\n| operation |";
    std::string rule = "| --- |";
    for (const std::uint64_t records : sizes) {
        AppendCell(table, FormatCount(records));
        rule += " ---: |";
    }
    table += "\n" + rule + "\n";
    bool any = false;
    for (const FigureKind& kind : FigureKinds()) {
        if (kind.group != std::string_view(group.group) || !HasFigure(kind, figures)) continue;
        any = true;
        table += "|";
        AppendCell(table, kind.label);
        for (const std::uint64_t records : sizes) {
            const auto value = figures.Find(kind.name, records);
            AppendCell(table, value ? FormatValue(kind, *value) : "-");
        }
        table += "\n";
    }
    return any ? table : std::string();
}

}  // namespace

std::string FormatNanoseconds(double nanoseconds) {
    return FormatScaled(nanoseconds, 1000, {"ns", "µs", "ms", "s"});
}

std::string FormatBytes(double bytes) {
    return FormatScaled(bytes, 1024, {"bytes", "KiB", "MiB", "GiB"});
}

std::string FormatCount(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::string ResultsJson(const RunInfo& run, const FigureSet& figures,
                        const std::vector<GoalResult>& goals) {
    JsonWriter json;
    json.BeginObject();
    json.Member("generated", run.generated);
    json.Member("mode", run.mode);
    json.Member("machine", run.machine);
    json.Key("sizes");
    json.BeginArray();
    for (const std::uint64_t records : figures.Sizes()) json.Integer(std::int64_t(records));
    json.EndArray();
    json.Key("figures");
    json.BeginArray();
    for (const FigureKind& kind : FigureKinds()) {
        if (HasFigure(kind, figures)) WriteFigureJson(json, kind, figures);
    }
    json.EndArray();
    json.Key("goals");
    json.BeginArray();
    for (const GoalResult& goal : goals) WriteGoalJson(json, goal);
    json.EndArray();
    json.EndObject();
    return json.Text();
}

std::string ResultsMarkdown(const RunInfo& run, const FigureSet& figures,
                            const std::vector<GoalResult>& goals) {
    std::string text =
        "# The module against its peers\n\nWritten by `scripts/bench.sh` (the same figures are "
        "in results.json).\n\n## Goals\n\nRatios of figures measured in the same run, on the "
        "1,000,000-record file "
        "unless the goal names another size.\n\n| goal | measured | target | met | note |\n"
        "| --- | ---: | --- | --- | --- |\n";
    for (const GoalResult& goal : goals) text += GoalRow(goal);
    text +=
        "\n## Figures\n\nEach data set is a sorted run of the stated number of records "
        "followed by 1023 unsorted records, about 39 bytes a line. Measured " +
        run.generated + " (" + run.mode + " run) on " + run.machine +
        ". Single operations: the median of many short rounds; whole-file operations: the "
        "fastest of a few rounds; the script host: CPU time.\n";
    for (const GroupInfo& group : Groups()) text += GroupTable(group, figures);
    return text;
}

std::string PlotColumns(const FigureSet& figures, const std::vector<std::string>& names) {
    std::string text = "records";
    for (const std::string& name : names) text += " " + name;
    text += "\n";
    for (const std::uint64_t records : figures.Sizes()) {
        text += std::to_string(records);
        for (const std::string& name : names) {
            const auto value = figures.Find(name, records);
            char number[40] = "?";
            if (value) std::snprintf(number, sizeof number, "%.6g", *value);
            text += std::string(" ") + number;
        }
        text += "\n";
    }
    return text;
}

}  // namespace Compare
