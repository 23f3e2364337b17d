#include "fuzz/data_file_model.h"

#include "fuzz/fuzz_check.h"

namespace OmbraFuzz {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes, bool utf8) {
    if (utf8 && bytes.substr(0, 3) == ByteOrderMark) bytes.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        lines.emplace_back(bytes.substr(start, end - start));
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;  // LF, or the LF of CR LF
    }
    return lines;
}

std::string KeyOf(const std::string& line, char separator) {
    return line.substr(0, line.find(separator));
}

std::u16string KeyUnits(const std::string& key, bool utf8) {
    return ZR::UniString(key.data(), USize(key.size()), utf8 ? CC_UTF8 : CC_Default).Get();
}

void DataFileModel::Load(std::string_view bytes) {
    for (const std::string& line : SplitLines(bytes, utf8))
        if (!line.empty()) Store(KeyOf(line, separator), line);
}

void DataFileModel::Store(const std::string& key, const std::string& line) {
    if (IsDeletionLine(key, line))
        records.erase(key);
    else
        records[key] = line;
}

std::string DataFileModel::Line(const std::string& key) const {
    const auto found = records.find(key);
    return found == records.end() ? std::string() : found->second;
}

bool DataFileModel::IsDeletionLine(const std::string& key, const std::string& line) const {
    const std::string marker = utf8 ? "\xC3\xBF Deleted entry" : "\xFF Deleted entry";
    return line == key + separator + marker;
}

void CheckSavedForm(const std::string& bytes, char separator, bool utf8) {
    if (utf8) FUZZ_CHECK(bytes.compare(0, 3, ByteOrderMark) == 0);
    FUZZ_CHECK(bytes.find('\n') == std::string::npos);
    FUZZ_CHECK(bytes.size() == (utf8 ? 3 : 0) || bytes.back() == '\r');
    std::u16string previous;
    bool first = true;
    for (const std::string& line : SplitLines(bytes, utf8)) {
        const std::u16string key = KeyUnits(KeyOf(line, separator), utf8);
        FUZZ_CHECK(first || previous < key);
        previous = key;
        first = false;
    }
}

}  // namespace OmbraFuzz
