// Test-only control of the file-system library's checkpoints. Every operation that reaches the
// operating system first passes one checkpoint of its kind; a test counts those calls, makes a
// chosen call fail with an errno of its choice (mapped to a status exactly like a real failure),
// or runs a callback at every call. Unarmed, a checkpoint costs one relaxed atomic load.
//
// Call numbers start at 1 and count from the last Reset(). Calls are counted only while something
// is armed (StartCounting, a failure rule or a callback). The functions are thread-safe; the
// callback runs on the thread making the call, without any lock of this library held.
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string_view>

#include "host/base/api.h"
#include "host/base/types.h"

namespace IO::FaultInjection {

// The checkpoint kinds and the calls that pass them:
//   New          looking a name up: File::New, the Folder constructor, FileSystem::Exists
//   Create       making a file (File::New with Create) or a folder (Folder::CreateFolder)
//   Open         File::Open
//   Read         refilling a file's read buffer
//   Write        handing buffered bytes to the operating system
//   SetPosition  File::SetDataPosition (after its argument check)
//   GetPosition  File::GetDataPosition and File::GetDataLength
//   Close        File::Close (after the flush)
//   Delete       FileSystem::Delete
//   Rename       FileSystem::Rename
//   Sync         File::Sync (after the flush) and FileSystem::SyncFolder
//   Truncate     File::Truncate
//   Identity     File::GetIdentity
//   WriteBack    starting the write-back of bytes handed over (a hint: its failure is ignored)
enum class Op : int {
    New,
    Create,
    Open,
    Read,
    Write,
    SetPosition,
    GetPosition,
    Close,
    Delete,
    Rename,
    Sync,
    Truncate,
    Identity,
    WriteBack,
};
constexpr int OpCount = 14;

// Human-readable name of a kind ("Write"), for test messages.
HOST_API const char* OpName(Op op);

enum class Repeat { Once, Persistent };

// How a chosen call fails.
struct Failure {
    // The errno the call fails with. ENOSPC on a write gives ErrDiskFull; EINTR is retried by the
    // library like a real interruption (the retry passes the checkpoint again).
    int errorNumber = EIO;
    // Once fails only the chosen call; Persistent fails it and every later call the rule matches.
    Repeat repeat = Repeat::Once;
    // Write only: this many of the bytes (at most all of them) really reach the file before the
    // failure, as in a short write.
    std::size_t bytesWritten = 0;
};

// What a checkpoint reports to the callback.
struct CallInfo {
    Op op;
    UInt64 number;      // among all calls
    UInt64 numberOfOp;  // among the calls of this kind
    // The operating-system path the call concerns (the source for Rename); valid during the call.
    std::string_view path;
};
using Callback = std::function<void(const CallInfo&)>;

// Disarms everything: counts to zero, rules and callback dropped.
HOST_API void Reset();
// Arms counting alone (a sweep first counts the calls an operation makes).
HOST_API void StartCounting();
HOST_API UInt64 GetCallCount(Op op);
HOST_API UInt64 GetTotalCallCount();

// Makes call `number` of kind `op` fail (and, when persistent, every later call of that kind).
HOST_API void FailCall(Op op, UInt64 number, const Failure& failure);
// The same for call `number` counted over all kinds.
HOST_API void FailAnyCall(UInt64 number, const Failure& failure);

// Runs `callback` at every checkpoint, before any failure rule is applied. It may end the process
// (_exit) to simulate a crash at that call.
HOST_API void SetCallback(Callback callback);

}  // namespace IO::FaultInjection
