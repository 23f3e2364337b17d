#include "extension/open/parameters.h"

#include <algorithm>
#include <string>

#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"

namespace DataOmbraPlugin {
namespace {

constexpr ZR::UniChar Blank = u' ';
constexpr ZR::UniChar Tab = u'\t';
constexpr ZR::UniChar Comma = u',';
constexpr ZR::UniChar Equals = u'=';
constexpr ZR::UniChar Apostrophe = u'\'';

// Keyword slots and the mode values that the mode slots stand for.
constexpr Int32 KeywordSeparator = 1;
constexpr Int32 KeywordMode = 2;
constexpr Int32 KeywordDialog = 3;
constexpr Int32 KeywordLibrary = 4;
constexpr Int32 ModeBySlot[ModeSlots] = {ModeReadOnly, ModeReadOnly, ModeWriteAppend,
                                         ModeWriteEmpty};

// Walks the parameter string by code units. The position may step one past the end (over the
// "=" that the end of the string stands for); every test of a character checks it is inside.
class ParameterCursor {
public:
    explicit ParameterCursor(const ZR::UniString& text) : text(text) {}

    bool Inside() const { return position < text.GetLength(); }
    bool At(ZR::UniChar ch) const { return Inside() && text[position] == ch; }
    void Step() { ++position; }

    void SkipBlanks() {
        while (At(Blank) || At(Tab)) Step();
    }
    // Steps over every character before the first that `isStop` accepts (or the end), appending
    // each to `out` when given.
    template <class Stop>
    void CollectUntil(ZR::UniString* out, Stop isStop) {
        for (; Inside() && !isStop(text[position]); Step())
            if (out != nullptr) out->Append(text[position]);
    }
    void CollectUntilComma(ZR::UniString* out) {
        CollectUntil(out, [](ZR::UniChar ch) { return ch == Comma; });
    }

private:
    const ZR::UniString& text;
    USize position = 0;
};

// Whether `units`, all below 0x80, spell `word`: the default code page keeps such units as
// they are, so this is the comparison of the converted bytes without the conversion.
bool SpellsWord(const std::u16string& units, const char* word) {
    std::size_t i = 0;
    for (; i < units.size(); ++i)
        if (word[i] == '\0' || units[i] != ZR::UniChar(static_cast<unsigned char>(word[i])))
            return false;
    return word[i] == '\0';
}

Int32 FindWord(const ZR::UniString& text, Int32 slots, const char* (*wordAt)(Int32)) {
    if (text.IsEmpty()) return 0;
    const std::u16string& units = text.Get();
    if (std::all_of(units.begin(), units.end(), [](ZR::UniChar ch) { return ch < 0x80; })) {
        for (Int32 slot = 1; slot < slots; ++slot)
            if (SpellsWord(units, wordAt(slot))) return slot;
        return 0;
    }
    ZR::CStr bytes = text.ToCStr(CC_Default);
    for (Int32 slot = 1; slot < slots; ++slot)
        if (bytes.GetBytes() == wordAt(slot)) return slot;
    return 0;
}

ZR::UniString ReadKeyword(ParameterCursor& cursor) {
    ZR::UniString keyword;
    cursor.CollectUntil(&keyword, [](ZR::UniChar ch) {
        return ch == Comma || ch == Blank || ch == Tab || ch == Equals;
    });
    keyword.SetToUpperCase();
    return keyword;
}

// The value after the keyword: empty when no "=" follows; a quoted part is taken whole, then
// everything up to the next comma, trailing blanks included.
ZR::UniString ReadValue(ParameterCursor& cursor) {
    ZR::UniString value;
    if (cursor.Inside() && !cursor.At(Equals)) {
        cursor.CollectUntilComma(nullptr);
        return value;
    }
    cursor.Step();
    cursor.SkipBlanks();
    if (cursor.At(Apostrophe)) {
        value.Append(Apostrophe);
        cursor.Step();
        cursor.CollectUntil(&value, [](ZR::UniChar ch) { return ch == Apostrophe; });
    }
    cursor.CollectUntilComma(&value);
    value.SetToUpperCase();
    return value;
}

// The forms 'x' and '\t' (either case); any other value leaves the separator as it is.
void ApplySeparator(const ZR::UniString& value, OpenSettings& settings) {
    USize length = value.GetLength();
    if (length < 3 || value[0] != Apostrophe) return;
    if (value[2] == Apostrophe) {
        settings.separator = value[1];
    } else if (length >= 4 && value[3] == Apostrophe && value[1] == u'\\' && value[2] == u'T') {
        settings.separator = Tab;
    }
}

struct ParseTarget {
    OpenSettings& settings;
    bool& dialog;
    bool& library;
    const ZR::UniString& fileName;
    StringFetcherProc messageFetcher;

    void Report(Int32 error, const ZR::UniString& text) const {
        ReportError(error, fileName, messageFetcher, text.ToCStr(CC_Default).Get());
    }
};

void ApplyItem(const ZR::UniString& keyword, const ZR::UniString& value,
               const ParseTarget& target) {
    switch (FindKeyword(keyword)) {
        case KeywordSeparator:
            ApplySeparator(value, target.settings);
            break;
        case KeywordMode:
            if (Int32 slot = FindModeWord(value); slot != 0)
                target.settings.mode = ModeBySlot[slot];
            else
                target.Report(ErrorUnknownMode, value);
            break;
        case KeywordDialog:
            target.dialog = true;
            break;
        case KeywordLibrary:
            target.library = true;
            break;
        default:
            target.Report(ErrorUnknownKeyword, keyword);
            break;
    }
}

}  // namespace

Int32 FindKeyword(const ZR::UniString& text) {
    return FindWord(text, KeywordSlots, KeywordAt);
}

Int32 FindModeWord(const ZR::UniString& text) {
    return FindWord(text, ModeSlots, ModeWordAt);
}

bool ParseOpenParameters(const ZR::UniString& parameters, OpenSettings* settings, bool* dialog,
                         bool* library, const ZR::UniString& fileName,
                         StringFetcherProc messageFetcher) {
    if (settings == nullptr || dialog == nullptr || library == nullptr) return false;
    *dialog = false;
    *library = false;
    ParseTarget target{*settings, *dialog, *library, fileName, messageFetcher};
    ParameterCursor cursor(parameters);
    while (cursor.Inside()) {
        cursor.SkipBlanks();
        ZR::UniString keyword = ReadKeyword(cursor);
        cursor.SkipBlanks();
        ZR::UniString value = ReadValue(cursor);
        ApplyItem(keyword, value, target);
        if (cursor.At(Comma)) cursor.Step();
    }
    return true;
}

}  // namespace DataOmbraPlugin
