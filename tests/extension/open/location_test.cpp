// Turning OPEN's file name into a location: backslash reduction and the failure paths of the
// remembered dialog choice.
#include <gtest/gtest.h>

#include "extension/frame/channel_info.h"
#include "extension/frame/report_error.h"
#include "extension/open/location.h"
#include "platform/dialog/dialog_host.h"
#include "platform/interpreter/object_library.h"
#include "tests/extension/open/open_core.h"
#include "tests/support/temp_folder.h"

namespace {

using DataOmbraPlugin::ModeReadOnly;
using DataOmbraPlugin::ModeWriteAppend;
using OpenTest::U;

TEST(ReduceBackslashes, MakesEachPairOneAndKeepsSingleOnes) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},
        {u"plain.txt", u"plain.txt"},
        {u"a\\\\b.txt", u"a\\b.txt"},
        {u"a\\b.txt", u"a\\b.txt"},
        {u"\\\\\\", u"\\\\"},
        {u"\\\\\\\\", u"\\\\"},
        {u"dir\\", u"dir\\"},
        {u"dir\\\\", u"dir\\"},
        {u"\\\\server\\\\share\\\\f", u"\\server\\share\\f"},
    };
    for (const auto& [name, reduced] : cases)
        EXPECT_EQ(DataOmbraPlugin::ReduceBackslashes(ZR::UniString(name)), ZR::UniString(reduced))
            << OpenTest::Utf8(ZR::UniString(name));
}

class LocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenTest::BindCore();
        DG::ClearAnswers();
        DG::TakeShownDialogs();
        SetObjectLibraryFolders({});
    }
    void TearDown() override {
        SetObjectLibraryFolders({});
        DG::ClearAnswers();
        if (handle != nullptr) BMKillHandle(&handle);
    }

    ZRErrCode Resolve(const std::string& name, bool dialog, bool library, IO::Location& location) {
        return DataOmbraPlugin::ResolveFileLocation(U(name), dialog, library, ModeReadOnly, &handle,
                                                    location);
    }

    OmbraTest::TempFolder folder;
    ZRHandle handle = nullptr;
};

TEST_F(LocationTest, DialogWithoutHandleVariableIsError2) {
    IO::Location location;
    EXPECT_EQ(DataOmbraPlugin::LocateByDialog(nullptr, U("a.txt"), ModeReadOnly, location),
              DataOmbraPlugin::ErrorOpen);
    EXPECT_TRUE(DG::TakeShownDialogs().empty());
}

TEST_F(LocationTest, CancelledDialogLeavesTheNewBlockEmpty) {
    IO::Location location(U("/untouched"));
    EXPECT_EQ(DataOmbraPlugin::LocateByDialog(&handle, U("a.txt"), ModeWriteAppend, location),
              DataOmbraPlugin::ErrorFileNotFound);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(BMGetHandleSize(handle), 0);
    EXPECT_EQ(location, IO::Location(U("/untouched")));
}

}  // namespace
