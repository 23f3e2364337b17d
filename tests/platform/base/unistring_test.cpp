// UniString editing, searching, comparison and upper-casing, at the edges of the string.
#include <gtest/gtest.h>

#include "host/base/unistring.h"

namespace {

using ZR::UniString;

TEST(UniString, InsertClampsToTheEnd) {
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

TEST(UniString, DeleteRemovesAtMostWhatIsThere) {
    const struct {
        USize position, count;
        const char16_t* expected;
    } cases[] = {
        {0, 1, u"bcd"},  {1, 2, u"ad"},   {3, 1, u"abc"},  {2, 9, u"ab"},
        {4, 1, u"abcd"}, {9, 1, u"abcd"}, {0, 0, u"abcd"}, {1, MaxUIndex, u"a"},
    };
    for (const auto& c : cases) {
        UniString text(u"abcd");
        text.Delete(c.position, c.count);
        EXPECT_EQ(text, UniString(c.expected)) << c.position << "," << c.count;
    }
}

TEST(UniString, GetSubstringAndTruncateStayInside) {
    const UniString text(u"hello");
    EXPECT_EQ(text.GetSubstring(1, 3), UniString(u"ell"));
    EXPECT_EQ(text.GetSubstring(3, 99), UniString(u"lo"));
    EXPECT_EQ(text.GetSubstring(5, 1), UniString());
    EXPECT_EQ(text.GetSubstring(99, 1), UniString());
    UniString copy = text;
    copy.Truncate(9);
    EXPECT_EQ(copy, text);
    copy.Truncate(2);
    EXPECT_EQ(copy, UniString(u"he"));
}

TEST(UniString, FindFirstSearchesFromAPosition) {
    const UniString text(std::u16string(u"a;b;\0;", 6));
    EXPECT_EQ(text.FindFirst(u';'), 1u);
    EXPECT_EQ(text.FindFirst(u';', 2), 3u);
    EXPECT_EQ(text.FindFirst(u'\0'), 4u);
    EXPECT_EQ(text.FindFirst(u';', 6), MaxUIndex);
    EXPECT_EQ(text.FindFirst(u';', MaxUIndex), MaxUIndex);
    EXPECT_EQ(text.FindFirst(u'x'), MaxUIndex);
}

TEST(UniString, CompareOrdersByCodeUnits) {
    const struct {
        const char16_t* left;
        const char16_t* right;
        Int32 expected;
    } cases[] = {
        {u"a", u"b", -1},
        {u"b", u"a", 1},
        {u"a", u"a", 0},
        {u"", u"a", -1},
        {u"B", u"a", -1},
        {u"ab", u"a", 1},
        {u"\u00E9", u"z", 1},
        {u"\U0001F600", u"\uE000", -1},  // a surrogate is below U+E000 as a code unit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UniString(c.left).Compare(UniString(c.right)), c.expected);
        EXPECT_EQ(UniString(c.left) < UniString(c.right), c.expected < 0);
    }
}

TEST(UniString, SetToUpperCaseMapsFullUnicode) {
    const struct {
        const char16_t* text;
        const char16_t* expected;
    } cases[] = {
        {u"", u""},
        {u"abc xyz 09 {}", u"ABC XYZ 09 {}"},
        {u"caf\u00E9", u"CAF\u00C9"},
        {u"stra\u00DFe", u"STRASSE"},
        {u"\u0101\u03B1\u0434", u"\u0100\u0391\u0414"},
        {u"\xDCE9"
         u"a",
         u"\xDCE9"
         u"A"},  // an escape stays as it is
    };
    for (const auto& c : cases) {
        UniString text(c.text);
        text.SetToUpperCase();
        EXPECT_EQ(text, UniString(c.expected));
    }
}

TEST(UniString, LengthsAndNulls) {
    EXPECT_EQ(ZR::ucslen(u"abc"), 3u);
    EXPECT_EQ(ZR::ucslen(u""), 0u);
    EXPECT_EQ(ZR::ucslen(nullptr), 0u);
    EXPECT_TRUE(UniString(static_cast<const ZR::UniChar*>(nullptr)).IsEmpty());
    EXPECT_EQ(UniString(u"abc", 2), UniString(u"ab"));
    const ZR::CStr bytes = UniString(std::u16string(u"a\0b", 3)).ToCStr(CC_UTF8);
    EXPECT_EQ(bytes.GetLength(), 3u);
    EXPECT_EQ(bytes.Get()[3], '\0');
}

}  // namespace
