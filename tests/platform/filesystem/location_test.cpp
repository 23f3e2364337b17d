#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/filesystem.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

ZR::UniString Text(const std::string& utf8) {
    return ZR::UniString(utf8.data(), USize(utf8.size()), CC_UTF8);
}

// The components of `location`, first to last, taken apart with the public calls.
std::vector<ZR::UniString> NamesOf(IO::Location location) {
    std::vector<ZR::UniString> names;
    IO::Name name;
    while (location.GetLastLocalName(&name) == NoError) {
        names.insert(names.begin(), name.GetText());
        EXPECT_EQ(location.DeleteLastLocalName(), NoError);
    }
    EXPECT_EQ(location.GetLocalLength(), 0u);
    return names;
}

struct ParseCase {
    std::string text;
    bool absolute;
    std::vector<std::string> names;
    std::string display;
};

TEST(LocationTest, ParsesBothSeparatorsAndDropsEmptyComponents) {
    const std::string longName(300, 'x');
    const std::vector<ParseCase> cases = {
        {"a/b/c", false, {"a", "b", "c"}, "a/b/c"},
        {"/a/b", true, {"a", "b"}, "/a/b"},
        {"\\a\\b", true, {"a", "b"}, "/a/b"},
        {"a\\b/c", false, {"a", "b", "c"}, "a/b/c"},
        {"//a///b//", true, {"a", "b"}, "/a/b"},
        {"", false, {}, ""},
        {"/", true, {}, "/"},
        {"./../x", false, {".", "..", "x"}, "./../x"},
        {"C:\\dir\\f.txt", false, {"C:", "dir", "f.txt"}, "C:/dir/f.txt"},
        {" a /b ", false, {" a ", "b "}, " a /b "},
        {"/" + longName, true, {longName}, "/" + longName},
    };
    for (const ParseCase& test : cases) {
        SCOPED_TRACE(test.text);
        const IO::Location location(Text(test.text));
        EXPECT_EQ(location.IsAbsolute(), test.absolute);
        EXPECT_EQ(location.GetLocalLength(), test.names.size());
        std::vector<ZR::UniString> expected;
        for (const std::string& name : test.names) expected.push_back(Text(name));
        EXPECT_EQ(NamesOf(location), expected);
        EXPECT_EQ(location.ToDisplayText(), Text(test.display));
    }
}

TEST(LocationTest, EditingRefusesMissingAndUnusableNames) {
    IO::Location location;
    IO::Name name(Text("stale"));
    EXPECT_EQ(location.GetLastLocalName(&name), IO::ErrBadName);
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_EQ(location.SetLastLocalName(IO::Name(Text("a"))), IO::ErrBadName);
    EXPECT_EQ(location.DeleteLastLocalName(), IO::ErrBadName);
    EXPECT_EQ(location.AppendToLocal(IO::Name()), IO::ErrBadName);
    EXPECT_EQ(location.AppendToLocal(IO::Name(Text("a/b"))), IO::ErrBadName);
    EXPECT_EQ(location.AppendToLocal(IO::Name(Text("a\\b"))), NoError);
    EXPECT_EQ(location.SetLastLocalName(IO::Name(Text("x/y"))), IO::ErrBadName);
    EXPECT_EQ(location.SetLastLocalName(IO::Name(Text("data.txt.tmp"))), NoError);
    EXPECT_EQ(location.ToDisplayText(), Text("data.txt.tmp"));
}

TEST(LocationTest, PathKeepsEveryByteOfANameAndResolvesRelativeOnes) {
    const std::string odd = "caf\xC3\xA9 \xFF\xFE\x80 x";  // valid and invalid UTF-8
    IO::Location absolute(Text("/tmp"));
    ASSERT_EQ(
        absolute.AppendToLocal(IO::Name(ZR::UniString(odd.data(), USize(odd.size()), CC_UTF8))),
        NoError);
    EXPECT_EQ(absolute.ToPath(), "/tmp/" + odd);
    EXPECT_EQ(IO::Location(Text("/")).ToPath(), "/");

    IO::Location previous;
    ASSERT_EQ(IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &previous), NoError);
    OmbraTest::TempFolder folder;
    IO::fileSystem.SetBaseFolder(folder.Location());
    EXPECT_EQ(IO::Location(Text("x/y")).ToPath(), folder.Path() + "/x/y");
    EXPECT_EQ(IO::Location().ToPath(), folder.Path());
    IO::fileSystem.SetBaseFolder(IO::Location(Text("sub")));  // relative: taken in the old base
    IO::Location base;
    ASSERT_EQ(IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &base), NoError);
    EXPECT_EQ(base.ToPath(), folder.Path() + "/sub");
    EXPECT_TRUE(base.IsAbsolute());
    IO::fileSystem.SetBaseFolder(previous);
}

std::string Serialized(const IO::Location& location) {
    IO::MemoryOChannel out;
    EXPECT_EQ(location.Write(out), NoError);
    return std::string(out.GetDestination(), out.GetDataSize());
}

ZRErrCode ReadFrom(const std::string& bytes, IO::Location& location) {
    IO::MemoryIChannel in(bytes.data(), USize(bytes.size()));
    return location.Read(in);
}

TEST(LocationTest, SerializedFormRoundTrips) {
    for (const char* text : {"", "/", "a", "/a/b/c", "rel/\xC3\xA9/..", "/x\\y"}) {
        SCOPED_TRACE(text);
        const IO::Location original(Text(text));
        IO::Location copy(Text("/something/else"));
        EXPECT_EQ(ReadFrom(Serialized(original), copy), NoError);
        EXPECT_EQ(copy, original);
    }
}

TEST(LocationTest, CorruptInputFailsAndLeavesTheLocationUnchanged) {
    const IO::Location sentinel(Text("/keep/me"));
    const std::string valid = Serialized(IO::Location(Text("/ab/cd")));
    std::vector<std::string> corrupt;
    for (size_t size = 0; size < valid.size(); ++size) corrupt.push_back(valid.substr(0, size));
    const auto patched = [&](size_t offset, const std::string& bytes) {
        std::string copy = valid;
        return copy.replace(offset, bytes.size(), bytes);
    };
    corrupt.push_back(patched(0, "\x02"));  // absolute flag neither 0 nor 1
    corrupt.push_back(patched(1, std::string("\xFF\xFF\xFF\xFF")));  // count far beyond the input
    corrupt.push_back(patched(5, std::string("\xFF\xFF\xFF\x7F")));  // huge component length
    corrupt.push_back(patched(9, std::string("/\0", 2)));            // a name holding "/"
    corrupt.push_back(patched(5, std::string("\0\0\0\0", 4)));       // an empty name
    for (const std::string& bytes : corrupt) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        IO::Location location = sentinel;
        EXPECT_NE(ReadFrom(bytes, location), NoError);
        EXPECT_EQ(location, sentinel);
    }
}

}  // namespace
