// Lossless UTF-8: valid text decodes to its code units, every other byte to U+DC00 + byte, and
// everything decoding produces encodes back to the very same bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "host/base/unistring.h"

namespace {

using ZR::UniString;

UniString Decode(const std::string& bytes) {
    return UniString(bytes.data(), USize(bytes.size()), CC_UTF8);
}
std::string Encode(const std::u16string& units) {
    return UniString(units).ToCStr(CC_UTF8).GetBytes();
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::u16string units;
};

void ExpectDecodesAndRoundTrips(const Utf8Case& c) {
    const UniString text = Decode(c.bytes);
    EXPECT_EQ(text.Get(), c.units) << c.name;
    EXPECT_EQ(text.ToCStr(CC_UTF8).GetBytes(), c.bytes) << c.name;
}

TEST(Utf8, ValidTextDecodesToItsCodeUnits) {
    const Utf8Case cases[] = {
        {"ascii", "plain", u"plain"},
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"highest two-byte", "\xDF\xBF", u"\u07FF"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"below surrogates", "\xED\x9F\xBF", u"\uD7FF"},
        {"above surrogates", "\xEE\x80\x80", u"\uE000"},
        {"highest three-byte", "\xEF\xBF\xBF", u"\uFFFF"},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"nul bytes", std::string("a\0b\0", 4), std::u16string(u"a\0b\0", 4)},
    };
    for (const Utf8Case& c : cases) ExpectDecodesAndRoundTrips(c);
}

TEST(Utf8, EachInvalidByteDecodesToItsEscape) {
    const Utf8Case cases[] = {
        {"lone continuation", "\x80", u"\xDC80"},
        {"overlong lead C0", "\xC0\x80", u"\xDCC0\xDC80"},
        {"overlong three-byte", "\xE0\x80\x80", u"\xDCE0\xDC80\xDC80"},
        {"overlong four-byte", "\xF0\x8F\xBF\xBF", u"\xDCF0\xDC8F\xDCBF\xDCBF"},
        {"surrogate code point", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        {"lead F5", "\xF5\x80\x80\x80", u"\xDCF5\xDC80\xDC80\xDC80"},
        {"truncated before ascii",
         "\xE2\x82"
         "A",
         u"\xDCE2\xDC82"
         u"A"},
        {"truncated before valid", "\xE2\x82\xE2\x82\xAC", u"\xDCE2\xDC82\u20AC"},
        {"four-byte cut short", "\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98"},
        {"lead then lead", "\xC3\xC3\xA9", u"\xDCC3\u00E9"},
        {"latin-1 text", "caf\xE9!", u"caf\xDCE9!"},
    };
    for (const Utf8Case& c : cases) ExpectDecodesAndRoundTrips(c);
}

// The rule for lone surrogates that decoding never produces: their three-byte form, whose bytes
// then decode to escapes and stay the same bytes on every later round trip.
TEST(Utf8, LoneSurrogatesEncodeToStableBytes) {
    const struct {
        std::u16string units;
        std::string bytes;
    } cases[] = {
        {u"\xD800", "\xED\xA0\x80"},
        {u"\xDBFF"
         u"a",
         "\xED\xAF\xBF"
         "a"},
        {u"\xDC7F", "\xED\xB1\xBF"},
        {u"\xDD00", "\xED\xB4\x80"},
        {u"\xDC80", "\x80"},
        {u"\xD83D\xDC80", "\xF0\x9F\x92\x80"},  // a pair wins over the escape reading
    };
    for (const auto& c : cases) {
        const std::string once = Encode(c.units);
        EXPECT_EQ(once, c.bytes);
        EXPECT_EQ(Decode(once).ToCStr(CC_UTF8).GetBytes(), once);
    }
}

// Lengths around the fast paths of both encodings, a euro sign at every position: its bytes in
// the code page and in UTF-8 go each way exactly.
TEST(Encodings, RoundTripAroundTheFastPathBoundaries) {
    for (const auto& [encoding, euro] :
         {std::pair<ZRCharCode, std::string>{CC_Default, "\x80"}, {CC_UTF8, "\xE2\x82\xAC"}}) {
        for (size_t length = 1; length <= 40; ++length) {
            for (size_t position = 0; position < length; ++position) {
                std::u16string units(length, u'x');
                units[position] = u'\u20AC';
                const std::string bytes =
                    std::string(position, 'x') + euro + std::string(length - position - 1, 'x');
                ASSERT_EQ(UniString(units).ToCStr(encoding).GetBytes(), bytes) << length;
                ASSERT_EQ(UniString(bytes.data(), USize(bytes.size()), encoding).Get(), units);
            }
        }
    }
}

// Random bytes, some of them valid sequences, come back exactly; so do the bytes that random
// code units (lone surrogates among them) encode to.
TEST(Utf8, RandomBytesAndCodeUnitsRoundTrip) {
    static const std::string pieces[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "abc"};
    std::mt19937 random(20240105);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        for (size_t length = random() % 64; bytes.size() < length;)
            bytes +=
                random() % 4 == 0 ? pieces[random() % 4] : std::string(1, char(random() % 256));
        ASSERT_EQ(Decode(bytes).ToCStr(CC_UTF8).GetBytes(), bytes) << "round " << round;
        std::u16string units(random() % 32, u'\0');
        for (char16_t& unit : units) unit = char16_t(random() % 0x10000);
        const std::string encoded = Encode(units);
        ASSERT_EQ(Decode(encoded).ToCStr(CC_UTF8).GetBytes(), encoded) << "round " << round;
    }
}

}  // namespace
