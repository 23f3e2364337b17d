// The channel table: finding, claiming, unloading and releasing records by channel number.
#include "extension/frame/channel_table.h"

#include "host/environment.h"

#include "tests/extension/frame/channel_fixture.h"

namespace {

using namespace DataOmbraPlugin;
using ChannelTableTest = FrameTest::ChannelFixture;

TEST_F(ChannelTableTest, EmptyTableFindsNothingAndLeavesCallerSettings) {
    EXPECT_EQ(FindChannel(5), 0u);
    EXPECT_EQ(FindChannelRecord(5), nullptr);
    IO::File* file = reinterpret_cast<IO::File*>(this);
    OpenSettings settings{';', ModeWriteAppend};
    GetChannelFile(5, &file, &settings);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(settings.separator, u';');
    EXPECT_EQ(settings.mode, ModeWriteAppend);
    EXPECT_EQ(UnloadChannel(5), StatusReportedError);
    SetBomPending(5, true);
    EXPECT_EQ(ChannelCount(), 0u);
}

TEST_F(ChannelTableTest, ClaimBindsFileAndSettings) {
    std::unique_ptr<IO::File> file = OpenedFile("a.txt");
    IO::File* given = file.get();
    ClaimChannel(3, file, OpenSettings{';', ModeWriteEmpty}, true, true);
    ASSERT_EQ(FindChannel(3), 1u);
    const ChannelInfo& record = ChannelRecordAt(1);
    EXPECT_EQ(record.file.get(), given);
    EXPECT_EQ(record.separator, u';');
    EXPECT_EQ(record.openMode, ModeWriteEmpty);
    EXPECT_EQ(record.utf8, 1);
    EXPECT_EQ(record.bomPending, 1);
    EXPECT_EQ(record.loaded, 0);
    OpenSettings settings;
    IO::File* found = nullptr;
    GetChannelFile(3, &found, &settings);
    EXPECT_EQ(found, given);
    EXPECT_EQ(settings.separator, u';');
    EXPECT_EQ(settings.mode, ModeWriteEmpty);
}

TEST_F(ChannelTableTest, ReleaseMovesLaterRecordsDown) {
    Claim(5, "five.txt");
    Claim(7, "seven.txt");
    Claim(9, "nine.txt");
    EXPECT_EQ(FindChannel(7), 2u);
    std::unique_ptr<IO::File> file;
    ReleaseChannel(5, file);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->IsOpen());  // handed over, not closed
    EXPECT_EQ(FindChannel(5), 0u);
    EXPECT_EQ(FindChannel(7), 1u);
    EXPECT_EQ(FindChannel(9), 2u);
    EXPECT_EQ(FileNameOf(7), "seven.txt");
    EXPECT_EQ(FileNameOf(9), "nine.txt");
}

TEST_F(ChannelTableTest, ReleaseOfAChannelNotOpenGivesNoFile) {
    Claim(1, "one.txt");
    std::unique_ptr<IO::File> file = OpenedFile("stray.txt");
    ReleaseChannel(2, file);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(ChannelCount(), 1u);
}

TEST_F(ChannelTableTest, ClaimOfAnOpenChannelKeepsPositionAndClosesEarlierFile) {
    Claim(4, "first.txt");
    Claim(8, "other.txt");
    ChannelInfo& record = ChannelRecordAt(FindChannel(4));
    record.recordKeys.Push(ZR::UniString("k"));
    record.loaded = record.modified = 1;
    ASSERT_TRUE(folder.IsOpenInProcess("first.txt"));

    std::unique_ptr<IO::File> file = OpenedFile("second.txt");
    ClaimChannel(4, file, OpenSettings{',', ModeWriteAppend}, false, true);
    EXPECT_EQ(FindChannel(4), 1u);
    EXPECT_EQ(ChannelCount(), 2u);
    EXPECT_FALSE(folder.IsOpenInProcess("first.txt"));
    EXPECT_EQ(FileNameOf(4), "second.txt");
    const ChannelInfo& reclaimed = ChannelRecordAt(1);
    EXPECT_TRUE(reclaimed.recordKeys.IsEmpty());
    EXPECT_EQ(reclaimed.loaded, 0);
    EXPECT_EQ(reclaimed.modified, 0);
    EXPECT_EQ(reclaimed.separator, u',');
    EXPECT_EQ(reclaimed.bomPending, 1);
}

TEST_F(ChannelTableTest, ExtremeChannelNumbersAreOrdinaryNumbers) {
    Claim(0xFFFFFFFF, "max.txt");
    Claim(0, "zero.txt");
    EXPECT_EQ(FindChannel(0xFFFFFFFF), 1u);
    EXPECT_EQ(FindChannel(0), 2u);
    std::unique_ptr<IO::File> file;
    ReleaseChannel(0xFFFFFFFF, file);
    EXPECT_NE(file, nullptr);
    // No record stays behind bound to the marker the release wrote.
    EXPECT_EQ(FindChannel(UnboundChannel), 0u);
    EXPECT_EQ(FindChannel(0), 1u);
    ReleaseChannel(0, file);
    EXPECT_EQ(ChannelCount(), 0u);
}

TEST_F(ChannelTableTest, UnloadDropsContentAndKeepsFileOpen) {
    Claim(6, "six.txt");
    ChannelInfo& record = *FindChannelRecord(6);
    record.recordKeys.Push(ZR::UniString("k"));
    record.sortedIndex.Push(RecInfoRec{1, 0, &record.recordKeys});
    record.tailIndex.Push(RecInfoRec{RecInfoRec::EndEntryKeyIndex, 0, &record.recordKeys});
    record.loaded = 1;
    EXPECT_EQ(UnloadChannel(6), NoError);
    EXPECT_TRUE(record.sortedIndex.IsEmpty());
    EXPECT_TRUE(record.tailIndex.IsEmpty());
    EXPECT_TRUE(record.recordKeys.IsEmpty());
    EXPECT_EQ(record.loaded, 0);
    EXPECT_TRUE(folder.IsOpenInProcess("six.txt"));
}

}  // namespace
