// The alerts that the dialog suites' fixture module carries.
#pragma once

#include <string_view>

#include "tests/platform/base/note_builder.h"

namespace DialogTest {

using namespace std::string_view_literals;

constexpr UInt32 AlertType = FourCharCode("GALR");
constexpr ZRResID WholeAlert = 128;
constexpr ZRResID TwoParameterAlert = 129;  // button 2 has no label
constexpr ZRResID CutAlert = 130;           // its count runs past the resource
constexpr ZRResID AbsentAlert = 131;

// Each alert: its 32-bit byte count (put in front by the note builder), the 16-bit value -3, then
// title, message, second message and the three button labels.
constexpr BaseTest::FixtureResource FixtureAlerts[] = {
    {AlertType, WholeAlert,
     "\xFD\xFFInformation\0Cannot find %s.\0\0Browse...\0Cancel\0Create...\0"sv, true},
    {AlertType, TwoParameterAlert, "\xFD\xFFQuestion\0Move %s\0to %s?\0Yes\0\0No\0"sv, true},
    {AlertType, CutAlert, "\xFF\x00\x00\x00\xFD\xFFTitle\0Message\0"sv, false},
};

constexpr size_t FixtureNoteSize = BaseTest::NoteSize(FixtureAlerts);

}  // namespace DialogTest
