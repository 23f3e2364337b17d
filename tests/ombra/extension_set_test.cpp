#include "ombra/extension_set.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ombra/host_environment.h"
#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::ScriptFolder;

class ExtensionSetTest : public ::testing::Test {
protected:
    std::string Load(const std::string& name) {
        std::ostringstream err;
        modules.LoadFolder(folder.PathOf(name), environment, err);
        return err.str();
    }

    ScriptFolder folder;
    const HostEnvironment environment = MakeHostEnvironment();
    ExtensionSet modules;
};

TEST_F(ExtensionSetTest, ServesEachFileTypeWhateverItsLetterCase) {
    folder.Link("ext/DataInOut.so", Testing::DataModule());
    folder.Link("ext/probe.so", Testing::ProbeModule());
    folder.WriteFile("ext/notes.txt", "not a module");
    folder.MakeFolder("ext/folder.so");
    EXPECT_EQ(Load("ext"), "");
    const ExtensionLoader* data = modules.ServerOf("data");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->FileType(), "DATA");
    EXPECT_EQ(modules.ServerOf("PROBE"), modules.ServerOf("Probe"));
    ASSERT_NE(modules.ServerOf("probe"), nullptr);
    EXPECT_NE(modules.ServerOf("probe"), data);
    EXPECT_EQ(modules.ServerOf("DATA "), nullptr);
    EXPECT_EQ(modules.ServerOf(""), nullptr);
    modules.UnloadAll();
    EXPECT_EQ(modules.ServerOf("DATA"), nullptr);
}

TEST_F(ExtensionSetTest, ModulesThatFailAreReportedAndSkipped) {
    folder.WriteFile("ext/a_broken.so",
                 "\x7F"
                 "ELF but not really");
    folder.Link("ext/b_plain.so", Testing::PlainLibrary());
    folder.Link("ext/c_bare.so", Testing::ProbeBareModule());
    folder.Link("ext/d_init.so", Testing::ProbeInitFailsModule());
    folder.Link("ext/e_data.so", Testing::DataModule());
    folder.Link("ext/f_data_again.so", Testing::DataModule());
    const std::string prefix = "ombra: extension module '" + folder.PathOf("ext/");
    std::istringstream lines(Load("ext"));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind(prefix + "a_broken.so' skipped: open: ", 0), 0u) << line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, prefix + "b_plain.so' skipped: symbol missing: GetExportedFuncAddrs");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, prefix +
                        "c_bare.so' skipped: configuration record: the module has no "
                        "resources");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, prefix + "d_init.so' skipped: init status -42");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, prefix + "f_data_again.so' skipped: file type 'DATA' is already served by '" +
                        folder.PathOf("ext/e_data.so") + "'");
    EXPECT_FALSE(std::getline(lines, line));
    EXPECT_EQ(modules.ServerOf("probe"), nullptr);  // its module failed InitExtension
    ASSERT_NE(modules.ServerOf("DATA"), nullptr);
    EXPECT_EQ(modules.ServerOf("DATA")->Path(), folder.PathOf("ext/e_data.so"));
}

TEST_F(ExtensionSetTest, AFolderThatCannotBeReadLoadsNothing) {
    EXPECT_EQ(
        Load("missing").rfind(
            "ombra: the extension folder '" + folder.PathOf("missing") + "' cannot be read: ", 0),
        0u);
    EXPECT_EQ(modules.ServerOf("DATA"), nullptr);
}

}  // namespace
}  // namespace Ombra
