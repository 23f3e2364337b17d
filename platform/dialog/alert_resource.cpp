#include "platform/dialog/alert_resource.h"

#include "platform/dialog/answer_source.h"

namespace DG::Detail {
namespace {

// Reads bytes of a bounded region in order; every read fails once the region is exhausted.
class RegionReader {
public:
    RegionReader(const char* data, USize size) : data(data), size(size) {}

    bool ReadUInt32(UInt32& value) {
        if (size - position < 4) return false;
        value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | UInt8(data[position + i]);
        position += 4;
        return true;
    }
    bool ReadInt16(Int16& value) {
        if (size - position < 2) return false;
        value = Int16(UInt16(UInt8(data[position])) | (UInt16(UInt8(data[position + 1])) << 8));
        position += 2;
        return true;
    }
    // A NUL-terminated text; fails when no NUL lies within the region.
    bool ReadText(std::string& text) {
        for (USize end = position; end < size; ++end) {
            if (data[end] != '\0') continue;
            text.assign(data + position, end - position);
            position = end + 1;
            return true;
        }
        return false;
    }
    USize Position() const { return position; }

private:
    const char* data;
    USize size;
    USize position = 0;
};

// `text` without trailing dots and blanks ("Browse..." gives "Browse").
std::string StripLabel(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ParseAlertResource(const char* data, USize size, AlertResource& alert) {
    if (data == nullptr) return false;
    UInt32 count = 0;
    RegionReader header(data, size);
    if (!header.ReadUInt32(count) || count > size - header.Position()) return false;
    RegionReader body(data + header.Position(), count);
    bool complete = body.ReadInt16(alert.style) && body.ReadText(alert.title) &&
                    body.ReadText(alert.message) && body.ReadText(alert.secondMessage);
    for (std::string& button : alert.buttons) complete = complete && body.ReadText(button);
    return complete;
}

std::string SubstituteParameters(const std::string& text,
                                 const std::vector<std::string>& parameters, size_t& next) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < parameters.size()) result += parameters[next++];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

Int16 ButtonForAnswer(const AlertResource& alert, const std::string& answer) {
    std::string wanted = LowerAscii(StripLabel(TrimBlanks(answer)));
    if (wanted.empty()) return 0;
    for (int i = 0; i < AlertButtonCount; ++i) {
        const std::string& label = alert.buttons[size_t(i)];
        if (label.empty()) continue;
        if (wanted == std::to_string(i + 1) || wanted == LowerAscii(StripLabel(label)))
            return Int16(i + 1);
    }
    return 0;
}

}  // namespace DG::Detail
