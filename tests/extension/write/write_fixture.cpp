#include "tests/extension/write/write_fixture.h"

#include "extension/frame/channel_table.h"
#include "extension/store/lookup.h"
#include "extension/write/output.h"
#include "host/utility.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/support/core_binding.h"

namespace WriteTest {

using namespace DataOmbraPlugin;

std::string InCodePage(const std::string& utf8) {
    return Uni(utf8).ToCStr(CC_Default).GetBytes();
}

ZR::UniString Uni(const std::string& utf8) {
    return ZR::UniString(utf8.data(), USize(utf8.size()), CC_UTF8);
}

void WriteFixture::SetUp() {
    OmbraTest::BindCore();
    IO::FaultInjection::Reset();
}

void WriteFixture::TearDown() {
    IO::FaultInjection::Reset();
    // Released without a save: what a test left in a file stays as it is.
    while (ChannelCount() > 0) {
        std::unique_ptr<IO::File> file;
        ReleaseChannel(ChannelRecordAt(1).channelNumber, file);
    }
}

void WriteFixture::OpenChannel(UInt32 channel, const std::string& name, const std::string& bytes,
                               bool utf8, Int32 mode) {
    ASSERT_TRUE(folder.WriteFile(name, bytes));
    std::unique_ptr<IO::File> file;
    ASSERT_EQ(IO::File::New(file, folder.LocationOf(name), IO::File::Fail), NoError);
    ASSERT_EQ(file->Open(IO::File::ReadMode), NoError);
    ClaimChannel(channel, file, OpenSettings{DefaultSeparator, mode}, utf8, false);
}

void WriteFixture::Reopen(UInt32 channel, const std::string& name) {
    const bool utf8 = IOUtil::CheckTextFileUTF8(folder.LocationOf(name));
    OpenChannel(channel, name, *folder.ReadFile(name), utf8);
}

ChannelInfo& WriteFixture::Info(UInt32 channel) {
    return *FindChannelRecord(channel);
}

Int16 WriteFixture::Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                           const std::vector<Value>& values) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    OmbraTest::ToValueArrays(values, records, strings);
    return OutputToChannel(channel, Uni(key), Uni(fieldId), &records, &strings);
}

std::string WriteFixture::Record(UInt32 channel, const std::string& key) {
    ZR::UniString line;
    EXPECT_EQ(ReadChannelRecord(channel, Uni(key), line), NoError) << key;
    return line.ToCStr(CC_UTF8).GetBytes();
}

std::string WriteFixture::FileBytes(const std::string& name) {
    return folder.ReadFile(name).value_or("<missing>");
}

}  // namespace WriteTest
