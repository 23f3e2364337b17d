// The host with folders of extension modules (the DATA module and the probe modules of probe/):
// modules that fail to load are reported and skipped, file types are matched whatever their
// letter case, channel numbers are shared by the modules, values cross the boundary both ways,
// the channels a script leaves open are closed at its end, and a failed CLOSE frees its channel.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace Ombra {
namespace {

using Modules = std::vector<std::pair<std::string, std::string>>;  // name in ext/ → target

const std::string kData = DATA_MODULE_PATH, kProbe = PROBE_MODULE_PATH,
                  kInitFails = PROBE_INIT_FAILS_MODULE_PATH, kBare = PROBE_BARE_MODULE_PATH,
                  kPlain = PLAIN_LIBRARY_PATH;

TEST(ExtensionModulesTest, ScriptsRunWithTheModulesOfTheFolder) {
    const struct {
        Modules modules;  // a target "" is a file that is no shared object
        std::string script;
        int exit;
        std::string out, err;  // "{ext}" is the folder of the modules
        bool typed = false;    // the script is typed at a terminal, where an error does not end it
    } cases[] = {
        {{{"a_broken.so", ""},
          {"b_plain.so", kPlain},
          {"c_bare.so", kBare},
          {"d_init.so", kInitFails},
          {"e_data.so", kData},
          {"f_data_again.so", kData}},
         "ch = OPEN('data', 'd.txt', 'MODE=WA')\nPRINT ch\nch = OPEN('Probe', 'a', '')\n",
         1,
         "1\n",
         "ombra: extension module '{ext}/a_broken.so' skipped: open: ...\n"
         "ombra: extension module '{ext}/b_plain.so' skipped: symbol missing: "
         "GetExportedFuncAddrs\n"
         "ombra: extension module '{ext}/c_bare.so' skipped: configuration record: the module "
         "has no resources\n"
         "ombra: extension module '{ext}/d_init.so' skipped: init status -42\n"
         "ombra: extension module '{ext}/f_data_again.so' skipped: file type 'DATA' is already "
         "served by '{ext}/e_data.so'\n"
         "t.omb:3: error: OPEN failed: no extension module serves file type 'Probe'\n"},
        {{{"DataInOut.so", kData}, {"probe.so", kProbe}},
         "a = OPEN('Probe', 'a', '')\nb = OPEN('data', 'b.txt', 'MODE=WA')\n"
         "c = OPEN('PROBE', 'c', '')\nCLOSE b\nd = OPEN('DATA', 'd.txt', 'MODE=WA')\n"
         "e = OPEN('probe', 'e', '')\nCLOSE a\nPRINT a, b, c, d, e\n"
         "n = INPUT(c, 'channel', 1, number, name)\nPRINT n, number, name\n"
         "f = OPEN('probe', 'refuse', '')\n",
         1,
         "1 2 3 2 4\n2 3 c\n",
         "probe: CLOSE 1 a\nt.omb:11: error: OPEN failed with status -5\n"
         "probe: CLOSE 3 c\nprobe: CLOSE 4 e\n"},
        {{{"probe.so", kProbe}},
         "c = OPEN('probe', 'v', '')\nOUTPUT c, 'k', 1, -7, 12.5, 'r\xC3\xA9"
         "d', '', 3e9\n"
         "n = INPUT(c, 'k', 1, a, b, s, t, r)\nPRINT n, a, b, s, t, r\n"
         "n = INPUT(c, 'malformed', 1, x)\n",
         1,
         "5 -7 12.5 r\xC3\xA9"
         "d  3e+09\n",
         "t.omb:5: error: INPUT failed: the module delivered malformed values\n"
         "probe: CLOSE 1 v\n"},
        {{{"probe.so", kProbe}},
         "a = OPEN('probe', 'close-fails', '')\nPRINT a\nCLOSE 2\n",
         1,
         "1\n",
         "t.omb:3: error: CLOSE failed: channel 2 is not open\nprobe: CLOSE 1 close-fails\n"
         "t.omb: error: closing channel 1 at the end of the script failed with status -9\n"},
        {{{"probe.so", kProbe}},
         "a = OPEN('probe', 'close-fails', '')\nCLOSE a\nCLOSE a\n"
         "b = OPEN('probe', 'b', '')\nPRINT b\nEND\n",
         0,
         "1\n",
         "probe: CLOSE 1 close-fails\n<stdin>:2: error: CLOSE failed with status -9\n"
         "<stdin>:3: error: CLOSE failed: channel 1 is not open\nprobe: CLOSE 1 b\n",
         true},
    };
    for (const auto& c : cases) {
        OmbraTest::TempFolder folder;
        for (const auto& [name, target] : c.modules) {
            ASSERT_TRUE(target.empty() ? folder.WriteFile("ext/" + name,
                                                          "\x7F"
                                                          "ELF, not really")
                                       : folder.Link("ext/" + name, target));
        }
        ASSERT_TRUE(folder.WriteFile("t.omb", c.script));
        OmbraTest::ChildRun run;
        run.arguments = {OMBRA_BINARY, "--extensions", "ext"};
        if (!c.typed) run.arguments.push_back("t.omb");
        run.input = c.typed ? c.script : "";
        run.terminal = c.typed;
        run.folder = folder.Path();
        const OmbraTest::ChildResult result = OmbraTest::RunProgram(run);
        std::string err = std::regex_replace(result.err, std::regex("(open: ).*"), "$1...");
        const std::string ext = folder.PathOf("ext");
        for (size_t at; (at = err.find(ext)) != std::string::npos;)
            err.replace(at, ext.size(), "{ext}");
        EXPECT_EQ(result.Status(), c.exit) << c.script;
        EXPECT_EQ(result.out, c.out) << c.script;
        EXPECT_EQ(err, c.err) << c.script;
    }
}

}  // namespace
}  // namespace Ombra
