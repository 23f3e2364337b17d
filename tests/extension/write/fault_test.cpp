// Every file-system call of OUTPUT, of the save and of CLOSE failed in turn (once, and for good
// from then on) or ended by a crash: no crash of ours, the status the algorithm gives, and the
// data file holding the old text or the complete new text, never anything between. Afterwards the
// channel goes on without faults and CLOSE keeps every record of the one state or the other.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "extension/frame/channel_table.h"
#include "extension/frame/close.h"
#include "extension/write/save.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/extension/frame/core_binding.h"
#include "tests/extension/write/write_fixture.h"

namespace WriteTest {
namespace {

namespace Faults = IO::FaultInjection;
using namespace DataOmbraPlugin;

const std::string Mark = "\xEF\xBB\xBF";
const std::string AC = "A\t1\rC\t3\r";

enum class Operation { Output, Close, Save };

struct Scenario {
    const char* name;
    std::string file;  // the data file before; a new file as OPEN creates it when "new"
    std::vector<std::vector<std::string>> setup;  // OUTPUTs {key, field, value} before
    Operation operation;
    std::vector<std::string> change;    // the OUTPUT under test
    std::vector<std::string> outcomes;  // the data file's bytes allowed after it, the one
                                        // before it first
};

// A leading run of one line and 1022 tail lines, so that the OUTPUT of a new key brings tailIndex
// to 1024 entries. Version 0: before; 1: the new line appended; 2: compacted.
std::string CompactionFile(int version) {
    std::string tail;
    for (int i = 1000; i <= 2021; ++i) tail += "k" + std::to_string(i) + "\t1\r";
    if (version == 2) return "b\t1\r" + tail + "zz\tx\r";
    return "zz\tx\r" + tail + (version == 1 ? "b\t1\r" : "");
}

std::vector<Scenario> Scenarios() {
    const std::vector<std::string> loadA = {"A", "1", "1"};
    return {
        {"append", AC, {loadA}, Operation::Output, {"B", "1", "2"}, {AC, AC + "B\t2\r"}},
        {"in_place", AC, {loadA}, Operation::Output, {"A", "1", "9"}, {AC, "A\t9\rC\t3\r"}},
        {"delete_loading",
         AC,
         {},
         Operation::Output,
         {"C", "0", ""},
         {AC, AC + "C\t\xFF Deleted entry\r"}},
        {"new_file_mark",
         "new",
         {},
         Operation::Output,
         {"A", "1", "1"},
         {"", Mark, Mark + "A\t1\r"}},
        {"close_saves",
         AC,
         {{"B", "1", "2"}},
         Operation::Close,
         {},
         {AC + "B\t2\r", "A\t1\rB\t2\rC\t3\r"}},
        {"save_utf8",
         Mark + "B\t2\rA\t1\r",
         {{"C", "1", "3"}},
         Operation::Save,
         {},
         {Mark + "B\t2\rA\t1\rC\t3\r", Mark + "A\t1\rB\t2\rC\t3\r"}},
        {"compaction",
         CompactionFile(0),
         {{"zz", "1", "x"}},
         Operation::Output,
         {"b", "1", "1"},
         {CompactionFile(0), CompactionFile(1), CompactionFile(2)}},
    };
}

// The records a file holds: the last line of every key, deleted ones left out.
std::map<std::string, std::string> RecordsOf(std::string bytes) {
    if (bytes.compare(0, 3, Mark) == 0) bytes.erase(0, 3);
    std::map<std::string, std::string> records;
    for (size_t start = 0, end; start < bytes.size(); start = end + 1) {
        end = bytes.find('\r', start);
        const std::string line = bytes.substr(start, end - start);
        const std::string key = line.substr(0, line.find('\t'));
        if (line == key + "\t\xFF Deleted entry") {
            records.erase(key);
        } else {
            records[key] = line;
        }
    }
    return records;
}

void PrintTo(const Scenario& c, std::ostream* out) {
    *out << c.name;
}

// The calls to fail: every one, except that of a long run (the per-line positioning of a merge)
// only the first and last fifty and every 40th between are taken.
std::vector<UInt64> SweptCalls(UInt64 calls) {
    std::vector<UInt64> swept;
    for (UInt64 n = 1; n <= calls; ++n) {
        if (calls <= 150 || n <= 50 || n + 50 > calls || n % 40 == 0) swept.push_back(n);
    }
    return swept;
}

class FaultTest : public WriteFixture, public ::testing::WithParamInterface<Scenario> {
protected:
    void Prepare() {
        const Scenario& s = GetParam();
        ReleaseChannels();
        std::filesystem::remove(folder.PathOf("data.txt.tmp"));
        if (s.file == "new") {
            OpenNewChannel(1, "data.txt");
        } else {
            OpenChannel(1, "data.txt", s.file, s.file.compare(0, 3, Mark) == 0);
        }
        for (const auto& change : s.setup)
            ASSERT_EQ(Output(1, change[0], change[1], {change[2]}), 0);
        FrameTest::TakeCoreReports();
    }

    Int16 Run() {
        const std::vector<std::string>& change = GetParam().change;
        switch (GetParam().operation) {
            case Operation::Output:
                return Output(1, change[0], change[1], {change[2]});
            case Operation::Close:
                return CloseDataChannel(1);
            case Operation::Save:
                return Int16(SaveChannel(1));
        }
        return 0;
    }

    // The outcome of one failed run, checked; then the channel goes on without faults.
    void Check(Int16 status, bool once) {
        const Scenario& s = GetParam();
        const std::string after = FileBytes("data.txt");
        const bool unchanged = after == s.outcomes.front();
        EXPECT_NE(std::find(s.outcomes.begin(), s.outcomes.end(), after), s.outcomes.end())
            << testing::PrintToString(after);
        const std::vector<std::string> reports = FrameTest::TakeCoreReports();
        if (s.operation == Operation::Output && status != 0) {
            EXPECT_EQ(status, -7003);  // only the load can fail visibly
            EXPECT_TRUE(unchanged || after == Mark);
            EXPECT_EQ(reports, std::vector<std::string>{"Write permission error\r\nwhile operating "
                                                        "on file 'data.txt'."});
        } else if (s.operation != Operation::Save) {
            EXPECT_EQ(status, 0);
            EXPECT_TRUE(reports.empty());
        } else {
            EXPECT_TRUE(status == 0 || unchanged) << status;
            EXPECT_EQ(Info(1).modified, unchanged ? 1 : 0);  // a failed save is retried
            if (!unchanged) Info(1).DropContent();           // as every caller of a save does
        }
        if (once) {
            EXPECT_FALSE(folder.Exists("data.txt.tmp"));
        }
        ContinueWithoutFaults();
    }

    void ContinueWithoutFaults() {
        if (FindChannel(1) == 0) Reopen(1, "data.txt");
        EXPECT_EQ(Output(1, "Z", "1", {std::string("z")}), 0);
        EXPECT_EQ(CloseDataChannel(1), 0);
        std::map<std::string, std::string> records = RecordsOf(FileBytes("data.txt"));
        EXPECT_EQ(records["Z"], "Z\tz");
        records.erase("Z");
        const auto& outcomes = GetParam().outcomes;
        EXPECT_TRUE(records == RecordsOf(outcomes.front()) ||
                    records == RecordsOf(outcomes.back()));
    }

    void ReleaseChannels() {
        std::unique_ptr<IO::File> file;
        ReleaseChannel(1, file);
    }

    UInt64 CountCalls() {
        Prepare();
        Faults::StartCounting();
        EXPECT_EQ(Run(), 0);
        const UInt64 calls = Faults::GetTotalCallCount();
        Faults::Reset();
        return calls;
    }
};

TEST_P(FaultTest, EachCallFailsOnceOrForGood) {
    const UInt64 calls = CountCalls();
    ASSERT_GT(calls, 0u);
    for (UInt64 n : SweptCalls(calls)) {
        for (Faults::Repeat repeat : {Faults::Repeat::Once, Faults::Repeat::Persistent}) {
            SCOPED_TRACE("call " + std::to_string(n) +
                         (repeat == Faults::Repeat::Once ? " once" : " for good"));
            ASSERT_NO_FATAL_FAILURE(Prepare());
            Faults::FailAnyCall(n, Faults::Failure{EIO, repeat, 0});
            const Int16 status = Run();
            Faults::Reset();
            Check(status, repeat == Faults::Repeat::Once);
        }
    }
}

TEST_P(FaultTest, CrashAtEachCallLeavesOldOrNewText) {
    for (UInt64 n : SweptCalls(CountCalls())) {
        SCOPED_TRACE("crash at call " + std::to_string(n));
        ASSERT_NO_FATAL_FAILURE(Prepare());
        const pid_t child = fork();
        if (child == 0) {
            Faults::SetCallback([n](const Faults::CallInfo& call) {
                if (call.number == n) _exit(0);
            });
            Run();
            _exit(0);
        }
        int childStatus = 0;
        ASSERT_EQ(waitpid(child, &childStatus, 0), child);
        const auto& outcomes = GetParam().outcomes;
        const std::string after = FileBytes("data.txt");
        EXPECT_NE(std::find(outcomes.begin(), outcomes.end(), after), outcomes.end());
        ReleaseChannels();  // this process's index describes the file before the child's change
        ContinueWithoutFaults();
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultTest, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace WriteTest
