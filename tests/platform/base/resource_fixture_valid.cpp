// A module that carries the resources of fixture_resources.h in its resource note.
#include "tests/platform/base/fixture_resources.h"

namespace {

BASE_TEST_NOTE_SECTION const std::array<unsigned char, BaseTest::FixtureNoteSize> resourceNote =
    BaseTest::BuildNote<BaseTest::FixtureNoteSize>(BaseTest::FixtureResources);

}  // namespace

// An address inside the module, for finding its instance from an address.
extern "C" __attribute__((visibility("default"))) int BaseTestFixtureAnchor() {
    return 7;
}
