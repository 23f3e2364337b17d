#include "tests/soak/soak_check.h"

#include <sstream>

namespace Soak {
namespace {

void Apply(Records& records, const Step& step) {
    if (step.kind == StepKind::Put) OmbraTest::Apply(records, {step.key, step.value});
    if (step.kind == StepKind::Delete) OmbraTest::Apply(records, {step.key, std::nullopt});
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
    std::vector<Records> states = {model, model};
    if (lastMark < int(steps.size())) Apply(states[1], steps[std::size_t(lastMark)]);

    RoundCheck check;
    check.recordsChecked = shape.keyCount;
    if (!OmbraTest::FindState(observed, states, 0, 1)) {
        check.failures.push_back("file holds " + OmbraTest::Describe(observed) + ", expected " +
                                 OmbraTest::Describe(states[0]) + " or, with the step under way, " +
                                 OmbraTest::Describe(states[1]));
        return check;
    }
    // What the file shows is now the state the next round starts from.
    model = observed;
    return check;
}

}  // namespace Soak
