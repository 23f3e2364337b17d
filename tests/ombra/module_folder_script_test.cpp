// End-to-end runs with extension folders of several modules: broken modules, channels shared
// between modules, and the channels a script leaves open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::RunResult;

class ModuleFolderScriptTest : public ::testing::Test {
protected:
    RunResult Run(const std::string& script) {
        folder.WriteFile("t.omb", script);
        return Testing::RunOmbra(folder, {"--extensions", "ext", "t.omb"});
    }

    Testing::ScriptFolder folder;
};

TEST_F(ModuleFolderScriptTest, ABrokenModuleIsReportedAndSkipped) {
    folder.WriteFile("ext/x.so", "this is no shared object\n");
    folder.Link("ext/DataInOut.so", Testing::DataModule());
    const RunResult result =
        Run("ch = OPEN('DATA', 'd.txt', 'MODE=WA')\nOUTPUT ch, 'k', 1, 1\nPRINT 'ran'\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "ran\n");
    const std::string prefix =
        "ombra: extension module '" + folder.PathOf("ext/x.so") + "' skipped: open: ";
    EXPECT_EQ(result.err.rfind(prefix, 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
}

TEST_F(ModuleFolderScriptTest, TheTypeOfASkippedModuleIsNotServed) {
    folder.Link("ext/probe.so", Testing::ProbeInitFailsModule());
    const RunResult result = Run("PRINT 'start'\nch = OPEN('probe', 'a', '')\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "start\n");
    EXPECT_EQ(result.err, "ombra: extension module '" + folder.PathOf("ext/probe.so") +
                              "' skipped: init status -42\n"
                              "t.omb:2: error: OPEN failed: no extension module serves file type "
                              "'probe'\n");
}

TEST_F(ModuleFolderScriptTest, ChannelNumbersAreSharedByTheModules) {
    folder.Link("ext/DataInOut.so", Testing::DataModule());
    folder.Link("ext/probe.so", Testing::ProbeModule());
    const RunResult result =
        Run("a = OPEN('Probe', 'a', '')\n"
            "b = OPEN('data', 'b.txt', 'MODE=WA')\n"
            "c = OPEN('PROBE', 'c', '')\n"
            "CLOSE b\n"
            "d = OPEN('DATA', 'd.txt', 'MODE=WA')\n"
            "e = OPEN('probe', 'e', '')\n"
            "CLOSE a\n"
            "PRINT a, b, c, d, e\n"
            "n = INPUT(c, 'channel', 1, number, name)\n"
            "PRINT number, name\n");
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "1 2 3 2 4\n3 c\n");
    // CLOSE a, then the channels left open at the end, in ascending order.
    EXPECT_EQ(result.err, "probe: CLOSE 1 a\nprobe: CLOSE 3 c\nprobe: CLOSE 4 e\n");
}

TEST_F(ModuleFolderScriptTest, AFailedCloseAtTheEndFailsTheRun) {
    folder.Link("ext/probe.so", Testing::ProbeModule());
    const RunResult result = Run("a = OPEN('probe', 'close-fails', '')\nPRINT a\n");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "1\n");
    EXPECT_EQ(result.err,
              "probe: CLOSE 1 close-fails\n"
              "t.omb: error: closing channel 1 at the end of the script failed with status -9\n");
}

TEST_F(ModuleFolderScriptTest, TheModuleBesideTheExecutableIsFoundWithoutOptions) {
    folder.WriteFile("t.omb", "ch = OPEN('DATA', 'd.txt', 'MODE=WA')\nPRINT ch\n");
    const RunResult result = Testing::RunOmbra(folder, {"t.omb"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "1\n");
    EXPECT_TRUE(folder.Exists("d.txt"));
}

TEST_F(ModuleFolderScriptTest, AnExtensionsOptionThatIsNoFolderIsAUsageError) {
    folder.WriteFile("t.omb", "PRINT 1\n");
    const RunResult result = Testing::RunOmbra(folder, {"--extensions", "nowhere", "t.omb"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ombra: --extensions 'nowhere' is not a folder\n");
}

}  // namespace
}  // namespace Ombra
