// The stored form of an alert, read defensively, and the substitution and answer rules.
#include <gtest/gtest.h>

#include "platform/dialog/alert_resource.h"

namespace {

using DG::Detail::AlertResource;
using namespace std::string_literals;

const std::string Body = "\xFD\xFFInformation\0Cannot find %s.\0\0Browse...\0Cancel\0Create...\0"s;

std::string WithCount(const std::string& body, UInt32 count) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[size_t(i)] = char(count >> (8 * i));
    return bytes + body;
}

bool Parse(const std::string& bytes, AlertResource& alert) {
    return DG::Detail::ParseAlertResource(bytes.data(), USize(bytes.size()), alert);
}

TEST(AlertResource, ReadsEveryPartOfAWholeAlert) {
    AlertResource alert;
    ASSERT_TRUE(Parse(WithCount(Body, UInt32(Body.size())), alert));
    EXPECT_EQ(alert.style, -3);
    EXPECT_EQ(alert.title, "Information");
    EXPECT_EQ(alert.message, "Cannot find %s.");
    EXPECT_EQ(alert.secondMessage, "");
    EXPECT_EQ(alert.buttons[0], "Browse...");
    EXPECT_EQ(alert.buttons[1], "Cancel");
    EXPECT_EQ(alert.buttons[2], "Create...");
}

TEST(AlertResource, BytesAfterTheLastTextAreIgnored) {
    AlertResource alert;
    std::string body = Body + "trailing";
    EXPECT_TRUE(Parse(WithCount(body, UInt32(body.size())), alert));
    EXPECT_TRUE(Parse(WithCount(Body, UInt32(Body.size())) + "beyond the count", alert));
    EXPECT_EQ(alert.buttons[2], "Create...");
}

TEST(AlertResource, RefusesEveryShortenedForm) {
    AlertResource alert;
    EXPECT_FALSE(DG::Detail::ParseAlertResource(nullptr, 0, alert));
    const std::string whole = WithCount(Body, UInt32(Body.size()));
    // Cut anywhere: the count then runs past the bytes.
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(Parse(whole.substr(0, length), alert)) << length;
    // A count that ends inside the texts, and counts far beyond the bytes.
    for (UInt32 count = 0; count < Body.size(); ++count)
        EXPECT_FALSE(Parse(WithCount(Body, count), alert)) << count;
    EXPECT_FALSE(Parse(WithCount(Body, 0xFFFFFFFF), alert));
    EXPECT_FALSE(Parse(WithCount(Body, UInt32(Body.size()) + 1), alert));
}

TEST(AlertResource, SubstitutesParametersInOrder) {
    const std::vector<std::string> two = {"a.txt", "b"};
    struct Case {
        std::string text;
        size_t startAt;
        std::string expected;
        size_t nextAfter;
    };
    const Case cases[] = {
        {"Cannot find %s.", 0, "Cannot find a.txt.", 1},
        {"%s and %s", 0, "a.txt and b", 2},
        {"%s and %s and %s", 0, "a.txt and b and ", 2},
        {"second %s", 1, "second b", 2},
        {"no parameter", 0, "no parameter", 0},
        {"100%% and %d %", 0, "100%% and %d %", 0},
        {"%%s", 0, "%a.txt", 1},
    };
    for (const Case& item : cases) {
        size_t next = item.startAt;
        EXPECT_EQ(DG::Detail::SubstituteParameters(item.text, two, next), item.expected)
            << item.text;
        EXPECT_EQ(next, item.nextAfter) << item.text;
    }
}

TEST(AlertResource, AnswersNameButtonsByNumberOrLabel) {
    AlertResource alert;
    alert.buttons = {"Browse...", "", "Create..."};
    const std::pair<std::string, Int16> cases[] = {
        {"1", 1}, {"browse", 1}, {"BROWSE", 1}, {" Browse ", 1}, {"Browse...", 1},
        {"3", 3}, {"create", 3}, {"2", 0},      {"", 0},         {"4", 0},
        {"0", 0}, {"cancel", 0}, {"brows", 0},  {"1 2", 0},      {"...", 0},
    };
    for (const auto& [answer, button] : cases)
        EXPECT_EQ(DG::Detail::ButtonForAnswer(alert, answer), button) << "'" << answer << "'";
}

}  // namespace
