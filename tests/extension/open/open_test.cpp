// OPEN: what each mode does to missing and present files, the text flags the channel starts with,
// the data-folder fallback, and every failure with its message.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "extension/frame/host_services.h"
#include "platform/base/memory_faults.h"
#include "platform/filesystem/fault_injection.h"
#include "platform/extension_host/string_fetchers.h"
#include "tests/extension/open/open_core.h"
#include "tests/extension/open/open_fixture.h"

// This program's allocator can refuse the first allocation of one size once armed: the way to
// make the channel table fail to grow.
namespace {
std::atomic<std::size_t> refusedSize{0};
}  // namespace

// The replacement operators are kept out of line: inlined, g++ pairs their malloc and free with
// the callers' new and delete and warns of a mismatch that is not there.
__attribute__((noinline)) void* operator new(std::size_t size) {
    std::size_t armed = size;
    if (size != 0 && refusedSize.compare_exchange_strong(armed, 0)) throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
// Every other form goes through the one above, so that every block is freed as it was made.
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
__attribute__((noinline)) void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
__attribute__((noinline)) void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace {

using DataOmbraPlugin::ModeReadOnly;
using DataOmbraPlugin::ModeWriteAppend;
using DataOmbraPlugin::ModeWriteEmpty;
using IO::FaultInjection::FailCall;
using IO::FaultInjection::Op;
using IO::FaultInjection::Repeat;
using OpenTest::FileErrorReport;

const std::string Bom = "\xEF\xBB\xBF";
const std::string AnsiText = "A\t1\rB\t2\r";
const std::string Utf8Text = Bom + "A\t\xC3\xA4\r";
// Messages of the file-error list.
constexpr Int16 OpenError = 2;
constexpr Int16 NotFound = 3;
constexpr Int16 MemoryFull = 7;

class OpenModes : public OpenTest::OpenFixture {};

TEST_F(OpenModes, ReopeningAnOpenChannelReplacesItsFile) {
    ASSERT_TRUE(folder.WriteFile("a.txt", AnsiText));
    ASSERT_TRUE(folder.WriteFile("b.txt", AnsiText));
    ASSERT_EQ(Open(3, "a.txt", "MODE=WA"), NoError);
    ASSERT_EQ(Open(5, "b.txt", "MODE=RO"), NoError);
    ASSERT_EQ(Open(3, "b.txt", "MODE=RO, SEPARATOR=','"), NoError);
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 2u);
    EXPECT_EQ(DataOmbraPlugin::FindChannel(3), 1u);
    EXPECT_EQ(FileLocation(3), folder.LocationOf("b.txt"));
    EXPECT_EQ(Record(3).separator, u',');
    EXPECT_FALSE(folder.IsOpenInProcess("a.txt"));
    EXPECT_EQ(folder.ReadFile("a.txt"), AnsiText);
}

TEST_F(OpenModes, FailedOpenKeepsTheChannelThatWasOpen) {
    ASSERT_TRUE(folder.WriteFile("a.txt", AnsiText));
    ASSERT_EQ(Open(3, "a.txt", "MODE=RO"), NoError);
    EXPECT_EQ(Open(3, "missing.txt", "MODE=RO"), StatusReportedError);
    EXPECT_EQ(FileLocation(3), folder.LocationOf("a.txt"));
    EXPECT_TRUE(Record(3).file->IsOpen());
}

class OpenFailures : public OpenTest::OpenFixture {};

TEST_F(OpenFailures, MissingMessageFetcherFailsSilently) {
    OpenTest::SetCoreFetchers(FetchFixedString, nullptr);
    EXPECT_EQ(Open(1, "new.txt", "MODE=WA"), StatusReportedError);
    EXPECT_TRUE(Reports().empty());
    EXPECT_FALSE(folder.Exists("new.txt"));
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 0u);
}

TEST_F(OpenFailures, ReadOnlyOfAMissingFileIsError3AndLeavesTheDataFolder) {
    EXPECT_EQ(Open(1, "missing.txt", "MODE=RO"), StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(NotFound, "missing.txt")});
    EXPECT_TRUE(folder.Exists("Lintel Data Folder"));
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 0u);
}

TEST_F(OpenFailures, MessagesNameTheUnreducedNameUntilTheFileIsFound) {
    ASSERT_TRUE(folder.MakeFolder("sub"));
    ASSERT_TRUE(folder.WriteFile("sub/present.txt", AnsiText));
    FailCall(Op::Open, 1, {EIO, Repeat::Persistent});
    EXPECT_EQ(Open(1, "sub\\\\present.txt", "MODE=RO"), StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(OpenError, "present.txt")});
}

TEST_F(OpenFailures, FileThatCannotBeOpenedForReadingIsError2AndIsReleased) {
    ASSERT_TRUE(folder.WriteFile("held.txt", AnsiText));
    FailCall(Op::Open, 1, {EBUSY, Repeat::Persistent});
    EXPECT_EQ(Open(1, "held.txt", "MODE=WA"), StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(OpenError, "held.txt")});
    EXPECT_FALSE(folder.IsOpenInProcess("held.txt"));
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 0u);
}

TEST_F(OpenFailures, CreatedFileStaysWhenALaterStepFails) {
    FailCall(Op::Open, 1, {EIO, Repeat::Persistent});
    EXPECT_EQ(Open(1, "made.txt", "MODE=WA"), StatusReportedError);
    EXPECT_TRUE(folder.Exists("made.txt"));
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(OpenError, "made.txt")});
}

TEST_F(OpenFailures, RewriteThatCannotEmptyTheFileIsError2AndKeepsIt) {
    ASSERT_TRUE(folder.WriteFile("locked.txt", AnsiText));
    FailCall(Op::Open, 1, {EACCES, Repeat::Persistent});
    EXPECT_EQ(Open(1, "locked.txt", "MODE=WO"), StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(OpenError, "locked.txt")});
    EXPECT_EQ(folder.ReadFile("locked.txt"), AnsiText);
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 0u);
}

TEST_F(OpenFailures, FileServiceOutOfMemoryIsError7) {
    ASSERT_TRUE(folder.WriteFile("a.txt", AnsiText));
    FailCall(Op::New, 1, {ENOMEM, Repeat::Persistent});
    EXPECT_EQ(Open(1, "a.txt", "MODE=WA"), StatusReportedError);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(MemoryFull, "a.txt")});
}

TEST_F(OpenFailures, DialogOutOfMemoryIsError7) {
    BMFailNextAllocations(0, 1);
    EXPECT_EQ(Open(1, "a\\\\b.txt", "DIALOG"), StatusReportedError);
    BMFailNextAllocations(0, 0);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(MemoryFull, "a\\\\b.txt")});
    EXPECT_TRUE(ShownKinds().empty());
}

TEST_F(OpenFailures, ChannelTableThatCannotGrowIsError7AndReleasesTheFile) {
    ASSERT_TRUE(folder.WriteFile("a.txt", AnsiText));
    refusedSize = sizeof(DataOmbraPlugin::ChannelInfo);
    EXPECT_EQ(Open(1, "a.txt", "MODE=RO"), StatusReportedError);
    EXPECT_EQ(refusedSize, 0u);
    EXPECT_EQ(Reports(), std::vector<std::string>{FileErrorReport(MemoryFull, "a.txt")});
    EXPECT_EQ(DataOmbraPlugin::ChannelCount(), 0u);
    EXPECT_FALSE(folder.IsOpenInProcess("a.txt"));
}

}  // namespace
