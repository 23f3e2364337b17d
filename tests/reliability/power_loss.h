// A power loss replayed on a real folder. The journal follows the file-system calls of a run and
// remembers what the disk would keep if the power failed: per file, its content as of its last
// sync; per folder, its entries as of its last folder sync. At the power loss it puts the folder
// back to that: unsynced writes are lost, unsynced renames and deletions undone, files made
// since the last folder sync gone.
//
// Names the module renames are its temporary files: the journal takes the target of a rename to
// be the source without its ".tmp" suffix, and treats any other rename as a fault of the run.
#pragma once

#include <map>
#include <string>

#include "platform/filesystem/fault_injection.h"

namespace Reliability {

class PowerLossJournal {
public:
    explicit PowerLossJournal(std::string folderPath);

    // Takes the folder as it is now as durable: the state a power loss falls back to at least.
    void Start();
    // Records one call; it runs before the call itself, so the call counts once the next call
    // is observed (a call the power loss interrupts never took effect).
    void Observe(const IO::FaultInjection::CallInfo& call);
    // Puts the folder back to what the disk keeps. False when the journal met a call it cannot
    // model (the folder is then left as it is).
    bool LoseUnsynced();

private:
    using FileId = int;

    void Commit();
    std::string NameOf(std::string_view path) const;
    FileId NewFile();

    std::string folder;
    FileId nextId = 0;
    std::map<std::string, FileId> liveEntries;     // name -> file, as the run sees the folder
    std::map<std::string, FileId> durableEntries;  // name -> file, as of the last folder sync
    std::map<FileId, std::string> durableContent;  // file -> bytes, as of its last sync
    // The call observed last, applied when the next one shows that it returned.
    bool pending = false;
    IO::FaultInjection::Op pendingOp{};
    std::string pendingName;  // empty: the folder itself
    std::string pendingContent;
    bool pendingExisted = false;
    bool faulty = false;
};

}  // namespace Reliability
