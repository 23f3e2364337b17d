// What one soak round asks of `ombra`: a writing script of numbered steps (OUTPUT of a record,
// its deletion, or CLOSE and a new OPEN of the channel), each followed by a printed mark, and the
// reading script that shows every record of the key space afterwards.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace Soak {

enum class StepKind { Put, Delete, Reopen };

struct Step {
    StepKind kind = StepKind::Put;
    std::string key;    // Put and Delete
    std::string value;  // Put: the record's only field
};

struct PlanShape {
    int keyCount = 1500;       // keys k0000 ... : enough distinct tail keys for compactions
    int stepsPerRound = 4000;  // a round is usually killed long before its end
    int deletePercent = 15;
    int reopenPerMille = 3;
};

// The data file's name in the base folder, and the key of position `index`.
inline const char* DataFileName = "soak.txt";
std::string KeyOf(int index);

// Steps of round `round`; values name the round and the step, padded to varying lengths so that
// some changes are written in place and others appended.
std::vector<Step> PlanRound(const PlanShape& shape, int round, std::mt19937_64& random);

// The writing script: it opens the data file WA and prints mark N after step N (from 1).
std::string WritingScript(const std::vector<Step>& steps);
// The reading script: for every key one line "KEY COUNT VALUE" (COUNT 0 and no value when the
// record is absent).
std::string ReadingScript(const PlanShape& shape);

}  // namespace Soak
