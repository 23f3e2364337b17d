#include "ombra/cli.h"

#include <gtest/gtest.h>

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
        {{"-"}, "-"},     {{"--", "--base"}, "--base"},     {{"a.omb", "--main-thread"}, "a.omb"},
        {{"--help"}, ""}, {{"--version", "extra.omb"}, ""},
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
        {{}, "no script given"},
        {{"--base", "/b"}, "no script given"},
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

}  // namespace
}  // namespace Ombra
