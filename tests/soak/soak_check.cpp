#include "tests/soak/soak_check.h"

#include <optional>
#include <sstream>

namespace Soak {
namespace {

std::optional<std::string> Lookup(const Records& records, const std::string& key) {
    const auto found = records.find(key);
    if (found == records.end()) return std::nullopt;
    return found->second;
}

void Apply(Records& records, const Step& step) {
    if (step.kind == StepKind::Put) records[step.key] = step.value;
    if (step.kind == StepKind::Delete) records.erase(step.key);
}

std::string Show(const std::optional<std::string>& value) {
    return value ? "'" + *value + "'" : "absent";
}

bool ParseLine(const std::string& line, Records& records, std::string& key) {
    std::istringstream fields(line);
    int count = -1;
    std::string value;
    fields >> key >> count;
    if (count == 1 && fields >> value) records[key] = value;
    return count == 0 || (count == 1 && !value.empty());
}

}  // namespace

bool ParseRecords(const std::string& output, const PlanShape& shape, Records& records,
                  std::string& error) {
    std::istringstream lines(output);
    std::string line;
    int index = 0;
    for (; std::getline(lines, line); ++index) {
        std::string key;
        if (!ParseLine(line, records, key) || key != KeyOf(index)) {
            error = "unexpected line of the reading script: " + line;
            return false;
        }
    }
    if (index == shape.keyCount) return true;
    error = "the reading script showed " + std::to_string(index) + " keys";
    return false;
}

RoundCheck CheckRound(Records& model, const std::vector<Step>& steps, int lastMark,
                      const Records& observed, const PlanShape& shape) {
    for (int number = 1; number <= lastMark && number <= int(steps.size()); ++number)
        Apply(model, steps[std::size_t(number - 1)]);
    Records ifDone = model;
    const bool underWay = lastMark < int(steps.size());
    if (underWay) Apply(ifDone, steps[std::size_t(lastMark)]);

    RoundCheck check;
    for (int index = 0; index < shape.keyCount; ++index) {
        const std::string key = KeyOf(index);
        const std::optional<std::string> seen = Lookup(observed, key);
        const std::optional<std::string> before = Lookup(model, key);
        const std::optional<std::string> after = Lookup(ifDone, key);
        ++check.recordsChecked;
        if (seen == before || seen == after) continue;
        check.failures.push_back(key + ": file holds " + Show(seen) + ", expected " + Show(before) +
                                 (before == after ? "" : " or " + Show(after)));
    }
    // What the file shows is now the state the next round starts from.
    if (check.failures.empty()) model = observed;
    return check;
}

}  // namespace Soak
