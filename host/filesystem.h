// The host's file-system library: locations (paths of name components), files, folders, the file
// system service and channels over memory. Files are buffered; a flush hands every written byte to
// the operating system, and Sync makes it durable.
#pragma once

#include <memory>
#include <string>

#include "host/base.h"

namespace IO {

// Statuses of the file-system library.
constexpr ZRErrCode ErrDiskFull = -34;
constexpr ZRErrCode ErrIO = -36;
constexpr ZRErrCode ErrBadName = -37;
constexpr ZRErrCode ErrNotOpen = -38;
constexpr ZRErrCode ErrEndOfFile = -39;
constexpr ZRErrCode ErrPosition = -40;
constexpr ZRErrCode ErrNotFound = -43;
constexpr ZRErrCode ErrLocked = -45;
constexpr ZRErrCode ErrBusy = -47;
constexpr ZRErrCode ErrExists = -48;
constexpr ZRErrCode ErrAccessDenied = -54;
constexpr ZRErrCode ErrNotAFile = -1302;
constexpr ZRErrCode ErrNotAFolder = -120;

// One name component of a location.
class HOST_API Name {
public:
    Name() = default;
    explicit Name(const ZR::UniString& text) : text(text) {}
    const ZR::UniString& GetText() const { return text; }
    bool IsEmpty() const { return text.IsEmpty(); }
    bool operator==(const Name& other) const = default;

private:
    ZR::UniString text;
};

// A place on disk: a sequence of name components, absolute (from the root) or relative. A relative
// location is taken relative to the base folder (FileSystem::GetSpecialLocation(BaseFolderId)).
class HOST_API Location {
public:
    Location() = default;
    // Parses a path in which both "/" and "\" separate components; a leading separator makes it
    // absolute; empty components are dropped; "." and ".." stay names (the operating system
    // interprets them). Any text is accepted.
    explicit Location(const ZR::UniString& path);
    // The location of an operating-system path (UTF-8 bytes, kept losslessly), parsed as above.
    static Location FromPath(const std::string& path);

    bool IsEmpty() const { return components.IsEmpty() && !absolute; }
    bool IsAbsolute() const { return absolute; }
    // The number of name components.
    UInt32 GetLocalLength() const;
    // A name must be non-empty and free of "/" (ErrBadName otherwise); "\" is allowed in a name.
    ZRErrCode AppendToLocal(const Name& name);
    // The last component; ErrBadName (and an empty name) when there is none.
    ZRErrCode GetLastLocalName(Name* name) const;
    // ErrBadName when there is no component to replace or remove, or for an unusable name.
    ZRErrCode SetLastLocalName(const Name& name);
    ZRErrCode DeleteLastLocalName();

    // "/a/b/c" for an absolute location, "a/b" for a relative one.
    ZR::UniString ToDisplayText() const;
    // The operating system's path (UTF-8 bytes, lossless), relative locations resolved against
    // the base folder (an empty relative location is the base folder itself).
    std::string ToPath() const;

    // Serialization on channels: absolute flag (UInt8 0 or 1), component count (UInt32), then
    // each component's text. Read leaves the location unchanged on failure; input that is not
    // such a form gives a non-zero status.
    ZRErrCode Read(ZR::IChannel& channel);
    ZRErrCode Write(ZR::OChannel& channel) const;

    bool operator==(const Location& other) const = default;

private:
    bool absolute = false;
    // The components in order, each after a "/" but the first: one text, so that parsing,
    // copying and making the path each take one pass and at most one allocation.
    ZR::UniString components;
};

struct FileImpl;

// What the operating system reports about an open file's content: which file it is (device and
// inode) and the size and times that every change of its bytes moves. Two identities of one file
// that compare equal mean unchanged bytes when the earlier one was `settled`.
struct FileIdentity {
    UInt64 device = 0;
    UInt64 inode = 0;
    UInt64 size = 0;
    Int64 modifiedSeconds = 0;
    Int64 modifiedNanoseconds = 0;
    Int64 changedSeconds = 0;
    Int64 changedNanoseconds = 0;
    // The modification and change times lie before the moment the identity was taken, by more
    // than the file system's timestamp granularity: any change made after that moment moves at
    // least one of them. An identity that is not settled may stay equal across a change made in
    // the same clock tick, so it vouches for nothing beyond the moment it was taken.
    bool settled = false;

    // Equal in every field but `settled`.
    bool SameContent(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedSeconds == other.modifiedSeconds &&
               modifiedNanoseconds == other.modifiedNanoseconds &&
               changedSeconds == other.changedSeconds &&
               changedNanoseconds == other.changedNanoseconds;
    }
};

// An open file object. It is both a readable and a writable channel over the file's bytes at the
// current position. Reads and writes are buffered; a read after a write sees the written bytes;
// setting the position, Flush and Close hand buffered bytes to the operating system.
// The input status is the first read failure (the end of the file included) since the file was
// opened or last positioned; the output status is the first write failure since it was opened,
// and it refuses every later write. A file object is used by one thread at a time.
class HOST_API File : public ZR::IChannel, public ZR::OChannel {
public:
    enum OnNotFound : Int32 { Fail = 0, Create = 1 };
    enum OpenMode : Int32 { ReadMode = 0, WriteEmptyMode = 2, ReadWriteMode = 3 };
    static constexpr Int32 DefaultAccess = 2;

    // Makes a file object for `location`. With Fail the file must exist; with Create a missing
    // file is created empty. On success `file` holds the object (not open); on failure it is
    // empty. Statuses: NoError, ErrMemoryFull, ErrNotFound, ErrNotAFile (a folder or other
    // non-regular file), ErrAccessDenied, ErrIO.
    static ZRErrCode New(std::unique_ptr<File>& file, const Location& location,
                         OnNotFound onNotFound);

    ~File() override;  // closes the file if it is open; the file on disk stays
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens with ReadMode (read only), WriteEmptyMode (write, emptying the file) or ReadWriteMode
    // (read and write, content kept). The position is 0 afterwards. ErrBusy when already open,
    // ErrParam for another mode; a failed open leaves the file closed. `access` is reserved.
    // Reading a WriteEmptyMode file or writing a ReadMode file is ErrAccessDenied.
    virtual ZRErrCode Open(Int32 mode, Int32 access = DefaultAccess);
    // Flushes and closes. The first failure (the output status, the flush or the close) is
    // returned; the file is closed in either case. ErrNotOpen when it is not open.
    virtual ZRErrCode Close();
    virtual bool IsOpen() const;

    // Positions are byte offsets. Setting one flushes pending writes; a negative offset is
    // ErrPosition. A position inside the buffered read-ahead costs no system call. Beyond the
    // end of the file a read meets the end, and a write leaves zero bytes in the gap. Getting a
    // position beyond 32 bits is ErrPosition. On failure the position and `position` stay.
    virtual ZRErrCode SetDataPosition(Int32 position);
    virtual ZRErrCode GetDataPosition(UInt32* position) const;
    // The length including bytes still buffered.
    virtual ZRErrCode GetDataLength(UInt64* length) const;

    // Hands every buffered byte to the operating system; returns the output status when an
    // earlier write failed.
    virtual ZRErrCode Flush();
    // Sets the file's length: the bytes from `length` on are cut off (a longer length adds zero
    // bytes); the position stays. Pending writes are handed over first. It works also after a
    // failed write, whose output status still sticks: this is how a writer takes back the part of
    // a write that reached the file before the failure. ErrAccessDenied for a ReadMode file.
    virtual ZRErrCode Truncate(UInt64 length);
    // Flushes, then makes the file's bytes durable (fsync).
    virtual ZRErrCode Sync();

    virtual ZRErrCode GetLocation(Location* location) const;
    // The identity of the open file's content, from one query of the operating system (fstat).
    // ErrNotOpen when the file is not open; on failure `identity` is unchanged.
    virtual ZRErrCode GetIdentity(FileIdentity* identity) const;
    // Records a four-character type and creator for the file: the extended attribute
    // "user.ombra.type" holds the eight characters where the file system allows it. Always
    // NoError: where it does not, the codes are dropped.
    virtual ZRErrCode SetTypeAndCreator(UInt32 type, UInt32 creator);

    // Channels.
    ZRErrCode ReadBin(char* destination, USize count, USize* read = nullptr) override;
    ZRErrCode PeekBuffer(const char** data, USize* available) override;
    void Advance(USize count) override;
    ZRErrCode GetReadOffset(UInt64* offset) const override;
    ZRErrCode GetInputStatus() const override;
    ZRErrCode WriteBin(const char* source, USize count, Int32 flags = 0) override;
    ZRErrCode GetOutputStatus() const override;

private:
    explicit File(std::unique_ptr<FileImpl> impl);
    std::unique_ptr<FileImpl> impl;
};

class HOST_API Folder {
public:
    // A folder object for an existing folder; GetStatus() tells whether it is one.
    explicit Folder(const Location& location);
    ZRErrCode GetStatus() const { return status; }
    // Creates the folder `name` inside this folder; ErrExists when it is already there.
    ZRErrCode CreateFolder(const Name& name);

private:
    Location location;
    ZRErrCode status;
};

// Ids of special locations.
constexpr Int32 BaseFolderId = 2;

class HOST_API FileSystem {
public:
    // BaseFolderId gives the base folder (a host setting; the current directory by default).
    ZRErrCode GetSpecialLocation(Int32 id, Location* location) const;
    // Removes the file: ErrNotFound when it is missing, ErrNotAFile for a folder. `dataSafety`
    // and `accessDenied` are reserved (0 and 2).
    ZRErrCode Delete(const Location& location, Int32 dataSafety = 0, Int32 accessDenied = 2);
    // Gives the file the last name `newName` in its folder. A file already bearing that name is
    // replaced atomically: at every instant the name holds either the old or the new file.
    ZRErrCode Rename(const Location& location, const Name& newName, Int32 accessDenied = 2);
    // Makes the folder's entries (names created, renamed, removed) durable.
    ZRErrCode SyncFolder(const Location& folder);
    // Gives the file at `to` the permission bits of the file at `from`, and its owner and group
    // as far as the process may set them (an owner or group it may not give stays as it is).
    // Returns the status of looking `from` up or of setting the bits.
    ZRErrCode CopyAccessRights(const Location& from, const Location& to);
    bool Exists(const Location& location) const;

    // Host side: sets the base folder (an absolute location).
    void SetBaseFolder(const Location& folder);
};

HOST_API extern FileSystem fileSystem;

// An exclusive advisory lock on a file, held until Release or destruction. Two holders exclude
// each other whether they are in one process or in two; the lock follows the file, not its name,
// and lasts while the file's other channels are closed and opened again. It never stops anyone
// from reading or writing the file's bytes.
class HOST_API FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;

    // Locks the file that `location` names, without waiting: ErrLocked when another holder has
    // it; the statuses of File::New otherwise. The lock held before is released only on success;
    // acquiring the file it is already on keeps it.
    ZRErrCode Acquire(const Location& location);
    // True when the lock is held on the file that `location` names now.
    bool Covers(const Location& location) const;
    void Release();
    bool IsHeld() const { return held >= 0; }

private:
    Int32 held = -1;  // the platform's token for the lock; negative while none is held
};

// A readable channel over bytes in memory (not copied; they must outlive the channel). Reading
// at the end gives ErrEndOfFile, which sticks as the input status.
class HOST_API MemoryIChannel : public ZR::IChannel {
public:
    MemoryIChannel(const char* data, USize size) : data(data), size(size) {}
    ZRErrCode ReadBin(char* destination, USize count, USize* read = nullptr) override;
    ZRErrCode PeekBuffer(const char** data, USize* available) override;
    void Advance(USize count) override;
    ZRErrCode GetReadOffset(UInt64* offset) const override;
    ZRErrCode GetInputStatus() const override { return status; }

private:
    const char* data;
    USize size;
    USize position = 0;
    ZRErrCode status = NoError;
};

// A writable channel into a growing buffer in memory. A failure (ErrMemoryFull when the buffer
// cannot grow) sticks and refuses every later write.
class HOST_API MemoryOChannel : public ZR::OChannel {
public:
    ZRErrCode WriteBin(const char* source, USize count, Int32 flags = 0) override;
    ZRErrCode GetOutputStatus() const override { return status; }
    const char* GetDestination() const { return bytes.data(); }
    USize GetDataSize() const { return USize(bytes.size()); }

private:
    std::string bytes;
    ZRErrCode status = NoError;
};

}  // namespace IO
