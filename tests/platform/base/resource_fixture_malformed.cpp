// A module whose resource note is malformed: one entry's bytes reach past the descriptor.
#include "tests/platform/base/fixture_resources.h"

namespace {

constexpr std::array<unsigned char, BaseTest::FixtureNoteSize> MakeMalformedNote() {
    auto note = BaseTest::BuildNote<BaseTest::FixtureNoteSize>(BaseTest::FixtureResources);
    constexpr size_t secondEntrySize = BaseTest::DescriptorOffset + 8 + 16 + 12;
    BaseTest::Put32(note, secondEntrySize, 0x10000);
    return note;
}

BASE_TEST_NOTE_SECTION const std::array<unsigned char, BaseTest::FixtureNoteSize> resourceNote =
    MakeMalformedNote();

}  // namespace
