// The default code page (Windows-1252 made total): every byte to its own code unit and back.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/base/unistring.h"

namespace {

using ZR::UniString;

TEST(CodePage, AllBytesDecodeToDistinctUnitsAndBack) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += char(value);
    const UniString text(bytes.data(), USize(bytes.size()), CC_Default);
    ASSERT_EQ(text.GetLength(), 256u);
    EXPECT_EQ(std::set<char16_t>(text.Get().begin(), text.Get().end()).size(), 256u);
    EXPECT_EQ(text.ToCStr(CC_Default).GetBytes(), bytes);
}

TEST(CodePage, DecodesWindows1252AndTheUndefinedBytes) {
    const struct {
        unsigned char byte;
        char16_t unit;
    } cases[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081},
        {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        const char byte = char(c.byte);
        const UniString text(&byte, 1, CC_Default);
        ASSERT_EQ(text.GetLength(), 1u);
        EXPECT_EQ(text[0], c.unit) << "byte " << int(c.byte);
    }
}

TEST(CodePage, UnitsWithoutAByteBecomeQuestionMarksButEscapesTheirByte) {
    const struct {
        char16_t unit;
        char byte;
    } cases[] = {
        {0x0080, '?'},    {0x009F, '?'},    {0x0100, '?'},    {0x4E2D, '?'},
        {0xD800, '?'},    {0xDC7F, '?'},    {0xDD00, '?'},    {0xDC80, '\x80'},
        {0xDCC3, '\xC3'}, {0xDCFF, '\xFF'}, {0x20AC, '\x80'}, {0x0178, '\x9F'},
    };
    for (const auto& c : cases) {
        const UniString text(std::u16string(1, c.unit));
        EXPECT_EQ(text.ToCStr(CC_Default).GetBytes(), std::string(1, c.byte))
            << "unit " << std::hex << int(c.unit);
    }
}

}  // namespace
