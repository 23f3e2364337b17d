#include "platform/extension_host/extension_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "ombra/host_environment.h"
#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::ScriptFolder;

TEST(ExtensionLoaderTest, LoadsAndBindsTheDataModule) {
    const ZRResModule active = RSGetActiveModule();
    ExtensionLoader loader;
    ASSERT_TRUE(loader.Load(Testing::DataModule())) << loader.Error();
    EXPECT_EQ(RSGetActiveModule(), active);  // the record's read leaves no trace
    EXPECT_EQ(loader.FileType(), "DATA");
    EXPECT_EQ(loader.ConfigRecord().size(), 76u);
    EXPECT_NE(loader.Exports().setLTEnvAddrs, nullptr);
    EXPECT_EQ(loader.Entries().openChannel, nullptr);  // not bound yet

    const HostEnvironment environment = MakeHostEnvironment();
    ASSERT_TRUE(loader.Bind(environment)) << loader.Error();
    EXPECT_EQ(loader.InitStatus(), 0);
    EXPECT_NE(loader.Entries().releaseChannels, nullptr);
    EXPECT_EQ(loader.Entries().releaseChannels(), 0);

    loader.Unload();
    EXPECT_FALSE(loader.IsLoaded());
    EXPECT_EQ(loader.Entries().openChannel, nullptr);
    EXPECT_EQ(loader.FileType(), "");
}

TEST(ExtensionLoaderTest, EachFailingStepIsNamedAndNothingStaysLoaded) {
    ScriptFolder folder;
    folder.WriteFile("x.so", "not a shared object\n");
    struct Case {
        std::string path;
        std::string errorStart;
    };
    const Case cases[] = {
        {folder.PathOf("x.so"), "open: "},
        {folder.PathOf("absent.so"), "open: "},
        {Testing::PlainLibrary(), "symbol missing: GetExportedFuncAddrs"},
        {Testing::ProbeBareModule(), "configuration record: the module has no resources"},
    };
    for (const Case& c : cases) {
        ExtensionLoader loader;
        EXPECT_FALSE(loader.Load(c.path)) << c.path;
        EXPECT_EQ(loader.Error().rfind(c.errorStart, 0), 0u) << loader.Error();
        EXPECT_FALSE(loader.IsLoaded());
        EXPECT_EQ(loader.Exports().getExportedFuncAddrs, nullptr);
        EXPECT_EQ(loader.Path(), c.path);
    }
}

TEST(ExtensionLoaderTest, AFailedInitialisationIsReportedWithItsStatus) {
    ExtensionLoader loader;
    ASSERT_TRUE(loader.Load(Testing::ProbeInitFailsModule())) << loader.Error();
    EXPECT_EQ(loader.FileType(), "Probe");
    const HostEnvironment environment = MakeHostEnvironment();
    EXPECT_FALSE(loader.Bind(environment));
    EXPECT_EQ(loader.Error(), "init status -42");
    EXPECT_EQ(loader.InitStatus(), -42);
    EXPECT_TRUE(loader.IsLoaded());
}

TEST(ExtensionLoaderTest, ALoadReplacesTheModuleLoadedBefore) {
    ExtensionLoader loader;
    ASSERT_TRUE(loader.Load(Testing::DataModule())) << loader.Error();
    ASSERT_TRUE(loader.Load(Testing::ProbeModule())) << loader.Error();
    EXPECT_EQ(loader.FileType(), "Probe");
    EXPECT_FALSE(loader.Load(Testing::PlainLibrary()));
    EXPECT_FALSE(loader.IsLoaded());
    EXPECT_EQ(loader.FileType(), "");
}

}  // namespace
}  // namespace Ombra
