#include "tests/hostile/hostile_fixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <variant>

namespace Hostile {
namespace {

constexpr uid_t NobodyId = 65534;

std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find('\t'));
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++start;
    }
    return lines;
}

::testing::AssertionResult LinesKept(const std::string& before, const std::string& after,
                                     const std::vector<std::string>& changedKeys) {
    const std::vector<std::string> kept = SplitLines(after);
    const std::vector<std::string> lines = SplitLines(before);
    std::vector<std::string> seenKeys = changedKeys;
    // The newest line of a key is its record; the lines it superseded may go. An empty line holds
    // no byte to keep.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->empty() ||
            std::find(seenKeys.begin(), seenKeys.end(), KeyOf(*line)) != seenKeys.end())
            continue;
        seenKeys.push_back(KeyOf(*line));
        if (std::find(kept.begin(), kept.end(), *line) == kept.end())
            return ::testing::AssertionFailure()
                   << "line of key '" << KeyOf(*line) << "' (" << line->size() << " bytes) lost";
    }
    return ::testing::AssertionSuccess();
}

std::string HostileFile::Field(UInt32 channel, const std::string& key) {
    const OmbraTest::InputResult result = host.Input(channel, key, "1", 1);
    if (result.status != NoError) return "<status " + std::to_string(result.status) + ">";
    if (result.values.empty()) return "<absent>";
    if (const std::string* text = std::get_if<std::string>(&result.values[0])) return *text;
    if (const Int32* number = std::get_if<Int32>(&result.values[0])) return std::to_string(*number);
    return std::to_string(std::get<double>(result.values[0]));
}

void HostileFile::RunWithoutPrivileges(const std::function<void()>& body) {
    if (::geteuid() != 0) return body();
    if (::chmod(folder.Path().c_str(), 0777) != 0) GTEST_SKIP() << "cannot open the folder";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) ::_exit(77);
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "running as root and cannot drop to an unprivileged user";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged run failed (its messages are above)";
}

}  // namespace Hostile
