// A JSON text built value by value, two spaces of indentation a level, members in the order
// they are written. Strings are taken as UTF-8 and escaped as JSON requires; a number that is not
// finite is written as null, since JSON has no form for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Compare {

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the open object; the value written next belongs to it.
    void Key(std::string_view name);

    void String(std::string_view text);
    void Number(double number);  // up to 6 significant digits
    void Integer(std::int64_t number);
    void Bool(bool value);
    void Null();
    // Key(name), then String(text).
    void Member(std::string_view name, std::string_view text);

    // The text written so far, ended by a line feed once the outermost value is closed.
    const std::string& Text() const { return text; }

private:
    void BeginValue();
    void Open(char bracket);
    void Close(char bracket);
    void Indent();

    std::string text;
    std::vector<bool> levelHasMembers;  // per open object or array: something was written in it
    bool afterKey = false;
};

// `text` as a JSON string literal, quotes included.
std::string QuoteJson(std::string_view text);

}  // namespace Compare
