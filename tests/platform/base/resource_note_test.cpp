// The defensive parsing under the resource service: notes in a segment, descriptors, and string
// lists, each fed hand-made broken bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/base/resource_note.h"
#include "platform/base/resource_table.h"
#include "tests/platform/base/fixture_resources.h"

namespace {

using namespace std::string_literals;
using BaseTest::FixtureNoteSize;

const auto validNote = BaseTest::BuildNote<FixtureNoteSize>(BaseTest::FixtureResources);

std::string Le32(UInt32 value) {
    std::string bytes;
    for (int k = 0; k < 4; ++k) bytes += char(value >> (8 * k));
    return bytes;
}

// A note of any name, type and descriptor, padded to `alignment`.
std::string Note(const std::string& name, UInt32 type, const std::string& descriptor,
                 size_t alignment = 4) {
    auto padded = [&](std::string bytes) {
        bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, '\0');
        return bytes;
    };
    return Le32(UInt32(name.size())) + Le32(UInt32(descriptor.size())) + Le32(type) + padded(name) +
           padded(descriptor);
}

const std::string ourName("OmbraRes\0", 9);

bool Find(const std::string& segment, std::string_view* descriptor, size_t alignment = 4) {
    return ZR::FindResourceNote(segment.data(), segment.size(), alignment, descriptor);
}

TEST(ResourceNote, FoundAmongOtherNotes) {
    const std::string segment = Note("GNU\0"s, 3, "build-id") +
                                Note(ourName, FourCharCode("XXXX"), "wrong type") +
                                Note(ourName, ResourceNoteType, "ours");
    std::string_view descriptor;
    ASSERT_TRUE(Find(segment, &descriptor));
    EXPECT_EQ(descriptor, "ours");
}

TEST(ResourceNote, EightByteAlignedSegments) {
    const std::string segment =
        Note("GNU\0"s, 5, "prop", 8) + Note(ourName, ResourceNoteType, "eight", 8);
    std::string_view descriptor;
    ASSERT_TRUE(Find(segment, &descriptor, 8));
    EXPECT_EQ(descriptor, "eight");
}

TEST(ResourceNote, BrokenSegmentsFindNothing) {
    const std::string ours = Note(ourName, ResourceNoteType, "ours");
    std::string descOverrun = ours;
    descOverrun[4] = 100;
    std::string nameOverrun = Note("GNU\0"s, 3, "x") + ours;
    nameOverrun[0] = char(0xF0);
    nameOverrun[1] = char(0xFF);
    nameOverrun[2] = char(0xFF);
    nameOverrun[3] = char(0xFF);
    const struct {
        const char* name;
        std::string segment;
    } cases[] = {
        {"empty", ""},
        {"header cut short", ours.substr(0, 11)},
        {"descriptor cut short", ours.substr(0, ours.size() - 4)},
        {"descriptor size overruns", descOverrun},
        {"earlier name size overruns", nameOverrun},
        {"other name", Note("OmbraRez\0"s, ResourceNoteType, "x")},
        {"unterminated name", Note("OmbraRes"s, ResourceNoteType, "x")},
    };
    for (const auto& c : cases) {
        std::string_view descriptor;
        EXPECT_FALSE(Find(c.segment, &descriptor)) << c.name;
    }
}

std::string ValidDescriptor() {
    const auto* bytes = reinterpret_cast<const char*>(validNote.data());
    return std::string(bytes + BaseTest::DescriptorOffset, bytes + FixtureNoteSize);
}

bool Loads(const std::string& descriptor) {
    ZR::ResourceTable table;
    return ZR::ResourceTable::FromDescriptor(descriptor.data(), descriptor.size(), table);
}

TEST(ResourceTable, RejectsMalformedDescriptors) {
    const std::string valid = ValidDescriptor();
    const size_t firstEntry = 8;
    auto patched = [&](size_t at, UInt32 value) {
        std::string bytes = valid;
        bytes.replace(at, 4, Le32(value));
        return bytes;
    };
    ASSERT_TRUE(Loads(valid));
    const struct {
        const char* name;
        std::string descriptor;
    } cases[] = {
        {"empty", ""},
        {"header cut short", valid.substr(0, 7)},
        {"wrong magic", patched(0, FourCharCode("ORI2"))},
        {"count beyond the entries", patched(4, 1000)},
        {"count overflowing", patched(4, 0xFFFFFFFF)},
        {"offset beyond", patched(firstEntry + 8, UInt32(valid.size()) + 1)},
        {"size beyond", patched(firstEntry + 12, UInt32(valid.size()))},
        {"offset plus size wrapping", patched(firstEntry + 12, 0xFFFFFFF0)},
        {"bytes cut off", valid.substr(0, valid.size() - 8)},
    };
    for (const auto& c : cases) EXPECT_FALSE(Loads(c.descriptor)) << c.name;
}

TEST(ResourceTable, AcceptsEmptyAndZeroSizedResources) {
    EXPECT_TRUE(Loads(Le32(ResourceImageMagic) + Le32(0)));
    const std::string descriptor =
        Le32(ResourceImageMagic) + Le32(1) + Le32(1) + Le32(2) + Le32(24) + Le32(0);
    ZR::ResourceTable table;
    ASSERT_TRUE(ZR::ResourceTable::FromDescriptor(descriptor.data(), descriptor.size(), table));
    std::string_view bytes = "unchanged";
    EXPECT_TRUE(table.Find(1, 2, &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(table.Find(1, 3, &bytes));
}

TEST(StringList, FindsStringsByPositionDefensively) {
    const std::string list = Le32(9) + "one\0\0two\0"s;
    const struct {
        std::string list;
        Int32 index;
        bool found;
        std::string text;
    } cases[] = {
        {list, 1, true, "one"},
        {list, 2, true, ""},
        {list, 3, true, "two"},
        {list, 4, false, ""},
        {list, 0, false, ""},
        {list, -1, false, ""},
        {Le32(10) + "one\0\0two\0"s, 1, false, ""},  // count overruns
        {Le32(6) + "one\0tw"s, 2, false, ""},        // last string unterminated
        {Le32(4) + "one\0two\0"s, 2, false, ""},     // strings past the count are not read
        {"\x01\0\0"s, 1, false, ""},                 // too short for a count
    };
    for (const auto& c : cases) {
        std::string_view text = "unchanged";
        EXPECT_EQ(ZR::GetListString(c.list, c.index, &text), c.found) << c.index;
        EXPECT_EQ(text, c.found ? c.text : "unchanged");
    }
}

}  // namespace
