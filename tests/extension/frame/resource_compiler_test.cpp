// The resource source parser: what is stored, and what is refused.
#include <gtest/gtest.h>

#include <string_view>

#include "tools/resources/resource_source.h"

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

}  // namespace
