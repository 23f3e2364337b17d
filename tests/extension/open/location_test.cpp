// Turning OPEN's file name into a location: backslash reduction, paths, the two library lookups,
// the precedence of the dialog and the failure paths of the remembered dialog choice.
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

TEST_F(LocationTest, PlainNameLiesInTheBaseFolderAndOtherNamesArePaths) {
    const std::pair<std::string, IO::Location> cases[] = {
        {"data.txt", folder.LocationOf("data.txt")},
        {"sub/data.txt", IO::Location(U("sub/data.txt"))},
        {"sub\\data.txt", IO::Location(U("sub/data.txt"))},
        {"/elsewhere/data.txt", IO::Location(U("/elsewhere/data.txt"))},
        {"/data.txt", IO::Location(U("/data.txt"))},
    };
    for (const auto& [name, expected] : cases) {
        IO::Location location;
        EXPECT_EQ(Resolve(name, false, false, location), NoError) << name;
        EXPECT_EQ(location, expected) << name;
    }
}

TEST_F(LocationTest, LibraryNameIsFoundByTheInterpreterLibraryFirst) {
    ASSERT_TRUE(folder.MakeFolder("lib/deep"));
    ASSERT_TRUE(folder.WriteFile("lib/deep/part.txt", "x"));
    SetObjectLibraryFolders({folder.LocationOf("lib")});
    bool hostAsked = false;
    OpenTest::SetCoreLibraryLookup([&](const ZR::UniString&, IO::Location&) {
        hostAsked = true;
        return Int16(0);
    });
    IO::Location location;
    EXPECT_EQ(Resolve("part.txt", false, true, location), NoError);
    EXPECT_EQ(location, folder.LocationOf("lib/deep/part.txt"));
    EXPECT_FALSE(hostAsked);
}

TEST_F(LocationTest, LibraryNameFoundNowhereIsError9AndLeavesTheLocation) {
    OpenTest::SetCoreLibraryLookup([](const ZR::UniString&, IO::Location&) { return Int16(-43); });
    IO::Location location(U("/untouched"));
    EXPECT_EQ(Resolve("part.txt", false, true, location), DataOmbraPlugin::ErrorNotInLibrary);
    EXPECT_EQ(location, IO::Location(U("/untouched")));
}

TEST_F(LocationTest, DialogTakesPrecedenceOverLibrary) {
    bool hostAsked = false;
    OpenTest::SetCoreLibraryLookup([&](const ZR::UniString&, IO::Location&) {
        hostAsked = true;
        return Int16(0);
    });
    DG::QueueAnswer("cancel");
    IO::Location location;
    EXPECT_EQ(Resolve("part.txt", true, true, location), DataOmbraPlugin::ErrorFileNotFound);
    EXPECT_FALSE(hostAsked);
    std::vector<DG::ShownDialog> shown = DG::TakeShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, DG::ShownDialog::OpenFile);
}

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
