// End-to-end runs of OPEN with LIBRARY: the object library (--library) first, then the host's
// library lookup (--host-library).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::RunResult;

class LibraryScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.WriteFile("t.omb",
                     "ch = OPEN('DATA', 'parts.txt', \"SEPARATOR=';', MODE=RO, LIBRARY\")\n"
                     "n = INPUT(ch, 'M6', 1, text)\n"
                     "PRINT text\n");
        folder.WriteFile("lib/fasteners/parts.txt", "M6;from the library\r");
        folder.WriteFile("hostlib/parts.txt", "M6;from the host library\r");
    }

    RunResult Run(std::vector<std::string> arguments) {
        arguments.push_back("t.omb");
        return Testing::RunOmbra(folder, arguments);
    }

    Testing::ScriptFolder folder;
};

TEST_F(LibraryScriptTest, EachLookupFindsItsFiles) {
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
    };
    const Case cases[] = {
        {{"--library", "lib"}, "from the library\n"},
        {{"--host-library", "hostlib"}, "from the host library\n"},
        {{"--host-library", "hostlib", "--library", "lib"}, "from the library\n"},
        {{"--library", "hostlib", "--library", "lib"}, "from the host library\n"},
        {{"--library", "empty", "--host-library", "lib"}, "from the library\n"},
    };
    folder.MakeFolder("empty");
    for (const Case& c : cases) {
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
}

TEST_F(LibraryScriptTest, ANameNeitherLookupKnowsFails) {
    const RunResult result = Run({"--library", "empty", "--host-library", "empty"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "File not found in the library\r\nwhile operating on file 'parts.txt'.\n"
              "t.omb:1: error: OPEN failed with status -7003\n");
}

}  // namespace
}  // namespace Ombra
