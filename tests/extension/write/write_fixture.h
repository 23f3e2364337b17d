// Channels of the module code linked into this program, claimed as OPEN leaves them (file open
// for reading, mode WA) over files of a temporary folder, with the entry operations called
// in-process and fault injection reset around every test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extension/frame/channel_info.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace WriteTest {

using DataOmbraPlugin::ChannelInfo;
using OmbraTest::Value;

// The bytes of `utf8` text in the default code page (every character must have one there).
std::string InCodePage(const std::string& utf8);
// The UniString of UTF-8 text (invalid bytes kept losslessly).
ZR::UniString Uni(const std::string& utf8);

class WriteFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `bytes` as `name` and claims `channel` for it.
    void OpenChannel(UInt32 channel, const std::string& name, const std::string& bytes,
                     bool utf8 = false, Int32 mode = DataOmbraPlugin::ModeWriteAppend);
    // Claims `channel` for the file `name` as it is on disk (UTF-8 when it has the mark).
    void Reopen(UInt32 channel, const std::string& name);
    ChannelInfo& Info(UInt32 channel);

    Int16 Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                 const std::vector<Value>& values);
    // The record's line as the store reads it, as UTF-8; "" when absent or deleted.
    std::string Record(UInt32 channel, const std::string& key);
    std::string FileBytes(const std::string& name);

    OmbraTest::TempFolder folder;
};

}  // namespace WriteTest
