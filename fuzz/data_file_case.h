// How the data-store fuzz target reads its input: one byte choosing the separator, the data
// file's bytes, then, after a line "%%", one OUTPUT a line: key, field number and values divided
// by TAB. Keys and values never hold the separator, CR or LF (OUTPUT writes them unescaped, which
// would change the record's shape, as it is meant to).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/interpreter.h"

namespace OmbraFuzz {

// One value of an OUTPUT: "#n" an integer, "~x" a real, anything else a string.
struct FuzzValue {
    std::string text;  // what OUTPUT writes for it (the string itself, or "%g" of the number)
    OmbraValueRecord record{};
    bool isString = false;
};

struct OutputStep {
    std::string key;
    std::string fieldId;
    std::vector<FuzzValue> values;
};

struct DataCase {
    char separator = '\t';
    std::string file;
    std::vector<OutputStep> steps;
};

constexpr size_t MaxSteps = 16;
constexpr size_t MaxValues = 8;

DataCase ReadDataCase(const uint8_t* data, size_t size);

// The value records and texts of `step` as the interpreter hands them to OUTPUT, the strings
// decoded in the file's encoding so that they are written back byte for byte.
void MakeValueArrays(const OutputStep& step, bool utf8, ZR::Array<OmbraValueRecord>& records,
                     ZR::Array<ZR::UniString>& strings);

// The line OUTPUT writes for `step`: the key, then the separator and each value's text.
std::string RecordLine(const OutputStep& step, char separator);

}  // namespace OmbraFuzz
