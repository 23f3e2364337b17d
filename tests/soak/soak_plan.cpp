#include "tests/soak/soak_plan.h"

#include <cstdio>

namespace Soak {
namespace {

const char* const OpenLine = "ch = OPEN(\"DATA\", \"soak.txt\", \"SEPARATOR=';', MODE=WA\")\n";

int Draw(std::mt19937_64& random, int below) {
    return int(random() % std::uint64_t(below));
}

Step DrawStep(const PlanShape& shape, int round, int number, std::mt19937_64& random) {
    Step step;
    if (Draw(random, 1000) < shape.reopenPerMille) {
        step.kind = StepKind::Reopen;
        return step;
    }
    step.key = KeyOf(Draw(random, shape.keyCount));
    if (Draw(random, 100) < shape.deletePercent) {
        step.kind = StepKind::Delete;
        return step;
    }
    step.value = "r" + std::to_string(round) + "s" + std::to_string(number);
    step.value.append(std::size_t(Draw(random, 10)), 'x');
    return step;
}

std::string StepLines(const Step& step) {
    switch (step.kind) {
        case StepKind::Put:
            return "OUTPUT ch, \"" + step.key + "\", 1, \"" + step.value + "\"\n";
        case StepKind::Delete:
            return "OUTPUT ch, \"" + step.key + "\", 0\n";
        case StepKind::Reopen:
            return std::string("CLOSE ch\n") + OpenLine;
    }
    return {};
}

}  // namespace

std::string KeyOf(int index) {
    char key[16];
    std::snprintf(key, sizeof key, "k%04d", index);
    return key;
}

std::vector<Step> PlanRound(const PlanShape& shape, int round, std::mt19937_64& random) {
    std::vector<Step> steps;
    steps.reserve(std::size_t(shape.stepsPerRound));
    for (int number = 1; number <= shape.stepsPerRound; ++number)
        steps.push_back(DrawStep(shape, round, number, random));
    return steps;
}

std::string WritingScript(const std::vector<Step>& steps) {
    std::string script = OpenLine;
    for (std::size_t index = 0; index < steps.size(); ++index)
        script += StepLines(steps[index]) + "PRINT " + std::to_string(index + 1) + "\n";
    return script + "CLOSE ch\n";
}

std::string ReadingScript(const PlanShape& shape) {
    std::string script = "ch = OPEN(\"DATA\", \"soak.txt\", \"SEPARATOR=';', MODE=RO\")\n";
    for (int index = 0; index < shape.keyCount; ++index) {
        const std::string key = KeyOf(index);
        script += "v = \"\"\nn = INPUT(ch, \"" + key + "\", 1, v)\nPRINT \"" + key + "\", n, v\n";
    }
    return script + "CLOSE ch\n";
}

}  // namespace Soak
