// The resource source parser and the note it becomes: what is stored, and what is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "host/base/resource_image.h"
#include "platform/resources/resource_note.h"

namespace {

using namespace ResourceCompiler;

std::string Parsed(std::string_view source, std::string* error = nullptr) {
    std::vector<ResourceDefinition> resources;
    std::string message;
    if (!ParseResourceSource(source, "test.rsrc", resources, message)) {
        if (error != nullptr) *error = message;
        return "<refused>";
    }
    std::string all;
    for (const ResourceDefinition& resource : resources) all += resource.stored;
    return all;
}

TEST(ResourceSourceTest, ItemsAreStoredAfterTheirByteCount) {
    using namespace std::string_literals;
    EXPECT_EQ(Parsed("STRS 3\n\"a\"\n\"\"\n"), "\x03\0\0\0a\0\0"s);
    EXPECT_EQ(Parsed("# c\n\nX1Z2 -5\n  int16 -3\nchars \"ab\"\n"),
              "\x04\0\0\0\xFD\xFF"
              "ab"s);
    EXPECT_EQ(Parsed("LTNF 1\nint32 -2\nuint32 4294967295\npadded 3 \"A\"\n"),
              "\x0B\0\0\0\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
              "A\0\0"s);
    EXPECT_EQ(Parsed("STRS 1\n\"\\r\\n\\t\\\\\\\"\\x41\\xfF\"\n"), "\x08\0\0\0\r\n\t\\\"A\xFF\0"s);
}

struct RefusedCase {
    const char* source;
    const char* error;
};

TEST(ResourceSourceTest, MalformedSourcesAreRefusedWithTheirLine) {
    const RefusedCase cases[] = {
        {"", "test.rsrc:0: no resources"},
        {"\"x\"\n", "test.rsrc:1: item before the first resource header"},
        {"STR 1\n\"x\"\n", "test.rsrc:1: expected a four-character resource type"},
        {"STRS\n\"x\"\n", "test.rsrc:1: expected a 16-bit id"},
        {"STRS 40000\n\"x\"\n", "test.rsrc:1: expected a 16-bit id"},
        {"STRS 1 2\n\"x\"\n", "test.rsrc:1: expected a 16-bit id"},
        {"STRS 1\n\"x\"\nSTRS 2\n", "test.rsrc:3: resource has no items"},
        {"STRS 1\n\"x\"\n\nSTRS 2\n\"y\"\nSTRS 1\n\"z\"\n", "test.rsrc:6: duplicate resource"},
        {"STRS 1\n\"x\n", "test.rsrc:2: unterminated text"},
        {"STRS 1\n\"x\" y\n", "test.rsrc:2: text after the closing quote"},
        {"STRS 1\n\"\\q\"\n", "test.rsrc:2: bad escape"},
        {"STRS 1\n\"\\x4\"\n", "test.rsrc:2: bad escape"},
        {"STRS 1\n\"a\\x00b\"\n", "test.rsrc:2: NUL byte inside a text"},
        {"STRS 1\nint16 3\n", "test.rsrc:2: a string list holds quoted texts only"},
        {"GALR 1\nint16 32768\n", "test.rsrc:2: expected a number within int16"},
        {"GALR 1\nuint32 -1\n", "test.rsrc:2: expected a number within uint32"},
        {"GALR 1\nint32 12x\n", "test.rsrc:2: expected a number within int32"},
        {"GALR 1\nfloat 1\n", "test.rsrc:2: unknown item 'float'"},
        {"GALR 1\npadded 2 \"abc\"\n", "test.rsrc:2: text longer than its width"},
        {"GALR 1\npadded x \"a\"\n", "test.rsrc:2: expected a width"},
        {"GALR 1\nchars abc\n", "test.rsrc:2: expected a quoted text"},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.source);
        std::string error;
        EXPECT_EQ(Parsed(c.source, &error), "<refused>");
        EXPECT_EQ(error, c.error);
    }
}

UInt32 Word(const std::string& bytes, size_t offset) {
    UInt32 value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | UInt8(bytes[offset + i]);
    return value;
}

TEST(ResourceNoteTest, NoteDescribesEveryResourceByOffsetFromTheDescriptor) {
    std::vector<ResourceDefinition> resources;
    std::string error;
    ASSERT_TRUE(
        ParseResourceSource("STRS 3\n\"abc\"\nLTNF -2\nchars \"z\"\n", "t", resources, error));
    const std::string note = BuildResourceNote(resources);
    ASSERT_EQ(note.size() % 4, 0u);
    EXPECT_EQ(Word(note, 0), sizeof(ResourceNoteName));
    EXPECT_EQ(Word(note, 8), ResourceNoteType);
    EXPECT_EQ(std::memcmp(note.data() + 12, ResourceNoteName, sizeof(ResourceNoteName)), 0);
    const std::string descriptor = note.substr(24, Word(note, 4));
    EXPECT_EQ(Word(descriptor, 0), ResourceImageMagic);
    ASSERT_EQ(Word(descriptor, 4), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const size_t entry = 8 + 16 * i;
        EXPECT_EQ(Word(descriptor, entry), resources[i].type);
        EXPECT_EQ(Int32(Word(descriptor, entry + 4)), resources[i].id);
        EXPECT_EQ(descriptor.substr(Word(descriptor, entry + 8), Word(descriptor, entry + 12)),
                  resources[i].stored);
    }
    EXPECT_EQ(descriptor.size(), 8 + 2 * 16 + resources[0].stored.size() + 5);
}

}  // namespace
