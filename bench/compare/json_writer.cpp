#include "bench/compare/json_writer.h"

#include <cmath>
#include <cstdio>

namespace Compare {

std::string QuoteJson(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
                    quoted += escape;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

void JsonWriter::Indent() {
    text += '\n';
    text.append(2 * levelHasMembers.size(), ' ');
}

// A value after a key continues its line; any other value inside an object or array starts a
// line of its own, after a comma when it is not the first.
void JsonWriter::BeginValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (levelHasMembers.empty()) return;
    if (levelHasMembers.back()) text += ',';
    levelHasMembers.back() = true;
    Indent();
}

void JsonWriter::Open(char bracket) {
    BeginValue();
    text += bracket;
    levelHasMembers.push_back(false);
}

void JsonWriter::Close(char bracket) {
    const bool hadMembers = levelHasMembers.back();
    levelHasMembers.pop_back();
    if (hadMembers) Indent();
    text += bracket;
    if (levelHasMembers.empty()) text += '\n';
}

void JsonWriter::BeginObject() {
    Open('{');
}
void JsonWriter::EndObject() {
    Close('}');
}
void JsonWriter::BeginArray() {
    Open('[');
}
void JsonWriter::EndArray() {
    Close(']');
}

void JsonWriter::Key(std::string_view name) {
    BeginValue();
    text += QuoteJson(name);
    text += ": ";
    afterKey = true;
}

void JsonWriter::String(std::string_view value) {
    BeginValue();
    text += QuoteJson(value);
}

void JsonWriter::Member(std::string_view name, std::string_view value) {
    Key(name);
    String(value);
}

void JsonWriter::Number(double number) {
    if (!std::isfinite(number)) return Null();
    BeginValue();
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.6g", number);
    text += digits;
}

void JsonWriter::Integer(std::int64_t number) {
    BeginValue();
    text += std::to_string(number);
}

void JsonWriter::Bool(bool value) {
    BeginValue();
    text += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeginValue();
    text += "null";
}

}  // namespace Compare
