#include "ombra/cli.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace Ombra {
namespace {

using Args = std::vector<std::string>;

TEST(CliTest, ReadsEveryOption) {
    Options options;
    std::string error;
    ASSERT_TRUE(
        ParseCommandLine(Args{"--base", "/b", "--library=/l1", "--library", "/l2", "--host-library",
                              "/h", "--answer", "yes", "--answer=", "--state", "s.txt",
                              "--extensions", "/x", "--main-thread", "run.omb"},
                         options, error))
        << error;
    EXPECT_EQ(options.script, "run.omb");
    EXPECT_EQ(options.baseFolder, "/b");
    EXPECT_EQ(options.libraryFolders, (Args{"/l1", "/l2"}));
    EXPECT_EQ(options.hostLibraryFolders, (Args{"/h"}));
    EXPECT_EQ(options.answers, (Args{"yes", ""}));
    EXPECT_EQ(options.stateFile, "s.txt");
    EXPECT_EQ(options.extensionsFolder, "/x");
    EXPECT_TRUE(options.mainThread);
    EXPECT_FALSE(options.help || options.version);
}

TEST(CliTest, ScriptFormsAndStandaloneRequests) {
    const struct {
        Args arguments;
        std::string script;
    } cases[] = {
        {{"-"}, "-"},
        {{"--", "--base"}, "--base"},
        {{"a.omb", "--main-thread"}, "a.omb"},
        {{"--help"}, ""},
        {{"--version", "extra.omb"}, ""},
        {{}, ""},
        {{"--base", "/b"}, ""},
    };
    for (const auto& c : cases) {
        Options options;
        std::string error;
        EXPECT_TRUE(ParseCommandLine(c.arguments, options, error)) << error;
        EXPECT_EQ(options.script, c.script);
    }
}

TEST(CliTest, UsageErrors) {
    const struct {
        Args arguments;
        std::string error;
    } cases[] = {
        {{"a.omb", "b.omb"}, "one script at a time: 'b.omb' follows 'a.omb'"},
        {{"--bogus", "a.omb"}, "unknown option '--bogus'"},
        {{"-x", "a.omb"}, "unknown option '-x'"},
        {{"a.omb", "--state"}, "--state needs a value"},
        {{"--main-thread=1", "a.omb"}, "--main-thread takes no value"},
    };
    for (const auto& c : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(c.arguments, options, error));
        EXPECT_EQ(error, c.error);
    }
}

// What --help and the manual page both say: the options with their arguments, in order, and the
// exit statuses.
struct Interface {
    std::vector<std::string> options;  // e.g. "--base DIR", "--main-thread"
    std::vector<std::string> statuses;
};

Interface InterfaceOfHelp() {
    Interface help;
    std::istringstream text(UsageText());
    const std::regex option(R"(  (--[a-z-]+)( [A-Z]+)?( .*)?)");
    std::smatch match;
    for (std::string line; std::getline(text, line);) {
        if (std::regex_match(line, match, option))
            help.options.push_back(match[1].str() + match[2].str());
        if (line.starts_with("exit status:")) {
            const std::regex status(R"(\b(\d) )");
            for (std::sregex_iterator i(line.begin(), line.end(), status), end; i != end; ++i) {
                help.statuses.push_back((*i)[1]);
            }
        }
    }
    return help;
}

// The page's option entries (".B \-\-name" or ".BI \-\-name " ARG"") under OPTIONS, and its
// status entries (".B N") under EXIT STATUS; `version` gets the .TH line's version field.
Interface InterfaceOfManualPage(std::string& version) {
    Interface page;
    std::ifstream file(OMBRA_MAN_PAGE);
    const std::regex title(R"re(\.TH OMBRA 1 "[^"]*" "([^"]*)".*)re");
    const std::regex option(R"re(\.BI? \\-\\-([a-z\\-]+)(?: " ([A-Z]+)")?)re");
    const std::regex status(R"(\.B (\d))");
    std::string section;
    std::smatch match;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with(".SH ")) section = line.substr(4);
        if (std::regex_match(line, match, title)) version = match[1];
        if (section == "OPTIONS" && std::regex_match(line, match, option)) {
            const std::string name = std::regex_replace(match[1].str(), std::regex(R"(\\-)"), "-");
            page.options.push_back("--" + name + (match[2].matched ? " " + match[2].str() : ""));
        }
        if (section == "EXIT STATUS" && std::regex_match(line, match, status)) {
            page.statuses.push_back(match[1]);
        }
    }
    return page;
}

TEST(CliTest, ManualPageMatchesHelpAndVersion) {
    std::string version;
    const Interface page = InterfaceOfManualPage(version);
    const Interface help = InterfaceOfHelp();
    EXPECT_EQ(page.options, help.options);
    EXPECT_EQ(page.statuses, help.statuses);
    EXPECT_EQ(version + "\n", VersionText());
    EXPECT_EQ(help.options.size(), 9u);
    EXPECT_EQ(help.statuses, (std::vector<std::string>{"0", "1", "2"}));
}

}  // namespace
}  // namespace Ombra
