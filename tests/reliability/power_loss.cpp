#include "tests/reliability/power_loss.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace Reliability {
namespace {

namespace fs = std::filesystem;
using IO::FaultInjection::Op;

const std::string TempSuffix = ".tmp";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out);
}

}  // namespace

PowerLossJournal::PowerLossJournal(std::string folderPath) : folder(std::move(folderPath)) {}

void PowerLossJournal::Start() {
    liveEntries.clear();
    durableEntries.clear();
    durableContent.clear();
    pending = faulty = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const FileId id = NewFile();
        liveEntries[entry.path().filename()] = id;
        durableContent[id] = ReadAll(entry.path());
    }
    durableEntries = liveEntries;
}

PowerLossJournal::FileId PowerLossJournal::NewFile() {
    durableContent[nextId] = std::string();  // never synced: empty on the disk
    return nextId++;
}

std::string PowerLossJournal::NameOf(std::string_view path) const {
    const fs::path full(path);
    return full.parent_path() == fs::path(folder) ? full.filename().string() : std::string();
}

void PowerLossJournal::Observe(const IO::FaultInjection::CallInfo& call) {
    Commit();
    const bool isFolder = fs::path(call.path) == fs::path(folder);
    pendingName = isFolder ? std::string() : NameOf(call.path);
    if (!isFolder && pendingName.empty()) return;  // outside the folder: not modelled
    pending = true;
    pendingOp = call.op;
    pendingExisted = !isFolder && fs::exists(fs::path(folder) / pendingName);
    // Sync passes its checkpoint after the flush: the bytes it makes durable are on disk now.
    if (call.op == Op::Sync && !isFolder && pendingExisted)
        pendingContent = ReadAll(fs::path(folder) / pendingName);
}

void PowerLossJournal::Commit() {
    if (!pending) return;
    pending = false;
    const std::string& name = pendingName;
    switch (pendingOp) {
        case Op::Create:
            if (!pendingExisted && !name.empty()) liveEntries[name] = NewFile();
            break;
        case Op::Sync:
            if (name.empty()) {
                durableEntries = liveEntries;
            } else if (liveEntries.count(name) != 0) {
                durableContent[liveEntries[name]] = pendingContent;
            }
            break;
        case Op::Delete:
            liveEntries.erase(name);
            break;
        case Op::Rename:
            if (!name.ends_with(TempSuffix) || liveEntries.count(name) == 0) {
                faulty = true;
                break;
            }
            liveEntries[name.substr(0, name.size() - TempSuffix.size())] = liveEntries[name];
            liveEntries.erase(name);
            break;
        default:
            break;  // reads, writes and positions change nothing durable
    }
}

bool PowerLossJournal::LoseUnsynced() {
    if (faulty) return false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) fs::remove(entry.path());
    }
    bool written = true;
    for (const auto& [name, id] : durableEntries) {
        written = WriteAll(fs::path(folder) / name, durableContent[id]) && written;
    }
    return written;
}

}  // namespace Reliability
