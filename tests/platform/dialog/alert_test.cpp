// Alerts as the dialog library shows them: taken from the active resource module, answered from
// the queue or the terminal, cancelled without either.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "host/dialog.h"
#include "platform/base/module_instance.h"
#include "platform/dialog/dialog_host.h"
#include "tests/platform/dialog/alert_fixture.h"

namespace {

using namespace DialogTest;

class AlertTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library = dlopen(DIALOG_TEST_ALERTS, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        module = RSAddModule_ResetCurrentModule(ModuleInstanceOf(library));
    }
    static void TearDownTestSuite() {
        RSRemoveModule(module);
        dlclose(library);
    }
    void SetUp() override {
        ASSERT_NE(module, InvalidResModule);
        previous = RSSetActiveModule(module);
        DG::ClearAnswers();
        DG::TakeShownDialogs();
    }
    void TearDown() override {
        DG::StopUsingTerminal();
        DG::ClearAnswers();
        RSSetActiveModule(previous);
    }

    static inline void* library = nullptr;
    static inline ZRResModule module = InvalidResModule;
    ZRResModule previous = InvalidResModule;
};

TEST_F(AlertTest, AlertThatCannotBeShownReturns0AndConsumesNothing) {
    DG::QueueAnswer("1");
    EXPECT_EQ(DGResAlertParam(CutAlert, "x"), 0);
    EXPECT_EQ(DGResAlertParam(AbsentAlert, "x"), 0);
    RSSetActiveModule(InvalidResModule);
    EXPECT_EQ(DGResAlertParam(WholeAlert, "x"), 0);
    EXPECT_EQ(DG::PendingAnswers(), 1u);
    EXPECT_TRUE(DG::TakeShownDialogs().empty());
}

// The parameter comes in the default code page and reaches the terminal in UTF-8.
TEST_F(AlertTest, TerminalShowsTheAlertAndReadsTheChoice) {
    char input[] = "what?\r\n3\n";
    FILE* in = fmemopen(input, sizeof input - 1, "r");
    FILE* out = std::tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    DG::UseTerminal(in, out);
    EXPECT_EQ(DGResAlertParam(WholeAlert, "prix-\xE9t\xE9.txt"), 3);
    EXPECT_EQ(DGResAlertParam(WholeAlert, "prices.txt"), 0);  // end of input
    DG::StopUsingTerminal();

    std::rewind(out);
    std::string shown;
    for (int ch; (ch = std::fgetc(out)) != EOF;) shown += char(ch);
    EXPECT_NE(shown.find("Information"), std::string::npos);
    EXPECT_NE(shown.find("Cannot find prix-\xC3\xA9t\xC3\xA9.txt."), std::string::npos);
    EXPECT_NE(shown.find("Cannot find prices.txt."), std::string::npos);
    EXPECT_NE(shown.find("1) Browse..."), std::string::npos);
    EXPECT_NE(shown.find("3) Create..."), std::string::npos);
    std::fclose(in);
    std::fclose(out);
}

TEST_F(AlertTest, QueueIsUsedBeforeTheTerminal) {
    char input[] = "1\n";
    FILE* in = fmemopen(input, sizeof input - 1, "r");
    ASSERT_NE(in, nullptr);
    DG::UseTerminal(in, nullptr);
    DG::QueueAnswer("2");
    EXPECT_EQ(DGResAlertParam(WholeAlert, "x"), 2);
    EXPECT_EQ(DGResAlertParam(WholeAlert, "x"), 1);
    DG::StopUsingTerminal();
    std::fclose(in);
}

}  // namespace
