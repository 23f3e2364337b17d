// The examples of the manual page ombra-data(5), run as the page shows them, so that the page
// keeps saying what ombra and the DATA module do. A roff comment before an .EX block names the
// block's role:
//   example-file NAME   a file as a program exports it: the page says UTF-8 with its byte-order
//                       mark and lines ended by CR LF; it is written into the folder
//   example-script      a script, run by ombra in that folder; it must run to its end silently
//   example-output      what the last script printed
//   example-saved NAME  the file NAME after the last script, as a save writes it: UTF-8 with its
//                       byte-order mark, every line ended by CR
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace Ombra {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kMarker = ".\\\" example-";

struct Block {
    std::string role;  // "file", "script", "output" or "saved"
    std::string name;  // the file of "file" and "saved"
    std::vector<std::string> lines;
};

// The roff escapes the examples use, and the characters they show.
const std::pair<std::string, std::string> kEscapes[] = {
    {"\\-", "-"}, {"\\(aq", "'"}, {"\\(dq", "\""}, {"\\e", "\\"}, {"\\[u00D8]", "\xC3\x98"},
};

// The text a line of an .EX block shows. An escape missing from kEscapes fails the test, so
// that the page and this test stay in step.
std::string Shown(const std::string& roff) {
    std::string text;
    for (size_t i = 0; i < roff.size();) {
        if (roff[i] != '\\') {
            text += roff[i++];
            continue;
        }
        const auto* escape =
            std::find_if(std::begin(kEscapes), std::end(kEscapes), [&](const auto& known) {
                return roff.compare(i, known.first.size(), known.first) == 0;
            });
        if (escape == std::end(kEscapes)) {
            ADD_FAILURE() << "unknown escape in the example line: " << roff;
            return text;
        }
        text += escape->second;
        i += escape->first.size();
    }
    return text;
}

// The marked blocks of the page, in page order.
std::vector<Block> ExampleBlocks(std::istream& page) {
    std::vector<Block> blocks;
    std::string line;
    bool marked = false;
    bool inBlock = false;
    while (std::getline(page, line)) {
        if (line.rfind(kMarker, 0) == 0) {
            std::istringstream words(line.substr(kMarker.size()));
            blocks.emplace_back();
            words >> blocks.back().role >> blocks.back().name;
            marked = true;
        } else if (marked && line == ".EX") {
            inBlock = true;
        } else if (inBlock && line == ".EE") {
            marked = inBlock = false;
        } else if (inBlock) {
            blocks.back().lines.push_back(Shown(line));
        }
    }
    EXPECT_FALSE(marked) << "a marked example without its .EX ... .EE block";
    return blocks;
}

// The lines, each followed by `end`.
std::string Ended(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

TEST(ManualPage, ExamplesRunAsThePageShows) {
    std::ifstream page(DATA_MANUAL_PAGE);
    ASSERT_TRUE(page) << DATA_MANUAL_PAGE;
    OmbraTest::TempFolder folder;
    OmbraTest::ChildResult last;
    std::map<std::string, int> seen;
    for (const Block& block : ExampleBlocks(page)) {
        ++seen[block.role];
        if (block.role == "file") {
            ASSERT_TRUE(folder.WriteFile(block.name, kBom + Ended(block.lines, "\r\n")));
        } else if (block.role == "script") {
            ASSERT_TRUE(folder.WriteFile("example.omb", Ended(block.lines, "\n")));
            OmbraTest::ChildRun run;
            run.arguments = {OMBRA_BINARY, "example.omb"};
            run.folder = folder.Path();
            run.setEnvironment = {"XDG_STATE_HOME=" + folder.PathOf("state-home")};
            last = OmbraTest::RunProgram(run);
            EXPECT_EQ(last.Status(), 0) << Ended(block.lines, "\n");
            EXPECT_EQ(last.err, "") << Ended(block.lines, "\n");
        } else if (block.role == "output") {
            EXPECT_EQ(last.out, Ended(block.lines, "\n"));
        } else if (block.role == "saved") {
            EXPECT_EQ(folder.ReadFile(block.name), kBom + Ended(block.lines, "\r")) << block.name;
        } else {
            ADD_FAILURE() << "unknown example block: " << block.role;
        }
    }
    // A page that lost its markers would check nothing.
    for (const char* role : {"file", "script", "output", "saved"}) EXPECT_GT(seen[role], 0) << role;
}

}  // namespace
}  // namespace Ombra
