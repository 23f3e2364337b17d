// File dialogs on the terminal: the prompt, asking again until an answer names a file, and the end
// of input. The rest of the dialogs' rules are checked through OPEN and ombra scripts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "host/dialog.h"
#include "platform/dialog/dialog_host.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

using Kind = DG::ShownDialog::Kind;

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &previousBase);
        IO::fileSystem.SetBaseFolder(folder.Location());
        ASSERT_TRUE(folder.WriteFile("exists.txt", "x"));
        ASSERT_EQ(mkdir(folder.PathOf("sub").c_str(), 0700), 0);
        DG::ClearAnswers();
        DG::TakeShownDialogs();
    }
    void TearDown() override {
        DG::StopUsingTerminal();
        DG::ClearAnswers();
        IO::fileSystem.SetBaseFolder(previousBase);
    }

    // Presents a dialog of `type` with `answers` queued: the selected file, or nothing.
    static std::optional<IO::Location> Choose(DG::FileDialog::Type type,
                                              std::initializer_list<std::string> answers) {
        for (const std::string& answer : answers) DG::QueueAnswer(answer);
        DG::FileDialog dialog(type);
        bool chosen = dialog.Invoke();
        EXPECT_EQ(DG::PendingAnswers(), 0u);
        EXPECT_EQ(dialog.GetSelectionCount(), chosen ? 1u : 0u);
        if (!chosen) {
            EXPECT_TRUE(dialog.GetSelectedFile(0).IsEmpty());
            return std::nullopt;
        }
        return dialog.GetSelectedFile(0);
    }

    OmbraTest::TempFolder folder;
    IO::Location previousBase;
};

TEST_F(FileDialogTest, TerminalPromptsAndAsksAgainUntilAFileIsGiven) {
    char input[] = "nowhere.txt\nexists.txt\r\n";
    FILE* in = fmemopen(input, sizeof input - 1, "r");
    FILE* out = std::tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    DG::UseTerminal(in, out);
    EXPECT_EQ(Choose(DG::FileDialog::OpenFile, {}), folder.LocationOf("exists.txt"));
    EXPECT_EQ(Choose(DG::FileDialog::OpenFile, {}), std::nullopt);  // end of input
    DG::StopUsingTerminal();

    std::rewind(out);
    std::string shown;
    for (int ch; (ch = std::fgetc(out)) != EOF;) shown += char(ch);
    EXPECT_NE(shown.find("No such file: nowhere.txt"), std::string::npos);
    EXPECT_NE(shown.find("Open which existing file?"), std::string::npos);
    std::fclose(in);
    std::fclose(out);
}

}  // namespace
