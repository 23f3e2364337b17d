// The resources the built module carries, read through the resource service exactly as stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/interpreter/string_fetchers.h"
#include "tests/support/test_host.h"

namespace {

using OmbraTest::TestHost;

std::string Int32Bytes(Int32 value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(char((UInt32(value) >> (8 * i)) & 0xFF));
    return bytes;
}

// Registers the loaded module's resources for the test and removes them afterwards.
class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.IsLoaded()) << host.LoadError();
        previous = RSGetActiveModule();
        host.fixedFetcher = [](char* buffer, Int16 listId, Int16 index, GSResModule module) {
            registered = module;
            RSGetIndString(buffer, FetchBufferSize, ResTypeFixedStrings, listId, index, module);
        };
        ASSERT_EQ(host.Init(), NoError);
    }
    void TearDown() override { RSSetActiveModule(previous); }

    std::string Load(GSResType type, GSResID id) {
        USize size = 0;
        const char* bytes = RSLoadResource(type, id, registered, &size);
        return bytes == nullptr ? std::string("<absent>") : std::string(bytes, size);
    }

    static inline GSResModule registered = InvalidResModule;
    TestHost host;
    GSResModule previous = InvalidResModule;
};

TEST_F(ResourcesTest, ConfigurationRecordNamesTheDataFileType) {
    std::string expected = Int32Bytes(72) + Int32Bytes(22) + Int32Bytes(8) + Int32Bytes(0) +
                           Int32Bytes(3) + Int32Bytes(8) + Int32Bytes(1) + "dateoffsslen" +
                           Int32Bytes(0) + "DATA" + std::string(28, '\0');
    ASSERT_EQ(expected.size(), 76u);
    EXPECT_EQ(host.ConfigRecord(), expected);
    EXPECT_EQ(host.ConfigRecord().substr(44, 5), std::string("DATA\0", 5));
    EXPECT_EQ(Load(ResTypeModuleConfig, ModuleConfigId), expected);
}

TEST_F(ResourcesTest, AlertIsStoredAsTheDialogLibraryReadsIt) {
    const std::string strings("Information\0Cannot find %s.\0\0Browse...\0Cancel\0Create...\0", 56);
    const std::string expected = Int32Bytes(58) + std::string("\xFD\xFF", 2) + strings;
    EXPECT_EQ(Load(ResTypeAlert, 128), expected);
}

struct ListCase {
    GSResType type;
    Int16 id;
    std::vector<std::string> strings;
};

TEST_F(ResourcesTest, StringListsHoldExactlyTheirTexts) {
    const ListCase lists[] = {
        {ResTypeFixedStrings, 1, {"  1 SEPARATOR", "  2 MODE", "  3 DIALOG", "  5 LIBRARY"}},
        {ResTypeFixedStrings, 2, {"  1 RO", "  2 WA", "  3 WO"}},
        {ResTypeMessageStrings,
         3,
         {"  1 Create error", "  2 Open error (file already used)",
          "  3 File not found, can't open for input", "  4 Read error",
          "  5 Write permission error", "  6 Close error", "  7 DATA Add-On memory full error",
          "  8 Unknown file TYPE", "  9 File not found in the library"}},
        {ResTypeMessageStrings,
         4,
         {"  1 Wrong FieldID parameter value", "  2 Unknown keyword '%s' of OPEN parameter string",
          "  3 Unknown file MODE '%s' in OPEN parameter string"}},
        {ResTypeMessageStrings,
         5,
         {"%s\r\nwhile operating on file '%s'.", "Lintel Data Folder",
          "Missing Lintel Data Folder.", "Can't create Lintel Data Folder."}},
        {ResTypeMessageStrings, 6, {"Browse '%s':", "Save '%s' as"}},
    };
    for (const ListCase& list : lists) {
        SCOPED_TRACE(list.id);
        std::string stored;
        for (const std::string& text : list.strings) stored += text + '\0';
        EXPECT_EQ(Load(list.type, list.id), Int32Bytes(Int32(stored.size())) + stored);
        char buffer[FetchBufferSize];
        const Int32 beyond = Int32(list.strings.size()) + 1;
        EXPECT_FALSE(RSGetIndString(buffer, sizeof buffer, list.type, list.id, beyond, registered));
    }
    EXPECT_EQ(Load(ResTypeMessageStrings, 7), "<absent>");
    EXPECT_EQ(Load(ResTypeFixedStrings, 3), "<absent>");
}

}  // namespace
