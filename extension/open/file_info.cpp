#include "extension/open/file_info.h"

namespace DataOmbraPlugin {
namespace {

const ZR::ClassInfo fileInfoClassInfo("DataOmbraPlugin::FileInfoRec", {1, 0});

FileInfoRec* FindEntry(FileInfoList& list, const ZR::UniString& name) {
    for (FileInfoRec& entry : list)
        if (entry.name == name) return &entry;
    return nullptr;
}

// Reads the entries after the count; stops at the first one that does not read whole.
void ReadEntries(ZR::IChannel& channel, UInt32 count, FileInfoList& list) {
    for (UInt32 i = 0; i < count; ++i) {
        FileInfoRec entry;
        if (entry.name.Read(channel) != NoError || entry.location.Read(channel) != NoError ||
            channel.GetInputStatus() != NoError)
            return;
        list.Push(entry);
    }
}

ZRErrCode WriteEntries(ZR::OChannel& channel, const FileInfoList& list) {
    ZRErrCode status = channel.Write(UInt32(list.GetSize()));
    for (const FileInfoRec& entry : list) {
        if (status == NoError) status = entry.name.Write(channel);
        if (status == NoError) status = entry.location.Write(channel);
    }
    return status;
}

}  // namespace

const ZR::ClassInfo& FileInfoRec::GetClassInfo() const {
    return fileInfoClassInfo;
}

FileInfoList ReadFileInfoList(ZRHandle handle) {
    FileInfoList list;
    if (handle == nullptr) return list;
    Int32 size = BMGetHandleSize(handle);
    IO::MemoryIChannel channel(*handle, USize(size > 0 ? size : 0));
    ZR::InputFrame frame(channel, ZR::ArrayPrivate::classInfo);
    UInt32 count = 0;
    if (frame.GetStatus() != NoError || channel.Read(count) != NoError) return list;
    ReadEntries(channel, count, list);
    return list;
}

ZRErrCode WriteFileInfoList(const FileInfoList& list, ZRHandle handle) {
    if (handle == nullptr) return ErrParam;
    IO::MemoryOChannel channel;
    ZRErrCode status = NoError;
    {
        ZR::OutputFrame frame(channel, ZR::ArrayPrivate::classInfo);
        status = frame.GetStatus();
        if (status == NoError) status = WriteEntries(channel, list);
    }
    // The frame end is written when the frame is destroyed; its failure sticks in the channel.
    if (status == NoError) status = channel.GetOutputStatus();
    if (status != NoError) return status;
    Int32 size = Int32(channel.GetDataSize());
    if (BMReallocHandle(handle, size, 0, 0) == nullptr || BMError() != NoError)
        return ErrMemoryFull;
    BNCopyMemory(*handle, channel.GetDestination(), USize(size));
    return NoError;
}

bool FindFileInfo(const FileInfoList& list, const ZR::UniString& name, IO::Location& location) {
    for (const FileInfoRec& entry : list) {
        if (entry.name == name) {
            location = entry.location;
            return true;
        }
    }
    return false;
}

void SetFileInfo(FileInfoList& list, const ZR::UniString& name, const IO::Location& location) {
    FileInfoRec* entry = FindEntry(list, name);
    if (entry == nullptr) {
        list.Push(FileInfoRec());
        entry = &list.GetLast();
    }
    entry->location = location;
    entry->name = name;
}

}  // namespace DataOmbraPlugin
