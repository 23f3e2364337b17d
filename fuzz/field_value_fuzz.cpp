// The evaluator that INPUT offers each field to, on arbitrary text: it accepts exactly the numeric
// literals of a plain reference reading (blanks, sign, digits with one decimal point, exponent,
// blanks), gives an integer within 32 bits for a literal without point and exponent that fits,
// and a real equal to the C library's reading otherwise; a refused text leaves the record as it
// was.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "host/interpreter.h"

namespace {

// The literal's shape by a plain scan; `mantissaNonZero` tells a true zero from an underflow.
struct Shape {
    bool literal = false;
    bool integral = false;
    bool mantissaNonZero = false;
};

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

size_t Digits(const std::string& text, size_t& at, bool* nonZero = nullptr) {
    const size_t start = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        if (nonZero != nullptr && text[at] != '0') *nonZero = true;
    return at - start;
}

Shape ReadShape(const std::string& text) {
    Shape shape;
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t digits = Digits(text, at, &shape.mantissaNonZero);
    shape.integral = true;
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += Digits(text, at, &shape.mantissaNonZero);
        shape.integral = false;
    }
    if (digits == 0) return shape;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (Digits(text, at) == 0) return shape;
        shape.integral = false;
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    shape.literal = at == text.size();
    return shape;
}

void CheckAccepted(const std::string& text, const Shape& shape, const OmbraValueRecord& record) {
    FUZZ_CHECK(record.valueType == ValueTypeNumeric);
    FUZZ_CHECK(record.evalFlag == 1);
    const double expected = std::strtod(text.c_str(), nullptr);
    const bool fits = expected >= -2147483648.0 && expected <= 2147483647.0;
    if (shape.integral && fits) {
        FUZZ_CHECK(record.numericKind == NumericKindInteger);
        FUZZ_CHECK(record.value.integer == std::strtoll(text.c_str(), nullptr, 10));
    } else {
        FUZZ_CHECK(record.numericKind == NumericKindReal);
        FUZZ_CHECK(record.value.real == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The evaluator takes a zero-terminated text, as INPUT hands it over.
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    std::string modifiable = text;
    OmbraValueRecord record{};
    std::memset(&record, 0xA5, sizeof record);
    const OmbraValueRecord before = record;
    const bool accepted = EEEvaluate(modifiable.data(), nullptr, nullptr, &record) == NoError;
    const Shape shape = ReadShape(text);
    const double reading = std::strtod(text.c_str(), nullptr);
    const bool representable = std::isfinite(reading) && (reading != 0.0 || !shape.mantissaNonZero);
    FUZZ_CHECK(accepted == (shape.literal && representable));
    if (accepted)
        CheckAccepted(text, shape, record);
    else
        FUZZ_CHECK(std::memcmp(&record, &before, sizeof record) == 0);
    return 0;
}
