#include "extension/write/write_text_line.h"

#include <exception>
#include <string>

#include "extension/store/data_file.h"

namespace DataOmbraPlugin {

ZRErrCode WriteByteOrderMark(IO::File& file) {
    return file.WriteBin(ByteOrderMark.data(), USize(ByteOrderMark.size()), 0);
}

ZRErrCode EncodeLine(const ChannelInfo& info, const ZR::UniString& text, std::string& bytes) {
    try {
        bytes.clear();
        text.AppendBytes(bytes, info.CharCode());
        return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

bool WouldPutMarkAtStart(const ChannelInfo& info, UInt32 offset, std::string_view bytes) {
    return !info.utf8 && offset == 0 && bytes.starts_with(ByteOrderMark);
}

ZRErrCode LineWriter::Write(std::string_view lines) {
    ZRErrCode status = NoError;
    if (empty && WouldPutMarkAtStart(info, 0, lines)) status = file.WriteBin("\r", 1);
    if (status == NoError) status = file.WriteBin(lines.data(), USize(lines.size()));
    if (status == NoError && !lines.empty()) empty = false;
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
