// A fixture for tests of the channel table linked into this program: a temporary folder for the
// data files, open file objects made on demand, and an empty table before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "extension/frame/channel_table.h"
#include "tests/support/temp_folder.h"

namespace FrameTest {

class ChannelFixture : public ::testing::Test {
protected:
    void SetUp() override { ReleaseEveryChannel(); }
    void TearDown() override { ReleaseEveryChannel(); }

    // A file object for `name` in the folder, created with `bytes` and opened for reading.
    std::unique_ptr<IO::File> OpenedFile(const std::string& name, const std::string& bytes = "");
    // Claims `channel` for a new file `name` with default settings.
    void Claim(UInt32 channel, const std::string& name);
    // The name of the file the channel's record holds, "" without one.
    std::string FileNameOf(UInt32 channel);

    static void ReleaseEveryChannel();

    OmbraTest::TempFolder folder;
};

}  // namespace FrameTest
