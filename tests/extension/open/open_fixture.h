// A fixture for OPEN as the module code linked into this program runs it: a temporary base
// folder, the bound core, the remembered-location handle, the dialog answers, and the channels
// left open released afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "extension/frame/channel_table.h"
#include "platform/dialog/dialog_host.h"
#include "tests/support/temp_folder.h"

namespace OpenTest {

class OpenFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // OPEN on `channel` with UTF-8 arguments and this fixture's handle variable.
    Int16 Open(UInt32 channel, const std::string& name, const std::string& parameters);
    // The channel's record; fails the test when the channel is not open.
    const DataOmbraPlugin::ChannelInfo& Record(UInt32 channel);
    // The location of the channel's file.
    IO::Location FileLocation(UInt32 channel);
    std::vector<std::string> Reports();
    // The kinds of the dialogs presented since the last call.
    std::vector<DG::ShownDialog::Kind> ShownKinds();

    OmbraTest::TempFolder folder;
    ZRHandle handle = nullptr;
};

// Runs `work` on a worker thread while this (main) thread runs the message loop; returns when
// `work` has ended. The worker starts its work once the loop takes tasks.
void RunOnWorkerWithMessageLoop(const std::function<void()>& work);

// The report the module makes for message `message` of its file-error list about `file`.
std::string FileErrorReport(Int16 message, const std::string& file);

}  // namespace OpenTest
