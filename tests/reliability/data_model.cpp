#include "tests/reliability/data_model.h"

namespace Reliability {
namespace {

const std::string Mark = "\xEF\xBB\xBF";
const std::string DeletionText = "\xC3\xBF Deleted entry";  // the marker 0xFF, as UTF-8

std::string Latin1FromUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80 || i + 1 == text.size()) {
            out += char(byte);
        } else {
            out += char(((byte & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
        }
    }
    return out;
}

std::string Utf8FromLatin1(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (byte >> 6));
            out += char(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Applies one line (UTF-8) to `parsed`.
void ApplyLine(const std::string& line, ParsedFile& parsed) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || line.find('\t', tab + 1) != std::string::npos) {
        parsed.strayLines.push_back(line);
        return;
    }
    const std::string key = line.substr(0, tab);
    const std::string field = line.substr(tab + 1);
    if (field == DeletionText) {
        parsed.records.erase(key);
    } else {
        parsed.records[key] = field;
    }
}

}  // namespace

const char* EncodingName(Encoding encoding) {
    return encoding == Encoding::Utf8 ? "utf8" : "codepage";
}

std::string FileBytes(const std::vector<std::pair<std::string, std::string>>& lines,
                      Encoding encoding) {
    std::string text;
    for (const auto& [key, field] : lines) text += key + "\t" + field + "\r";
    return encoding == Encoding::Utf8 ? Mark + text : Latin1FromUtf8(text);
}

ParsedFile ParseFile(const std::string& bytes, Encoding encoding) {
    ParsedFile parsed;
    if (bytes.empty()) return parsed;  // a file made but not yet written, in either encoding
    if (bytes.size() < Mark.size() && Mark.starts_with(bytes)) {
        parsed.unendedTail = bytes;  // a mark cut short: no line yet
        return parsed;
    }
    const bool marked = bytes.compare(0, Mark.size(), Mark) == 0;
    if (marked != (encoding == Encoding::Utf8)) {
        parsed.strayLines.push_back("<file of the wrong encoding>");
        return parsed;
    }
    const std::string text = marked ? bytes.substr(Mark.size()) : Utf8FromLatin1(bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string::npos) {
            parsed.unendedTail = text.substr(start);
            break;
        }
        ApplyLine(text.substr(start, end - start), parsed);
        start = end + 1;
    }
    return parsed;
}

std::optional<std::size_t> MatchState(const ParsedFile& parsed, const std::vector<Records>& states,
                                      bool unendedTailAllowed) {
    if (!parsed.strayLines.empty()) return std::nullopt;
    if (!parsed.unendedTail.empty() && !unendedTailAllowed) return std::nullopt;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i] == parsed.records) return i;
    }
    return std::nullopt;
}

std::string Describe(const Records& records) {
    std::string text = "{";
    std::size_t shown = 0;
    for (const auto& [key, field] : records) {
        if (++shown > 12) {
            text += " ... (" + std::to_string(records.size()) + " records)";
            break;
        }
        text += " " + key + "=" + field;
    }
    return text + " }";
}

}  // namespace Reliability
