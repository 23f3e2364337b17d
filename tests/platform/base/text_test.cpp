// The text functions that neither the module nor ombra calls: the CH byte-order comparison with and
// without case, conversion into a caller's buffer, and UniString insertion.
#include <gtest/gtest.h>

#include <string>

#include "host/base/text.h"
#include "host/base/unistring.h"

namespace {

TEST(CompareTexts, OrdersByUnsignedBytes) {
    const struct {
        const char* left;
        const char* right;
        Int32 caseType;
        ZRCharCode charCode;
        Int32 expected;
    } cases[] = {
        {"a", "b", 1, CC_Default, -1},
        {"b", "a", 1, CC_Default, 1},
        {"abc", "abc", 1, CC_Default, 0},
        {"ab", "abc", 1, CC_Default, -1},
        {"B", "a", 1, CC_Default, -1},  // byte order: capitals first
        {"B", "a", 0, CC_Default, 1},   // case ignored: b after a
        {"ABC", "abc", 0, CC_Default, 0},
        {"\x80", "a", 1, CC_Default, 1},               // bytes compare unsigned
        {"\xC9t\xC9", "\xE9t\xE9", 0, CC_Default, 0},  // Latin-1 capitals fold
        {"\xC9", "\xE9", 1, CC_Default, -1},
        {"\xD7", "\xF7", 0, CC_Default, -1},  // the multiplication sign is no letter
        {"[", "{", 0, CC_Default, -1},
        {"\xC3\x89", "\xC3\xA9", 0, CC_UTF8, 0},  // UTF-8 capital and small e-acute
        {"\xC3\x97", "\xC3\xB7", 0, CC_UTF8, -1},
        {"\x89", "\xA9", 0, CC_UTF8, -1},  // a stray byte is not a letter
        {"Stra\xC3\x9F"
         "E",
         "stra\xC3\x9F"
         "e",
         0, CC_UTF8, 0},
        {nullptr, "", 1, CC_Default, 0},
        {nullptr, "a", 0, CC_Default, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CHCompareTexts(c.left, c.right, c.caseType, c.charCode), c.expected)
            << (c.left ? c.left : "(null)") << " / " << c.right << " case " << c.caseType;
    }
}

TEST(Unicode2ANSI, ReportsTheNeededSizeWithoutADestination) {
    const char16_t text[] = u"\u00E9\u20AC\U0001F600a";
    EXPECT_EQ(CHUnicode2ANSI(text, 5, nullptr, 0, CC_UTF8), 2 + 3 + 4 + 1);
    EXPECT_EQ(CHUnicode2ANSI(text, -1, nullptr, 0, CC_UTF8), 10);
    EXPECT_EQ(CHUnicode2ANSI(text, 5, nullptr, 0, CC_Default), 5);
    EXPECT_EQ(CHUnicode2ANSI(nullptr, 5, nullptr, 0, CC_UTF8), 0);
}

TEST(Unicode2ANSI, WritesTheSameBytesAsUniString) {
    const std::u16string text = u"k\u00E9y\xDC80\U0001F600";
    for (ZRCharCode charCode : {CC_Default, CC_UTF8}) {
        const std::string expected = ZR::UniString(text).ToCStr(charCode).GetBytes();
        std::string buffer(64, '#');
        const Int32 written =
            CHUnicode2ANSI(text.data(), Int32(text.size()), buffer.data(), 64, charCode);
        EXPECT_EQ(buffer.substr(0, size_t(written)), expected);
        EXPECT_EQ(buffer[size_t(written)], '#');  // no terminator written
    }
}

TEST(Unicode2ANSI, ShortDestinationGetsWholeCharactersOnly) {
    const std::u16string text = u"a\u20AC\U0001F600";  // 1 + 3 + 4 bytes in UTF-8
    const struct {
        Int32 size;
        std::string expected;
    } cases[] = {{0, ""},
                 {1, "a"},
                 {3, "a"},
                 {4, "a\xE2\x82\xAC"},
                 {7, "a\xE2\x82\xAC"},
                 {8, "a\xE2\x82\xAC\xF0\x9F\x98\x80"}};
    for (const auto& c : cases) {
        std::string buffer(8, '#');
        const Int32 written =
            CHUnicode2ANSI(text.data(), Int32(text.size()), buffer.data(), c.size, CC_UTF8);
        EXPECT_EQ(buffer.substr(0, size_t(written)), c.expected) << "size " << c.size;
    }
}

TEST(Unicode2ANSI, LossyModeReplacesEscapes) {
    const char16_t text[] = u"a\xDCE9\xD800";
    char buffer[8];
    for (ZRCharCode charCode : {CC_Default, CC_UTF8}) {
        const Int32 written = CHUnicode2ANSI(text, 3, buffer, 8, charCode, false);
        EXPECT_EQ(std::string(buffer, size_t(written)), "a??");
    }
    EXPECT_EQ(CHUnicode2ANSI(text, 3, buffer, 8, CC_UTF8, true), 1 + 1 + 3);
}

TEST(UniString, InsertClampsToTheEnd) {
    using ZR::UniString;
    const struct {
        USize position;
        const char16_t* expected;
    } cases[] = {{0, u"XYabc"}, {1, u"aXYbc"}, {3, u"abcXY"}, {4, u"abcXY"}, {MaxUIndex, u"abcXY"}};
    for (const auto& c : cases) {
        UniString text(u"abc");
        text.Insert(c.position, UniString(u"XY"));
        EXPECT_EQ(text, UniString(c.expected)) << "position " << c.position;
    }
    UniString text(u"ac");
    text.Insert(1, u'b');
    text.Insert(9, u'd');
    EXPECT_EQ(text, UniString(u"abcd"));
}

}  // namespace
