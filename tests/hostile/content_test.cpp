// Files whose bytes no writer of this module made: junk, broken UTF-8, NUL bytes, a 10 MB line,
// empty lines and every mix of line ends. Each is served (every record reads back as written),
// takes a new record, and after CLOSE's save still holds every line byte for byte, less the empty
// lines.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/hostile/hostile_fixture.h"

namespace Hostile {
namespace {

struct Probe {
    std::string key;
    std::string field;  // what INPUT of field 1 delivers; "<absent>" for no record
};

struct ContentCase {
    std::string name;
    std::string bytes;
    std::vector<Probe> probes;
};

std::vector<ContentCase> OddContentCases() {
    const std::string longField(10 * 1024 * 1024, 'x');
    return {
        {"control and high bytes in the default code page",
         std::string("a\tv\x01\x02\x1b\x7f\r") + "b\tok\r" + "c\t\x80\x81\xfe\xff\r",
         {{"b", "ok"}, {"d", "<absent>"}}},
        {"broken UTF-8 after the byte-order mark",
         "\xEF\xBB\xBF"
         "a\t\xC3\x28\r"
         "b\tok\r"
         "c\t\xF0\x9F\x98\r"
         "d\t\xED\xA0\x80\r",
         {{"b", "ok"}}},
        {"NUL bytes in keys and fields",
         std::string("a\tx\0y\r", 6) + "b\tok\r" + std::string("c\0c\tz\r", 6) +
             std::string("d\t\0\r", 4),
         {{"b", "ok"}, {"c", "<absent>"}}},
        {"a 10 MB line between short ones",
         "a\t1st\rb\t" + longField + "\rc\t3rd\r",
         {{"a", "1st"}, {"b", longField}, {"c", "3rd"}}},
        {"unsorted keys, empty lines and a line without separator",
         "m\tm1\r\r\nb\tb1\rlonely\rb\tb2\r",
         {{"m", "m1"}, {"b", "b2"}, {"lonely", "<absent>"}}},
        {"an empty line after the sorted lines, as an editor leaves it, and one before them",
         "\na\t1\nb\t2\n\n", {{"a", "1"}, {"b", "2"}}},
        {"an empty line after a line of the empty key, which it does not hide",
         "b\t2\n\tempty key\n\n", {{"", "empty key"}, {"b", "2"}}},
    };
}

// Three lines, each ended by CR, LF or CR LF, the last one also by nothing.
std::vector<ContentCase> LineEndCases() {
    const char* const ends[] = {"\r", "\n", "\r\n", ""};
    const char* const names[] = {"CR", "LF", "CRLF", "none"};
    std::vector<ContentCase> cases;
    for (int first = 0; first < 3; ++first)
        for (int second = 0; second < 3; ++second)
            for (int last = 0; last < 4; ++last)
                cases.push_back(
                    {std::string(names[first]) + "-" + names[second] + "-" + names[last],
                     std::string("a\tv1") + ends[first] + "b\tv2" + ends[second] + "c\tv3" +
                         ends[last],
                     {{"a", "v1"}, {"b", "v2"}, {"c", "v3"}}});
    return cases;
}

class Content : public HostileFile {
protected:
    void ExpectProbes(UInt32 channel, const std::vector<Probe>& probes) {
        for (const Probe& probe : probes)
            EXPECT_EQ(Field(channel, probe.key), probe.field) << "key " << probe.key;
    }

    // Serves the case, changes `changed` (a new record), saves, and checks what stays.
    void Serve(const ContentCase& file, const std::vector<Probe>& changes) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(folder.WriteFile("hostile.txt", file.bytes));
        ASSERT_EQ(host.Open(1, "hostile.txt", "MODE=WA"), NoError);
        ExpectProbes(1, file.probes);
        std::vector<std::string> changedKeys;
        for (const Probe& change : changes) {
            EXPECT_EQ(host.Output(1, change.key, "1", {change.field}), NoError);
            changedKeys.push_back(change.key);
        }
        host.Close(1);
        EXPECT_TRUE(host.TakeReports().empty());
        const std::string saved = *folder.ReadFile("hostile.txt");
        EXPECT_TRUE(LinesKept(file.bytes, saved, changedKeys));
        // Empty lines hold nothing INPUT can return; a save drops them, so that none stands
        // first and makes the next load take the whole file as unsorted.
        const std::vector<std::string> lines = OmbraTest::SplitLines(saved);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string()), 0);
        ASSERT_EQ(host.Open(1, "hostile.txt", "MODE=RO"), NoError);
        std::vector<Probe> expected = changes;
        for (const Probe& probe : file.probes)
            if (std::find(changedKeys.begin(), changedKeys.end(), probe.key) == changedKeys.end())
                expected.push_back(probe);
        ExpectProbes(1, expected);
        host.Close(1);
    }
};

TEST_F(Content, OddBytesAreServedAndKept) {
    for (const ContentCase& file : OddContentCases()) Serve(file, {{"new", "added"}});
}

// The last line changes to a longer text, so it is appended after a last line that may have no
// terminator: the new line must start on a line of its own.
TEST_F(Content, EveryMixOfLineEndsIsServedAndKept) {
    for (const ContentCase& file : LineEndCases())
        Serve(file, {{"c", "changed"}, {"new", "added"}});
}

}  // namespace
}  // namespace Hostile
