// The remembered-location block on arbitrary bytes: reading never fails, and whatever list it
// gives survives a write and a second read unchanged, with the same bytes written again.
#include <string>

#include "extension/open/file_info.h"
#include "fuzz/fuzz_check.h"

namespace {

using DataOmbraPlugin::FileInfoList;

// A memory block of the base library, released on every path.
class Block {
public:
    explicit Block(const uint8_t* data, size_t size) : handle(BMAllocateHandle(Int32(size), 0, 0)) {
        FUZZ_CHECK(handle != nullptr);
        if (size > 0) BNCopyMemory(*handle, data, USize(size));
    }
    ~Block() { BMKillHandle(&handle); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    ZRHandle Get() const { return handle; }
    std::string Bytes() const {
        const size_t size = size_t(BMGetHandleSize(handle));
        return size == 0 ? std::string() : std::string(*handle, size);
    }

private:
    ZRHandle handle;
};

bool SameList(const FileInfoList& a, const FileInfoList& b) {
    if (a.GetSize() != b.GetSize()) return false;
    for (USize i = 0; i < a.GetSize(); ++i)
        if (!(a[i].name == b[i].name) || !(a[i].location == b[i].location)) return false;
    return true;
}

std::string Stored(const FileInfoList& list) {
    Block block(nullptr, 0);
    FUZZ_CHECK(DataOmbraPlugin::WriteFileInfoList(list, block.Get()) == NoError);
    return block.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Block input(data, size);
    const FileInfoList list = DataOmbraPlugin::ReadFileInfoList(input.Get());
    FUZZ_CHECK(input.Bytes() == std::string(reinterpret_cast<const char*>(data), size));
    const std::string stored = Stored(list);
    Block written(reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
    const FileInfoList again = DataOmbraPlugin::ReadFileInfoList(written.Get());
    FUZZ_CHECK(SameList(list, again));
    FUZZ_CHECK(Stored(again) == stored);
    // Every entry read is found by its name, with the location of the first entry of that name.
    for (USize i = 0; i < list.GetSize(); ++i) {
        IO::Location found;
        FUZZ_CHECK(DataOmbraPlugin::FindFileInfo(list, list[i].name, found));
        USize first = 0;
        while (!(list[first].name == list[i].name)) ++first;
        FUZZ_CHECK(found == list[first].location);
    }
    return 0;
}
