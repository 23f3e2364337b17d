// The undecoded paths (key bytes, skipped lines) against the line reader and UniString order.
#include <random>

#include "extension/store/data_file.h"
#include "extension/store/key_reader.h"
#include "tests/extension/store/store_fixture.h"

namespace DataOmbraPlugin {
namespace {

// Bytes that stress both decoders: ASCII, separators, UTF-8 leads and continuations, a surrogate's
// encoding, the byte-order mark's bytes, 0xFF and NUL.
constexpr char Alphabet[] = "abA\t;\x80\xBF\xC3\xA9\xE2\x82\xAC\xED\xA0\xF0\x9F\x98\xFF\xEF\xBB";

std::string RandomBytes(std::mt19937& random, size_t maxLength) {
    std::string bytes(random() % (maxLength + 1), '\0');
    for (char& byte : bytes) {
        const size_t pick = random() % sizeof Alphabet;  // the last pick is the NUL
        byte = Alphabet[pick];
    }
    return bytes;
}

// A file of random lines with random terminators; the first line ends in a CR that is the last
// byte of the file layer's 64 KiB buffer, its LF the first of the next.
std::string RandomFile(std::mt19937& random, bool utf8) {
    std::string text = utf8 ? "\xEF\xBB\xBF" : "";
    text += "a\t" + std::string(65535 - text.size() - 2, 'x') + "\r\n";
    const char* terminators[] = {"\r", "\n", "\r\n"};
    for (int i = 0; i < 400; ++i) text += RandomBytes(random, 12) + terminators[random() % 3];
    return text + RandomBytes(random, 12);  // a last line without terminator
}

struct SeparatorCase {
    ZR::UniChar separator;
    bool utf8;
};

// Named in test messages; without it the test framework prints the case's bytes, padding
// included, which memory checkers rightly report as uninitialised.
void PrintTo(const SeparatorCase& separatorCase, std::ostream* out) {
    *out << "separator " << int(separatorCase.separator)
         << (separatorCase.utf8 ? ", UTF-8" : ", code page");
}

class KeyReaderTest : public StoreTest, public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(KeyReaderTest, KeysAndLineEndsMatchTheLineReader) {
    const auto [separator, utf8] = GetParam();
    std::mt19937 random(separator + utf8);
    const std::string text = RandomFile(random, utf8);
    auto keyed = MakeChannel(text, utf8, separator);
    auto decoded = OpenChannel("data.txt", utf8, separator);
    auto skipped = OpenChannel("data.txt", utf8, separator);
    KeyReader reader(*keyed);
    std::string_view key;
    for (int line = 0, step = 1;; line += step, step = 1 + line % 23) {
        // The skipping reader takes `step` lines at once, the others one by one.
        ZRErrCode status = NoError;
        for (int i = 0; i < step && status == NoError; ++i) {
            ZR::UniString expected;
            status = ReadTextLine(*decoded, expected);
            ASSERT_EQ(reader.ReadKey(key), status) << line + i;
            SplitKey(expected, separator);
            if (status == NoError) {
                ASSERT_EQ(reader.Decode(key), expected) << line + i;
            }
        }
        ASSERT_EQ(SkipLines(*skipped, step), status) << line;
        if (status != NoError) break;
        UInt32 want = 0, keyedAt = 1, skippedAt = 2;
        ASSERT_EQ(GetIndexPosition(*decoded, want), NoError);
        ASSERT_EQ(reader.Position(keyedAt), NoError);
        ASSERT_EQ(GetIndexPosition(*skipped, skippedAt), NoError);
        ASSERT_EQ(keyedAt, want) << line;
        ASSERT_EQ(skippedAt, want) << line;
    }
}

TEST_P(KeyReaderTest, ByteOrderAndEncodingAgreeWithTheTexts) {
    const auto [separator, utf8] = GetParam();
    auto info = MakeChannel("", utf8, separator);
    KeyReader reader(*info);
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string a = RandomBytes(random, 4);
        const std::string b = i % 4 == 0 ? a + RandomBytes(random, 2) : RandomBytes(random, 4);
        ASSERT_EQ(reader.Less(a, b), reader.Decode(a) < reader.Decode(b));
        ASSERT_EQ(reader.Less(b, a), reader.Decode(b) < reader.Decode(a));
        std::string encoded;
        ASSERT_TRUE(reader.Encode(reader.Decode(a), encoded));
        ASSERT_EQ(encoded, a);
    }
    // A text that no line of the file can hold has no byte form to match.
    std::string encoded;
    const ZR::UniChar outside[] = {ZR::UniChar(utf8 ? 0xD800 : 0x0100), 0};
    EXPECT_FALSE(reader.Encode(ZR::UniString(outside), encoded));
}

INSTANTIATE_TEST_SUITE_P(Separators, KeyReaderTest,
                         ::testing::Values(SeparatorCase{9, false}, SeparatorCase{9, true},
                                           SeparatorCase{0xA7, false}, SeparatorCase{0xA7, true},
                                           SeparatorCase{0x20AC, false},
                                           SeparatorCase{0x20AC, true},
                                           SeparatorCase{0x0100, false}));

}  // namespace
}  // namespace DataOmbraPlugin
