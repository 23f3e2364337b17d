// The remembered-location list: the file chosen in a dialog, remembered per file name in a memory
// handle that the interpreter owns and hands to every OPEN.
#pragma once

#include "host/base.h"
#include "host/filesystem.h"

namespace DataOmbraPlugin {

// One remembered location: the file name as OPEN received it (after backslash reduction) and
// where the file was found or chosen.
class FileInfoRec {
public:
    FileInfoRec() = default;
    FileInfoRec(const FileInfoRec&) = default;
    FileInfoRec& operator=(const FileInfoRec&) = default;
    virtual ~FileInfoRec() = default;
    // "DataOmbraPlugin::FileInfoRec", version 1.0, made when the module is loaded.
    virtual const ZR::ClassInfo& GetClassInfo() const;

    ZR::UniString name;
    IO::Location location;
};

using FileInfoList = ZR::Array<FileInfoRec>;

// The list stored in `handle` (which may be null or empty): a frame of the base library's array
// class holding the 32-bit count and then each entry's name and location. Bytes that do not read
// as such a frame give an empty list; the list ends at the first entry that does not read whole
// (a damaged count cannot make it larger than the block could hold). Never fails otherwise.
FileInfoList ReadFileInfoList(ZRHandle handle);

// Replaces the content of `handle` by the stored form of `list`. On any failure (a write, or the
// resize of the block) the block keeps its old content; the first failure is returned.
[[nodiscard]] ZRErrCode WriteFileInfoList(const FileInfoList& list, ZRHandle handle);

// The location of the first entry whose name equals `name` code unit for code unit (letter case
// matters): true with `location` set, or false with it unchanged.
bool FindFileInfo(const FileInfoList& list, const ZR::UniString& name, IO::Location& location);

// Sets the location of the first entry named `name`, appending an entry when there is none.
void SetFileInfo(FileInfoList& list, const ZR::UniString& name, const IO::Location& location);

}  // namespace DataOmbraPlugin
