// The resources that the test module carries, shared by the module and the tests that read them.
#pragma once

#include <string_view>

#include "tests/platform/base/note_builder.h"

namespace BaseTest {

using namespace std::string_view_literals;

constexpr UInt32 StringsType = FourCharCode("STRS");
constexpr UInt32 FixedType = FourCharCode("STRF");
constexpr UInt32 AlertType = FourCharCode("GALR");

constexpr std::string_view AlertBytes =
    "\x01\x02\0\x03"
    "alert"sv;

constexpr FixtureResource FixtureResources[] = {
    {FixedType, 1, "  1 SEPARATOR\0  2 MODE\0  3 DIALOG\0"sv, true},
    {StringsType, 3, "first\0\0third\0"sv, true},
    {AlertType, 128, AlertBytes, false},
    {StringsType, 9, "\xFF\0\0\0abc\0"sv, false},   // its byte count overruns the list
    {StringsType, 10, "\x04\0\0\0a\0bc"sv, false},  // its last string is not terminated
    {StringsType, 11, ""sv, false},                 // empty: too short for a byte count
};

constexpr size_t FixtureNoteSize = NoteSize(FixtureResources);

}  // namespace BaseTest
