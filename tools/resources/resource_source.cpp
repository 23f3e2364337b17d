#include "tools/resources/resource_source.h"

#include <charconv>
#include <set>
#include <utility>

namespace ResourceCompiler {

namespace {

bool Reject(std::string& reason, std::string text) {
    reason = std::move(text);
    return false;
}

bool IsStringListType(UInt32 type) {
    return type == FourCharCode("STRF") || type == FourCharCode("STRS");
}

void AppendLittleEndian(std::string& out, UInt64 value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits off the first blank-delimited word of `rest`.
std::string_view TakeWord(std::string_view& rest) {
    rest = TrimBlanks(rest);
    const size_t end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(end));
    return word;
}

bool ParseInteger(std::string_view word, Int64 low, Int64 high, Int64& value) {
    const char* end = word.data() + word.size();
    const auto [stop, status] = std::from_chars(word.data(), end, value);
    return status == std::errc() && stop == end && !word.empty() && value >= low && value <= high;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes the escape after the backslash at text[i]; advances i past it. False when unknown.
bool DecodeEscape(std::string_view text, size_t& i, char& byte) {
    if (i + 1 >= text.size()) return false;
    const char kind = text[++i];
    switch (kind) {
        case '\\':
            byte = '\\';
            return true;
        case '"':
            byte = '"';
            return true;
        case 'r':
            byte = '\r';
            return true;
        case 'n':
            byte = '\n';
            return true;
        case 't':
            byte = '\t';
            return true;
        case 'x': {
            if (i + 2 >= text.size()) return false;
            const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
            if (high < 0 || low < 0) return false;
            byte = char(high * 16 + low);
            i += 2;
            return true;
        }
        default:
            return false;
    }
}

// Parses a quoted text that must make up all of `item`.
bool ParseQuoted(std::string_view item, std::string& text, std::string& reason) {
    if (item.size() < 2 || item.front() != '"') return Reject(reason, "expected a quoted text");
    text.clear();
    for (size_t i = 1; i < item.size(); ++i) {
        char byte = item[i];
        if (byte == '"') {
            if (i + 1 != item.size()) return Reject(reason, "text after the closing quote");
            return true;
        }
        if (byte == '\\' && !DecodeEscape(item, i, byte)) return Reject(reason, "bad escape");
        if (byte == '\0') return Reject(reason, "NUL byte inside a text");
        text.push_back(byte);
    }
    reason = "unterminated text";
    return false;
}

struct NumberItem {
    const char* word;
    int bytes;
    Int64 low;
    Int64 high;
};

constexpr NumberItem numberItems[] = {
    {"int16", 2, -32768, 32767},
    {"int32", 4, -2147483648LL, 2147483647LL},
    {"uint32", 4, 0, 4294967295LL},
};

bool ParseNumberItem(const NumberItem& kind, std::string_view rest, std::string& body,
                     std::string& reason) {
    Int64 value = 0;
    if (!ParseInteger(rest, kind.low, kind.high, value))
        return Reject(reason, std::string("expected a number within ") + kind.word);
    AppendLittleEndian(body, UInt64(value), kind.bytes);
    return true;
}

bool ParsePaddedItem(std::string_view rest, std::string& body, std::string& reason) {
    Int64 width = 0;
    std::string text;
    if (!ParseInteger(TakeWord(rest), 1, 65535, width)) return Reject(reason, "expected a width");
    if (!ParseQuoted(rest, text, reason)) return false;
    if (Int64(text.size()) > width) return Reject(reason, "text longer than its width");
    body += text;
    body.append(size_t(width) - text.size(), '\0');
    return true;
}

// Appends the bytes of one item line to `body`.
bool ParseItem(std::string_view line, bool stringsOnly, std::string& body, std::string& reason) {
    std::string text;
    if (line.front() == '"') {
        if (!ParseQuoted(line, text, reason)) return false;
        body += text;
        body.push_back('\0');
        return true;
    }
    if (stringsOnly) return Reject(reason, "a string list holds quoted texts only");
    std::string_view rest = line;
    const std::string_view word = TakeWord(rest);
    for (const NumberItem& kind : numberItems) {
        if (word == kind.word) return ParseNumberItem(kind, rest, body, reason);
    }
    if (word == "padded") return ParsePaddedItem(rest, body, reason);
    if (word != "chars") return Reject(reason, "unknown item '" + std::string(word) + "'");
    if (!ParseQuoted(rest, text, reason)) return false;
    body += text;
    return true;
}

bool ParseHeader(std::string_view line, ResourceDefinition& resource, std::string& reason) {
    std::string_view rest = line;
    const std::string_view type = TakeWord(rest);
    Int64 id = 0;
    if (type.size() != 4) return Reject(reason, "expected a four-character resource type");
    for (char c : type) {
        if (c < '!' || c > '~') return Reject(reason, "resource type must be printable");
    }
    if (!ParseInteger(rest, -32768, 32767, id)) return Reject(reason, "expected a 16-bit id");
    const char code[5] = {type[0], type[1], type[2], type[3], '\0'};
    resource.type = FourCharCode(code);
    resource.id = Int32(id);
    return true;
}

bool IsHeaderLine(std::string_view line) {
    const char first = line.front();
    return first != '"' && !(first >= 'a' && first <= 'z');
}

// Turns the collected item bytes into the stored form; false for an empty or duplicate resource.
bool FinishResource(ResourceDefinition& resource, std::string& body,
                    std::set<std::pair<UInt32, Int32>>& seen, std::string& reason) {
    if (body.empty()) return Reject(reason, "resource has no items");
    if (!seen.insert({resource.type, resource.id}).second)
        return Reject(reason, "duplicate resource");
    resource.stored.clear();
    AppendLittleEndian(resource.stored, body.size(), 4);
    resource.stored += body;
    body.clear();
    return true;
}

}  // namespace

bool ParseResourceSource(std::string_view text, const std::string& sourceName,
                         std::vector<ResourceDefinition>& resources, std::string& error) {
    std::set<std::pair<UInt32, Int32>> seen;
    std::string body, reason;
    int lineNumber = 0, headerLine = 0;
    auto fail = [&](int line) {
        error = sourceName + ":" + std::to_string(line) + ": " + reason;
        return false;
    };
    resources.clear();
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        if (IsHeaderLine(line)) {
            if (!resources.empty() && !FinishResource(resources.back(), body, seen, reason))
                return fail(headerLine);
            resources.emplace_back();
            headerLine = lineNumber;
            if (!ParseHeader(line, resources.back(), reason)) return fail(lineNumber);
        } else if (resources.empty()) {
            reason = "item before the first resource header";
            return fail(lineNumber);
        } else if (!ParseItem(line, IsStringListType(resources.back().type), body, reason)) {
            return fail(lineNumber);
        }
    }
    if (resources.empty()) {
        reason = "no resources";
        return fail(lineNumber);
    }
    return FinishResource(resources.back(), body, seen, reason) || fail(headerLine);
}

}  // namespace ResourceCompiler
