// IO::File: making file objects, and the public calls, which the FileImpl carries out.
#include <sys/stat.h>

#include <new>

#include "platform/filesystem/file_impl.h"
#include "platform/filesystem/memory_guard.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {

namespace {

// Finds the file at `path`, creating it when missing and `onNotFound` asks for it. Only a
// regular file (or a link to one) is a file. A file that must exist is looked at through a
// descriptor open for reading, handed to `lookedAt` for the first Open (-1 when there is none).
ZRErrCode FindOrCreate(const std::string& path, File::OnNotFound onNotFound, int& lookedAt) {
    lookedAt = -1;
    struct stat info;
    ZRErrCode status = onNotFound == File::Fail ? Posix::OpenToLookAt(path, &lookedAt, &info)
                                                : Posix::LookUp(path, &info);
    if (status == ErrNotFound && onNotFound == File::Create) return Posix::CreateEmptyFile(path);
    if (status == NoError && !S_ISREG(info.st_mode)) status = ErrNotAFile;
    if (status != NoError && lookedAt >= 0) {
        Posix::ReleaseLookedAt(lookedAt);
        lookedAt = -1;
    }
    return status;
}

}  // namespace

ZRErrCode File::New(std::unique_ptr<File>& file, const Location& location, OnNotFound onNotFound) {
    file.reset();
    return CatchMemoryFull([&] {
        std::string path = location.ToPath();
        int lookedAt = -1;
        const ZRErrCode status = FindOrCreate(path, onNotFound, lookedAt);
        if (status != NoError) return status;
        std::unique_ptr<FileImpl> impl(new (std::nothrow)
                                           FileImpl(location, std::move(path), lookedAt));
        if (!impl && lookedAt >= 0) Posix::ReleaseLookedAt(lookedAt);
        if (impl) file.reset(new (std::nothrow) File(std::move(impl)));
        return file ? NoError : ErrMemoryFull;
    });
}

File::File(std::unique_ptr<FileImpl> impl) : impl(std::move(impl)) {}

File::~File() = default;

ZRErrCode File::Open(Int32 mode, Int32 /*access*/) {
    return impl->Open(mode);
}

ZRErrCode File::Close() {
    return impl->Close();
}

bool File::IsOpen() const {
    return impl->IsOpen();
}

ZRErrCode File::SetDataPosition(Int32 position) {
    return impl->SetPosition(position);
}

ZRErrCode File::GetDataPosition(UInt32* position) const {
    return impl->GetPosition(position);
}

ZRErrCode File::GetDataLength(UInt64* length) const {
    return impl->GetLength(length);
}

ZRErrCode File::Flush() {
    return impl->Flush();
}

ZRErrCode File::Truncate(UInt64 length) {
    return impl->Truncate(length);
}

ZRErrCode File::Sync() {
    return impl->Sync();
}

ZRErrCode File::GetLocation(Location* location) const {
    if (location == nullptr) return ErrParam;
    return CatchMemoryFull([&] {
        *location = impl->GetLocation();
        return NoError;
    });
}

ZRErrCode File::GetIdentity(FileIdentity* identity) const {
    if (identity == nullptr) return ErrParam;
    return impl->GetIdentity(identity);
}

ZRErrCode File::SetTypeAndCreator(UInt32 type, UInt32 creator) {
    impl->SetTypeAndCreator(type, creator);
    return NoError;
}

ZRErrCode File::ReadBin(char* destination, USize count, USize* read) {
    return impl->Read(destination, count, read);
}

ZRErrCode File::PeekBuffer(const char** data, USize* available) {
    return impl->Peek(data, available);
}

void File::Advance(USize count) {
    impl->Advance(count);
}

ZRErrCode File::GetReadOffset(UInt64* offset) const {
    if (offset == nullptr) return ErrParam;
    if (!impl->IsOpen()) return ErrNotOpen;
    *offset = impl->Position();
    return NoError;
}

ZRErrCode File::GetInputStatus() const {
    return impl->GetInputStatus();
}

ZRErrCode File::WriteBin(const char* source, USize count, Int32 /*flags*/) {
    return impl->Write(source, count);
}

ZRErrCode File::GetOutputStatus() const {
    return impl->GetOutputStatus();
}

}  // namespace IO
