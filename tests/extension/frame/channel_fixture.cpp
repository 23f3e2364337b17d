#include "tests/extension/frame/channel_fixture.h"

namespace FrameTest {

std::unique_ptr<IO::File> ChannelFixture::OpenedFile(const std::string& name,
                                                     const std::string& bytes) {
    std::unique_ptr<IO::File> file;
    EXPECT_TRUE(folder.WriteFile(name, bytes));
    EXPECT_EQ(IO::File::New(file, folder.LocationOf(name), IO::File::Fail), NoError);
    if (file != nullptr) {
        EXPECT_EQ(file->Open(IO::File::ReadMode), NoError);
    }
    return file;
}

void ChannelFixture::Claim(UInt32 channel, const std::string& name) {
    std::unique_ptr<IO::File> file = OpenedFile(name);
    DataOmbraPlugin::ClaimChannel(channel, file, DataOmbraPlugin::OpenSettings(), false, false);
    EXPECT_EQ(file, nullptr);
}

std::string ChannelFixture::FileNameOf(UInt32 channel) {
    IO::File* file = nullptr;
    DataOmbraPlugin::GetChannelFile(channel, &file);
    IO::Location location;
    IO::Name name;
    if (file == nullptr || file->GetLocation(&location) != NoError) return "";
    location.GetLastLocalName(&name);
    return name.GetText().ToCStr(CC_UTF8).GetBytes();
}

void ChannelFixture::ReleaseEveryChannel() {
    while (DataOmbraPlugin::ChannelCount() > 0) {
        std::unique_ptr<IO::File> file;
        DataOmbraPlugin::ReleaseChannel(DataOmbraPlugin::ChannelRecordAt(1).channelNumber, file);
    }
}

}  // namespace FrameTest
