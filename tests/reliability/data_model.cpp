#include "tests/reliability/data_model.h"

namespace Reliability {
namespace {

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

std::string Encode(const std::string& text, Encoding encoding) {
    return encoding == Encoding::Utf8 ? text : Latin1FromUtf8(text);
}

}  // namespace

const char* EncodingName(Encoding encoding) {
    return encoding == Encoding::Utf8 ? "utf8" : "codepage";
}

std::string FileBytes(const std::vector<std::pair<std::string, std::string>>& lines,
                      Encoding encoding) {
    std::string text = encoding == Encoding::Utf8 ? std::string(OmbraTest::ByteOrderMark) : "";
    for (const auto& [key, field] : lines) text += Encode(key + "\t" + field + "\r", encoding);
    return text;
}

Records FileLines(const Records& records, Encoding encoding) {
    Records lines;
    for (const auto& [key, field] : records)
        lines[Encode(key, encoding)] = Encode(key + "\t" + field, encoding);
    return lines;
}

std::string UnendedTail(const std::string& bytes) {
    std::string tail;
    OmbraTest::ReadRecords(bytes, '\t', &tail);
    return tail;
}

}  // namespace Reliability
