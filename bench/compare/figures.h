// The figures of a comparison run: what each one measures, and the values measured per data set
// size. A measuring run writes its figures as text, one a line; the report reads them back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Compare {

enum class Unit { Nanoseconds, Bytes, Count };

// One kind of figure. `name` is its stable identifier ("group.what"); `label` says what was timed
// and, for a baseline, what it stands for.
struct FigureKind {
    const char* name;
    const char* group;
    const char* label;
    Unit unit;
};

// Every figure a run can produce, grouped, each group's measured figure first.
const std::vector<FigureKind>& FigureKinds();
// The kind named `name`, or nullptr.
const FigureKind* FindFigureKind(std::string_view name);

// The value of one figure for a data set of `records` records: nanoseconds per operation, bytes,
// or a count per operation.
struct Figure {
    std::uint64_t records = 0;
    std::string name;
    double value = 0;
};

class FigureSet {
public:
    void Add(Figure figure);  // replaces an earlier value of the same name and size
    std::optional<double> Find(std::string_view name, std::uint64_t records) const;
    // The sizes that have at least one figure, ascending.
    std::vector<std::uint64_t> Sizes() const;
    const std::vector<Figure>& All() const { return figures; }

private:
    std::vector<Figure> figures;
};

// The text form: "records<TAB>name<TAB>value" and a line feed.
std::string FormatFigureLine(const Figure& figure);
// Adds the figures of `text` (lines in the text form; empty lines are skipped) to `set`. Returns
// false at the first line that is not a figure of a known kind with a finite value, naming that
// line in `error`; the figures before it have been added.
bool ParseFigures(std::string_view text, FigureSet& set, std::string& error);

}  // namespace Compare
