// The frame's wrappers of the host environment: the library lookup service and the guard that
// makes the module's resources active.
#include <gtest/gtest.h>

#include <stdexcept>

#include "extension/frame/host_services.h"
#include "tests/extension/frame/core_binding.h"

namespace {

using namespace DataOmbraPlugin;

class HostServicesTest : public ::testing::Test {
protected:
    void SetUp() override { FrameTest::BindCore(); }
    void TearDown() override { FrameTest::SetCoreLibraryLookup(nullptr); }
};

Int16 FindsEverything(const ZR::UniString& name, IO::Location& location) {
    ZR::UniString path("/library/");
    location = IO::Location(path.Append(name));
    return 0;
}

Int16 FindsNothing(const ZR::UniString&, IO::Location&) {
    return 7;
}

TEST_F(HostServicesTest, LibraryLookupPassesTheServicesAnswerOn) {
    IO::Location location;
    FrameTest::SetCoreLibraryLookup(FindsEverything);
    EXPECT_EQ(FindLibraryFileByHost(ZR::UniString("a.txt"), location), 0);
    EXPECT_EQ(location, IO::Location(ZR::UniString("/library/a.txt")));

    FrameTest::SetCoreLibraryLookup(FindsNothing);
    IO::Location untouched;
    EXPECT_EQ(FindLibraryFileByHost(ZR::UniString("a.txt"), untouched), 7);
    EXPECT_TRUE(untouched.IsEmpty());
}

TEST_F(HostServicesTest, ResourceGuardActivatesTheModuleAndRestoresThePrevious) {
    ASSERT_NE(GetResourceModule(), InvalidResModule);
    const GSResModule before = RSSetActiveModule(InvalidResModule);
    {
        ResHandling guard;
        EXPECT_EQ(RSGetActiveModule(), GetResourceModule());
    }
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    try {
        ResHandling guard;
        throw std::runtime_error("dialog failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(RSGetActiveModule(), InvalidResModule);
    RSSetActiveModule(before);
}

}  // namespace
