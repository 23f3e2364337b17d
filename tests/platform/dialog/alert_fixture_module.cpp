// A module that carries the alerts of alert_fixture.h in its resource note.
#include "tests/platform/dialog/alert_fixture.h"

namespace {

BASE_TEST_NOTE_SECTION const std::array<unsigned char, DialogTest::FixtureNoteSize> resourceNote =
    BaseTest::BuildNote<DialogTest::FixtureNoteSize>(DialogTest::FixtureAlerts);

}  // namespace
