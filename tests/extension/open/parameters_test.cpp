// The OPEN parameter string: the forgiving parse, table lookups and the reports it makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "extension/open/parameters.h"
#include "extension/frame/report_error.h"
#include "tests/extension/open/open_core.h"

namespace {

using DataOmbraPlugin::ModeReadOnly;
using DataOmbraPlugin::ModeWriteAppend;
using DataOmbraPlugin::ModeWriteEmpty;
using DataOmbraPlugin::OpenSettings;
using OpenTest::U;

// Messages 2 and 3 of the parameter-error list.
std::string KeywordReport(const std::string& keyword) {
    return OmbraTest::ModuleReport(DataOmbraPlugin::ParameterErrorList, 2, "prices.txt", keyword);
}

std::string ModeReport(const std::string& value) {
    return OmbraTest::ModuleReport(DataOmbraPlugin::ParameterErrorList, 3, "prices.txt", value);
}

struct Parsed {
    bool result = false;
    OpenSettings settings;
    bool dialog = true;  // the parser must clear both flags first
    bool library = true;
    std::vector<std::string> reports;
};

Parsed Parse(const ZR::UniString& parameters) {
    OpenTest::BindCore();
    Parsed parsed;
    const ZR::UniString fileName(U("prices.txt"));
    parsed.result = DataOmbraPlugin::ParseOpenParameters(
        parameters, &parsed.settings, &parsed.dialog, &parsed.library, fileName,
        OpenTest::CoreMessageFetcher());
    parsed.reports = OpenTest::TakeCoreReports();
    return parsed;
}

struct ParameterCase {
    std::string parameters;  // UTF-8
    ZR::UniChar separator;
    Int32 mode;
    bool dialog;
    bool library;
    std::vector<std::string> reports;
};

const ParameterCase parameterCases[] = {
    {"MODE=WA", u'\t', ModeWriteAppend, false, false, {}},
    {"mode = wo", u'\t', ModeWriteEmpty, false, false, {}},
    {"\tMODE\t=\tWA", u'\t', ModeWriteAppend, false, false, {}},
    {"MODE=RO, SEPARATOR=';'", u';', ModeReadOnly, false, false, {}},
    {"MODE=WA ,DIALOG", u'\t', ModeReadOnly, true, false, {ModeReport("WA ")}},
    {"MODE='RO'", u'\t', ModeReadOnly, false, false, {ModeReport("'RO'")}},
    {"MODE RO", u'\t', ModeReadOnly, false, false, {ModeReport("")}},
    {"MODE", u'\t', ModeReadOnly, false, false, {ModeReport("")}},
    {"MODE=", u'\t', ModeReadOnly, false, false, {ModeReport("")}},
    {"MODE=WA=RO", u'\t', ModeReadOnly, false, false, {ModeReport("WA=RO")}},
    {"MODE = 'wa", u'\t', ModeReadOnly, false, false, {ModeReport("'WA")}},
    {"SEPARATOR=','", u',', ModeReadOnly, false, false, {}},
    {"SEPARATOR=' '", u' ', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';'xyz", u';', ModeReadOnly, false, false, {}},
    {"SEPARATOR='''", u'\'', ModeReadOnly, false, false, {}},
    {"SEPARATOR=;", u'\t', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR='\\t'", u'\t', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR='\\T'", u'\t', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR='\\t", u';', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR='ab'", u';', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR", u';', ModeReadOnly, false, false, {}},
    {"SEPARATOR=';', SEPARATOR=", u';', ModeReadOnly, false, false, {}},
    {"SEPARATOR='a'", u'A', ModeReadOnly, false, false, {}},
    {"separator='\xC3\xA9'", u'\u00C9', ModeReadOnly, false, false, {}},
    // Full upper-casing makes the value '\'SS\'', which fits no form.
    {"SEPARATOR=';',SEPARATOR='\xC3\x9F'", u';', ModeReadOnly, false, false, {}},
    {"DIALOG, LIBRARY", u'\t', ModeReadOnly, true, true, {}},
    {"DIALOG=NO", u'\t', ModeReadOnly, true, false, {}},
    {"library=maybe,dialog", u'\t', ModeReadOnly, true, true, {}},
    {"SEP=';'", u'\t', ModeReadOnly, false, false, {KeywordReport("SEP")}},
    {"SEPARATORX=';'", u'\t', ModeReadOnly, false, false, {KeywordReport("SEPARATORX")}},
    {",MODE=WA", u'\t', ModeWriteAppend, false, false, {KeywordReport("")}},
    {",,", u'\t', ModeReadOnly, false, false, {KeywordReport(""), KeywordReport("")}},
    {"MODE=RO,", u'\t', ModeReadOnly, false, false, {}},
    {"   ", u'\t', ModeReadOnly, false, false, {KeywordReport("")}},
    {"MODE=WO, MODE=XX", u'\t', ModeWriteEmpty, false, false, {ModeReport("XX")}},
    {"MODE=WA,MODE=RO", u'\t', ModeReadOnly, false, false, {}},
    {"mod\xC3\xA9=WA", u'\t', ModeReadOnly, false, false, {KeywordReport("MOD\xC9")}},
    {"MODE=\xE2\x82\xAC", u'\t', ModeReadOnly, false, false, {ModeReport("\x80")}},
    {"MODE=\xE3\x81\x82", u'\t', ModeReadOnly, false, false, {ModeReport("?")}},
};

TEST(ParseOpenParameters, ParsesEachFormOfTheParameterString) {
    for (const ParameterCase& item : parameterCases) {
        SCOPED_TRACE(item.parameters);
        Parsed parsed = Parse(U(item.parameters));
        EXPECT_TRUE(parsed.result);
        EXPECT_EQ(parsed.settings.separator, item.separator);
        EXPECT_EQ(parsed.settings.mode, item.mode);
        EXPECT_EQ(parsed.dialog, item.dialog);
        EXPECT_EQ(parsed.library, item.library);
        EXPECT_EQ(parsed.reports, item.reports);
    }
}

TEST(ParseOpenParameters, EmptyStringClearsTheFlagsAndReportsNothing) {
    Parsed parsed = Parse(ZR::UniString());
    EXPECT_TRUE(parsed.result);
    EXPECT_FALSE(parsed.dialog);
    EXPECT_FALSE(parsed.library);
    EXPECT_EQ(parsed.settings.mode, ModeReadOnly);
    EXPECT_TRUE(parsed.reports.empty());
}

TEST(ParseOpenParameters, MissingOutParameterChangesAndReportsNothing) {
    OpenTest::BindCore();
    OpenSettings settings{u';', ModeWriteEmpty};
    bool dialog = true, library = true;
    const ZR::UniString name(U("prices.txt"));
    StringFetcherProc fetcher = OpenTest::CoreMessageFetcher();
    ZR::UniString bad = U("FOO,DIALOG,MODE=WA");
    EXPECT_FALSE(
        DataOmbraPlugin::ParseOpenParameters(bad, nullptr, &dialog, &library, name, fetcher));
    EXPECT_FALSE(
        DataOmbraPlugin::ParseOpenParameters(bad, &settings, nullptr, &library, name, fetcher));
    EXPECT_FALSE(
        DataOmbraPlugin::ParseOpenParameters(bad, &settings, &dialog, nullptr, name, fetcher));
    EXPECT_EQ(settings.mode, ModeWriteEmpty);
    EXPECT_TRUE(dialog);
    EXPECT_TRUE(library);
    EXPECT_TRUE(OpenTest::TakeCoreReports().empty());
}

// Random strings over the characters that steer the parser, some of them long and odd: the parse
// always succeeds, leaves a valid mode and makes at most one report per item (an item ends at a
// comma, so there are at most commas + 1 of them), each report in one of the two forms.
TEST(ParseOpenParameters, RandomStringsNeverMakeMoreThanOneReportPerItem) {
    std::u16string alphabet = u"MODEWASEPRTOLIBYG=,,,''' \t\\\u00DF\u00E9\u20AC\U0001F600x";
    alphabet += char16_t(0xD800);  // a lone surrogate
    alphabet += char16_t(0);
    std::mt19937 random(20240105);
    for (int round = 0; round < 2000; ++round) {
        size_t length = round % 50 == 0 ? 5000 + random() % 5000 : random() % 64;
        std::u16string text;
        for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        Parsed parsed = Parse(ZR::UniString(text));
        size_t items = size_t(std::count(text.begin(), text.end(), u',')) + 1;
        ASSERT_TRUE(parsed.result);
        ASSERT_LE(parsed.reports.size(), items);
        ASSERT_TRUE(parsed.settings.mode == ModeReadOnly ||
                    parsed.settings.mode == ModeWriteEmpty ||
                    parsed.settings.mode == ModeWriteAppend);
        // Each report is one of the two, whatever the item: the first words of each message.
        const std::string keywordStart = KeywordReport("").substr(0, 10);
        const std::string modeStart = ModeReport("").substr(0, 10);
        for (const std::string& report : parsed.reports) {
            ASSERT_TRUE(report.rfind(keywordStart, 0) == 0 || report.rfind(modeStart, 0) == 0)
                << report;
        }
    }
}

}  // namespace
