// The OPEN parameter string parser on arbitrary text (the input read as UTF-8, invalid bytes kept).
// It must never fail, must give the same result twice, and may only give what the text asks for:
// a mode of the table, a separator written as 'x' or '\t', flags whose keywords occur, and one
// report at most per item, each of the two known kinds.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "extension/open/parameters.h"
#include "fuzz/fuzz_check.h"
#include "platform/extension_host/string_fetchers.h"
#include "tests/support/core_binding.h"

namespace {

using DataOmbraPlugin::OpenSettings;

constexpr ZR::UniChar Preset = u'#';  // a separator the parser may only keep or replace

struct Parsed {
    bool result = false;
    ZR::UniChar separator = 0;
    Int32 mode = -1;
    bool dialog = true;
    bool library = true;
    std::vector<std::string> reports;

    bool operator==(const Parsed&) const = default;
};

Parsed Parse(const ZR::UniString& text) {
    Parsed parsed;
    OpenSettings settings{Preset, DataOmbraPlugin::ModeReadOnly};
    const ZR::UniString fileName("data.txt");
    parsed.result = DataOmbraPlugin::ParseOpenParameters(
        text, &settings, &parsed.dialog, &parsed.library, fileName, FetchMessageString);
    parsed.separator = settings.separator;
    parsed.mode = settings.mode;
    parsed.reports = OmbraTest::TakeCoreReports();
    return parsed;
}

bool Contains(const std::u16string& text, std::u16string_view part) {
    return text.find(part) != std::u16string::npos;
}

void CheckSettings(const std::u16string& upper, const Parsed& parsed) {
    FUZZ_CHECK(parsed.result);
    const Int32 mode = parsed.mode;
    FUZZ_CHECK(mode == DataOmbraPlugin::ModeReadOnly || mode == DataOmbraPlugin::ModeWriteEmpty ||
               mode == DataOmbraPlugin::ModeWriteAppend);
    if (mode != DataOmbraPlugin::ModeReadOnly) FUZZ_CHECK(Contains(upper, u"MODE"));
    if (parsed.dialog) FUZZ_CHECK(Contains(upper, u"DIALOG"));
    if (parsed.library) FUZZ_CHECK(Contains(upper, u"LIBRARY"));
    if (parsed.separator == Preset) return;
    FUZZ_CHECK(Contains(upper, u"SEPARATOR"));
    const std::u16string quoted{u'\'', parsed.separator, u'\''};
    FUZZ_CHECK(Contains(upper, quoted) || (parsed.separator == u'\t' && Contains(upper, u"'\\T'")));
}

void CheckReports(const std::u16string& text, const Parsed& parsed) {
    const size_t items = text.empty() ? 0 : 1 + std::count(text.begin(), text.end(), u',');
    FUZZ_CHECK(parsed.reports.size() <= items);
    for (const std::string& report : parsed.reports) {
        FUZZ_CHECK(report.starts_with("Unknown keyword '") ||
                   report.starts_with("Unknown file MODE '"));
        // A report is shortened to the 255 bytes its buffer holds, losing its end first.
        FUZZ_CHECK(report.size() <= 255);
        FUZZ_CHECK(report.find("while operating on file 'data.txt'.") != std::string::npos ||
                   report.size() == 255);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_CHECK(OmbraTest::BindCore());
    const ZR::UniString text(reinterpret_cast<const char*>(data), USize(size), CC_UTF8);
    const Parsed first = Parse(text);
    FUZZ_CHECK(Parse(text) == first);
    ZR::UniString upper = text;
    upper.SetToUpperCase();
    CheckSettings(upper.Get(), first);
    CheckReports(text.Get(), first);
    return 0;
}
