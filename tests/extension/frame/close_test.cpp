// CLOSE through the frame linked into this program: the channel is freed, its file closed and
// left as it was.
#include "extension/frame/close.h"

#include "tests/extension/frame/channel_fixture.h"

namespace {

using namespace DataOmbraPlugin;
using CloseTest = FrameTest::ChannelFixture;

TEST_F(CloseTest, ClosingAChannelNeverOpenedChangesNothing) {
    Claim(1, "one.txt");
    EXPECT_EQ(CloseDataChannel(2), 0);
    EXPECT_EQ(ChannelCount(), 1u);
    EXPECT_TRUE(folder.IsOpenInProcess("one.txt"));
}

TEST_F(CloseTest, CloseFreesTheChannelAndClosesItsFileUnchanged) {
    const std::string bytes = "b\t2\ra\t1\r";  // not sorted, no save due
    std::unique_ptr<IO::File> file = OpenedFile("data.txt", bytes);
    ClaimChannel(3, file, OpenSettings(), false, false);
    Claim(4, "other.txt");
    EXPECT_EQ(CloseDataChannel(3), 0);
    EXPECT_EQ(FindChannel(3), 0u);
    EXPECT_FALSE(folder.IsOpenInProcess("data.txt"));
    EXPECT_EQ(folder.ReadFile("data.txt"), bytes);
    EXPECT_EQ(FindChannel(4), 1u);
    EXPECT_TRUE(folder.IsOpenInProcess("other.txt"));
}

TEST_F(CloseTest, SecondCloseDoesNothing) {
    Claim(3, "data.txt");
    EXPECT_EQ(CloseDataChannel(3), 0);
    EXPECT_EQ(CloseDataChannel(3), 0);
    EXPECT_EQ(ChannelCount(), 0u);
}

TEST_F(CloseTest, ChannelNumberIsFreeForANewOpenAtTheEnd) {
    Claim(3, "a.txt");
    Claim(4, "b.txt");
    CloseDataChannel(3);
    Claim(3, "c.txt");
    EXPECT_EQ(FindChannel(3), 2u);
    EXPECT_EQ(FileNameOf(3), "c.txt");
}

}  // namespace
