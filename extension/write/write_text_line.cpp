#include "extension/write/write_text_line.h"

#include <exception>
#include <string>

namespace DataOmbraPlugin {
namespace {

// Encodes `text` into `bytes` (replacing its content). ErrMemoryFull when the buffer cannot grow.
// The one encoder of the writing side: the length that decides an overwrite in place is the
// length of the bytes that are written.
ZRErrCode EncodeLine(const ChannelInfo& info, const ZR::UniString& text, std::string& bytes) {
    try {
        bytes.clear();
        text.AppendBytes(bytes, info.CharCode());
        return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace

ZRErrCode WriteByteOrderMark(IO::File& file) {
    return file.WriteBin("\xEF\xBB\xBF", 3, 0);
}

ZRErrCode EncodedLength(const ChannelInfo& info, const ZR::UniString& text, UInt32& length) {
    std::string bytes;
    const ZRErrCode status = EncodeLine(info, text, bytes);
    length = UInt32(bytes.size());
    return status;
}

ZRErrCode WriteTextLine(const ChannelInfo& info, IO::File& file, const ZR::UniString& text,
                        UInt32* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    // A buffer of the call's own: the module keeps no state that would outlive an unload. A line
    // that cannot be encoded fails the write: leaving it out would lose a record without a word.
    std::string bytes;
    ZRErrCode status = EncodeLine(info, text, bytes);
    if (status == NoError) status = file.WriteBin(bytes.data(), USize(bytes.size()), 0);
    if (status == NoError && bytesWritten != nullptr) *bytesWritten = UInt32(bytes.size());
    return status;
}

void WritePendingMark(ChannelInfo& info) {
    IO::File& file = *info.file;
    if (file.IsOpen()) file.Close();  // nothing is pending: every write was flushed
    ZRErrCode status = file.Open(IO::File::ReadWriteMode);
    if (status == NoError) status = WriteByteOrderMark(file);
    if (status == NoError) status = file.Flush();
    if (status == NoError) {
        info.bomPending = 0;
        return;
    }
    file.Close();
    if (file.Open(IO::File::WriteEmptyMode) == NoError) file.Close();
}

}  // namespace DataOmbraPlugin
