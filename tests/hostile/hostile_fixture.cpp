#include "tests/hostile/hostile_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <variant>

#include "tests/support/child_process.h"

namespace Hostile {
namespace {

constexpr uid_t NobodyId = 65534;

}  // namespace

::testing::AssertionResult LinesKept(const std::string& before, const std::string& after,
                                     const std::vector<std::string>& changedKeys) {
    std::string_view text = after;
    if (text.starts_with(OmbraTest::ByteOrderMark)) text.remove_prefix(OmbraTest::ByteOrderMark.size());
    const std::vector<std::string> kept = OmbraTest::SplitLines(text);
    for (const auto& [key, line] : OmbraTest::ReadRecords(before, '\t').lines) {
        if (std::find(changedKeys.begin(), changedKeys.end(), key) != changedKeys.end()) continue;
        if (std::find(kept.begin(), kept.end(), line) == kept.end())
            return ::testing::AssertionFailure()
                   << "line of key '" << key << "' (" << line.size() << " bytes) lost";
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
    const OmbraTest::ChildResult child = OmbraTest::RunFunction({}, [&] {
        if (::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) return 77;
        body();
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    if (child.exitStatus == 77)
        GTEST_SKIP() << "running as root and cannot drop to an unprivileged user";
    EXPECT_EQ(child.Status(), 0) << "the unprivileged run failed:\n" << child.out << child.err;
}

}  // namespace Hostile
