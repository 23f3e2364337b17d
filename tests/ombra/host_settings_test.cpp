#include "ombra/host_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ombra_run.h"

namespace Ombra {
namespace {

namespace fs = std::filesystem;

// Runs the tests of this file from inside a fresh folder, so relative paths have a known base.
class HostSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        folder.MakeFolder("base");
        fs::current_path(folder.Path());
    }
    void TearDown() override { fs::current_path(previous); }

    Testing::ScriptFolder folder;
    fs::path previous;
};

TEST_F(HostSettingsTest, RelativePathsAreTakenFromTheCurrentFolder) {
    Options options;
    options.baseFolder = "base/";
    options.libraryFolders = {"lib", "/abs/lib"};
    options.hostLibraryFolders = {"./host/../hostlib"};
    options.stateFile = "state";
    options.extensionsFolder = "base/.";
    options.answers = {"cancel"};
    options.mainThread = true;
    HostSettings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(options, settings, error)) << error;
    EXPECT_EQ(settings.baseFolder, folder.PathOf("base"));
    EXPECT_EQ(settings.libraryFolders,
              (std::vector<std::string>{folder.PathOf("lib"), "/abs/lib"}));
    EXPECT_EQ(settings.hostLibraryFolders, std::vector<std::string>{folder.PathOf("hostlib")});
    EXPECT_EQ(settings.stateFile, folder.PathOf("state"));
    EXPECT_FALSE(settings.defaultStateFile);
    EXPECT_EQ(settings.extensionsFolder, folder.PathOf("base"));
    EXPECT_EQ(settings.answers, std::vector<std::string>{"cancel"});
    EXPECT_TRUE(settings.mainThread);
}

TEST_F(HostSettingsTest, DefaultsFillTheGaps) {
    HostSettings settings;
    std::string error;
    ASSERT_TRUE(ResolveSettings(Options(), settings, error)) << error;
    EXPECT_EQ(settings.baseFolder, folder.Path());
    EXPECT_TRUE(settings.defaultStateFile);
    // The tests lie beside ombra, so their default is where the build put the module.
    EXPECT_EQ(settings.extensionsFolder, fs::path(DATA_MODULE_PATH).parent_path().string());
    EXPECT_FALSE(settings.mainThread);
}

TEST_F(HostSettingsTest, FolderOptionsMustNameFolders) {
    folder.WriteFile("file", "");
    struct Case {
        std::string base;
        std::string extensions;
        std::string error;
    };
    const Case cases[] = {
        {"missing", "", "--base 'missing' is not a folder"},
        {"file", "", "--base 'file' is not a folder"},
        {"", "missing", "--extensions 'missing' is not a folder"},
    };
    for (const Case& c : cases) {
        Options options;
        options.baseFolder = c.base;
        options.extensionsFolder = c.extensions;
        HostSettings settings;
        std::string error;
        EXPECT_FALSE(ResolveSettings(options, settings, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace Ombra
