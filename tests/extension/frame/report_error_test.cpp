// Composition of reported messages: texts, framing, file names, shortening and statuses.
#include <gtest/gtest.h>

#include <cstring>

#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
#include "platform/interpreter/string_fetchers.h"
#include "tests/extension/frame/core_binding.h"

namespace {

using DataOmbraPlugin::ReportError;

IO::Location FileNamed(const std::string& name) {
    return IO::Location(ZR::UniString(("/data/" + name).c_str(), CC_UTF8));
}

std::string Framed(const std::string& text, const std::string& name) {
    return text + "\r\nwhile operating on file '" + name + "'.";
}

class ReportErrorTest : public ::testing::Test {
protected:
    void SetUp() override { FrameTest::BindCore(); }
};

struct MessageCase {
    Int32 error;
    const char* argument;
    const char* shown;
    GSErrCode status;
};

TEST_F(ReportErrorTest, EveryMessageIsFramedWithTheFileName) {
    const MessageCase cases[] = {
        {-1, nullptr, "Create error", StatusReportedError},
        {-2, nullptr, "Open error (file already used)", StatusReportedError},
        {-3, nullptr, "File not found, can't open for input", StatusReportedError},
        {-4, nullptr, "Read error", StatusReportedError},
        {-5, nullptr, "Write permission error", StatusReportedError},
        {-6, nullptr, "Close error", StatusReportedError},
        {-7, nullptr, "DATA Add-On memory full error", StatusReportedError},
        {-8, nullptr, "Unknown file TYPE", StatusReportedError},
        {-9, nullptr, "File not found in the library", StatusReportedError},
        {1, nullptr, "Wrong FieldID parameter value", NoError},
        {2, "FOO", "Unknown keyword 'FOO' of OPEN parameter string", NoError},
        {3, "XX", "Unknown file MODE 'XX' in OPEN parameter string", NoError},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(ReportError(c.error, FileNamed("prices.txt"), FetchMessageString, c.argument),
                  c.status);
        EXPECT_EQ(FrameTest::TakeCoreReports(),
                  std::vector<std::string>{Framed(c.shown, "prices.txt")});
    }
}

TEST_F(ReportErrorTest, FileNameIsShownVerbatimEvenWithPercentSigns) {
    const std::string name = "100%s %d %% %n.txt";
    ReportError(-4, FileNamed(name), FetchMessageString);
    EXPECT_EQ(FrameTest::TakeCoreReports(), std::vector<std::string>{Framed("Read error", name)});
}

TEST_F(ReportErrorTest, ArgumentIsShownVerbatim) {
    ReportError(2, FileNamed("a.txt"), FetchMessageString, "%s%d");
    EXPECT_EQ(FrameTest::TakeCoreReports(),
              std::vector<std::string>{
                  Framed("Unknown keyword '%s%d' of OPEN parameter string", "a.txt")});
}

TEST_F(ReportErrorTest, EmptyLocationShowsAnEmptyName) {
    EXPECT_EQ(ReportError(-5, IO::Location(), FetchMessageString), StatusReportedError);
    EXPECT_EQ(FrameTest::TakeCoreReports(),
              std::vector<std::string>{"Write permission error\r\nwhile operating on file ''."});
}

TEST_F(ReportErrorTest, NameIsShownInTheDefaultCodePage) {
    ReportError(-4,
                FileNamed("pr\xC3\xAF"
                          "ces.txt"),
                FetchMessageString);  // U+00EF
    EXPECT_EQ(FrameTest::TakeCoreReports(), std::vector<std::string>{Framed("Read error",
                                                                            "pr\xEF"
                                                                            "ces.txt")});
}

TEST_F(ReportErrorTest, OverlongReportIsShortenedTo255Bytes) {
    const std::string name(400, 'n');
    ReportError(-4, FileNamed(name), FetchMessageString);
    const std::vector<std::string> reports = FrameTest::TakeCoreReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], Framed("Read error", name).substr(0, 255));
}

TEST_F(ReportErrorTest, OverlongArgumentIsShortenedTo255Bytes) {
    const std::string argument(600, 'k');
    EXPECT_EQ(ReportError(2, FileNamed("a.txt"), FetchMessageString, argument.c_str()), NoError);
    const std::vector<std::string> reports = FrameTest::TakeCoreReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], ("Unknown keyword '" + argument).substr(0, 255));
}

TEST_F(ReportErrorTest, ErrorZeroReportsNothing) {
    EXPECT_EQ(ReportError(0, FileNamed("a.txt"), FetchMessageString), NoError);
    EXPECT_TRUE(FrameTest::TakeCoreReports().empty());
}

TEST_F(ReportErrorTest, MissingFetcherReportsNothingAndFails) {
    for (Int32 error : {-3, 2}) {
        EXPECT_EQ(ReportError(error, FileNamed("a.txt"), nullptr, "X"), StatusReportedError);
        EXPECT_TRUE(FrameTest::TakeCoreReports().empty());
    }
}

// A fetcher that fills the whole buffer without a terminator and records what it was asked.
std::vector<std::pair<Int16, Int16>> requested;
GSResModule requestedModule = 0;
void UnterminatedFetcher(char* buffer, Int16 listId, Int16 index, GSResModule module) {
    requested.emplace_back(listId, index);
    requestedModule = module;
    std::memset(buffer, 'z', FetchBufferSize);
}

TEST_F(ReportErrorTest, FetchesFrameAndMessageFromTheModulesResources) {
    requested.clear();
    ReportError(-7, FileNamed("a.txt"), UnterminatedFetcher);
    ReportError(3, FileNamed("a.txt"), UnterminatedFetcher, "Q");
    const std::vector<std::pair<Int16, Int16>> expected = {{5, 1}, {3, 7}, {5, 1}, {4, 3}};
    EXPECT_EQ(requested, expected);
    EXPECT_EQ(requestedModule, DataOmbraPlugin::GetResourceModule());
    EXPECT_NE(requestedModule, InvalidResModule);
    for (const std::string& report : FrameTest::TakeCoreReports()) EXPECT_EQ(report.size(), 255u);
}

}  // namespace
