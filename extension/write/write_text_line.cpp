#include "extension/write/write_text_line.h"

#include <exception>

namespace DataOmbraPlugin {
namespace {

// Lines longer than this do not keep their encoding buffer after the write.
constexpr size_t KeptBufferCapacity = 1 << 16;

// Encodes `text` into `bytes` (replacing its content). ErrMemoryFull when the buffer cannot grow.
GSErrCode EncodeLine(const ChannelInfo& info, const ZR::UniString& text, std::string& bytes) {
    try {
        bytes.clear();
        text.AppendBytes(bytes, ChannelCharCode(info));
        return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace

GSErrCode WriteByteOrderMark(IO::File& file) {
    return file.WriteBin("\xEF\xBB\xBF", 3, 0);
}

UInt32 EncodedLength(const ChannelInfo& info, const ZR::UniString& text) {
    // The whole string, not ucslen: a NUL inside a line is one of its characters.
    return UInt32(CHUnicode2ANSI(text.ToUStr(), Int32(text.GetLength()), nullptr, 0,
                                 ChannelCharCode(info), true, nullptr));
}

GSErrCode WriteTextLine(const ChannelInfo& info, IO::File& file, const ZR::UniString& text,
                        UInt32* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    // One buffer serves every line (a save writes millions of them). A line that cannot be
    // encoded fails the write: leaving it out would lose a record without a word.
    // A plain static, not thread_local: a thread-local with a destructor pins the module in the
    // process, so unloading it would no longer close the open channels.
    static std::string bytes;
    GSErrCode status = EncodeLine(info, text, bytes);
    if (status == NoError) status = file.WriteBin(bytes.data(), USize(bytes.size()), 0);
    if (status == NoError && bytesWritten != nullptr) *bytesWritten = UInt32(bytes.size());
    if (bytes.capacity() > KeptBufferCapacity) std::string().swap(bytes);
    return status;
}

}  // namespace DataOmbraPlugin
