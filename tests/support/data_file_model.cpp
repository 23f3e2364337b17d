#include "tests/support/data_file_model.h"

#include "host/base/unistring.h"

namespace OmbraTest {

std::vector<std::string> SplitLines(std::string_view bytes, std::string* tail) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos && tail != nullptr) {
            *tail = bytes.substr(start);
            return lines;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end == std::string_view::npos ? bytes.size() : end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;  // LF, or the LF of CR LF
    }
    if (tail != nullptr) tail->clear();
    return lines;
}

std::string KeyOf(std::string_view line, char separator) {
    return std::string(line.substr(0, line.find(separator)));
}

std::string DeletionLine(std::string_view key, char separator, bool utf8) {
    return std::string(key) + separator + (utf8 ? "\xC3\xBF Deleted entry" : "\xFF Deleted entry");
}

FileRecords ReadRecords(std::string_view bytes, char separator, std::string* tail) {
    FileRecords file;
    file.utf8 = bytes.starts_with(ByteOrderMark);
    if (file.utf8) bytes.remove_prefix(ByteOrderMark.size());
    for (const std::string& line : SplitLines(bytes, tail)) {
        if (line.empty()) continue;
        const std::string key = KeyOf(line, separator);
        const bool deleted = line == DeletionLine(key, separator, file.utf8);
        Apply(file.lines, Change{key, deleted ? std::nullopt : std::optional(line)});
    }
    return file;
}

void Apply(Records& records, const Change& change) {
    if (change.value)
        records[change.key] = *change.value;
    else
        records.erase(change.key);
}

std::optional<std::size_t> FindState(const Records& records, const std::vector<Records>& states,
                                     std::size_t first, std::size_t last) {
    for (std::size_t i = first; i <= last && i < states.size(); ++i)
        if (states[i] == records) return i;
    return std::nullopt;
}

std::string Describe(const Records& records) {
    std::string text = "{";
    std::size_t shown = 0;
    for (const auto& [key, value] : records) {
        if (++shown > 12) return text + " ... (" + std::to_string(records.size()) + " records) }";
        text += " " + key + "=" + value;
    }
    return text + " }";
}

std::string SavedFormError(std::string_view bytes, char separator, bool utf8) {
    if (utf8 && !bytes.starts_with(ByteOrderMark)) return "no byte-order mark";
    if (utf8) bytes.remove_prefix(ByteOrderMark.size());
    if (bytes.find('\n') != std::string_view::npos) return "a line feed";
    if (!bytes.empty() && bytes.back() != '\r') return "a last line without its end";
    // A file without the mark that would begin with its bytes starts with an empty line instead.
    if (!utf8 && bytes.starts_with("\r\xEF\xBB\xBF")) bytes.remove_prefix(1);
    std::u16string previous;
    bool first = true;
    for (const std::string& line : SplitLines(bytes)) {
        if (line.empty()) return "an empty line";  // it holds nothing and would stand first
        const std::string key = KeyOf(line, separator);
        const std::u16string units =
            ZR::UniString(key.data(), USize(key.size()), utf8 ? CC_UTF8 : CC_Default).Get();
        if (!first && !(previous < units)) return "key out of order or repeated: " + key;
        previous = units;
        first = false;
    }
    return {};
}

}  // namespace OmbraTest
