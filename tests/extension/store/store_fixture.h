// Channel records over files of a temporary folder, for tests of the store's operations without
// the module boundary.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "extension/frame/channel_info.h"
#include "tests/support/temp_folder.h"

namespace DataOmbraPlugin {

class StoreTest : public ::testing::Test {
protected:
    // A record bound to no channel that reads `bytes`, written as the file `name`.
    std::unique_ptr<ChannelInfo> MakeChannel(const std::string& bytes, bool utf8 = false,
                                             ZR::UniChar separator = DefaultSeparator,
                                             const std::string& name = "data.txt") {
        EXPECT_TRUE(folder.WriteFile(name, bytes));
        return OpenChannel(name, utf8, separator);
    }

    std::unique_ptr<ChannelInfo> OpenChannel(const std::string& name, bool utf8 = false,
                                             ZR::UniChar separator = DefaultSeparator) {
        auto info = std::make_unique<ChannelInfo>();
        EXPECT_EQ(IO::File::New(info->file, folder.LocationOf(name), IO::File::Fail), NoError);
        EXPECT_EQ(info->file->Open(IO::File::ReadMode), NoError);
        info->utf8 = utf8 ? 1 : 0;
        info->separator = separator;
        return info;
    }

    OmbraTest::TempFolder folder;
};

// The lines joined, each followed by `terminator`.
inline std::string JoinLines(const std::vector<std::string>& lines, const std::string& terminator) {
    std::string text;
    for (const std::string& line : lines) text += line + terminator;
    return text;
}

inline ZR::UniString Text(const std::string& utf8) {
    return ZR::UniString(utf8.c_str(), CC_UTF8);
}

}  // namespace DataOmbraPlugin
