// Hostile data files served through the module loaded by the test host: the file's bytes as the
// test wrote them, the records the module delivers, and the check that a save kept every line
// nobody changed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/data_file_model.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace Hostile {

// The line of every record of `before` (read by the shared data-file model, keys before the first
// TAB) whose key is not in `changedKeys` is a line of `after`, byte for byte.
::testing::AssertionResult LinesKept(const std::string& before, const std::string& after,
                                     const std::vector<std::string>& changedKeys);

class HostileFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsLoaded()) << host.LoadError(); }

    // INPUT of field 1 on `channel`: the text of the one value delivered, "<absent>" when none,
    // "<status N>" when INPUT failed.
    std::string Field(UInt32 channel, const std::string& key);

    // Runs `body` as an unprivileged user when this process runs as root (in a child process
    // that drops to the user "nobody"), so that file permissions bite; skips when that is not
    // possible. The folder is opened to that user.
    void RunWithoutPrivileges(const std::function<void()>& body);

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
};

}  // namespace Hostile
