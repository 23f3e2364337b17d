// Reading the keys of a channel's lines as bytes in the channel's encoding. Only the bytes before
// the separator are copied and only kept keys are decoded, yet every result equals what decoding
// the whole line with IOUtil::GetTextLine and cutting it with SplitKey would give: both 8-bit
// encodings decode losslessly (one byte sequence per text), so keys are equal exactly when their
// bytes are, and the order of two byte keys is decided on bytes where that matches the order of
// their texts, by decoding them otherwise.
#pragma once

#include <string>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

class KeyReader {
public:
    // Reads `info.file`, which must be set, with the channel's encoding and separator. The reader
    // keeps a reference to `info` and must not outlive it.
    explicit KeyReader(ChannelInfo& info);

    // Reads the next line from the file's position; `key` receives its key's bytes. Returns 0,
    // IO::ErrEndOfFile at the end, or the read failure (then `key` holds no meaningful bytes).
    GSErrCode ReadKey(std::string& key);

    // True when key `a` sorts before key `b` in UniString order.
    bool Less(const std::string& a, const std::string& b) const;
    // The text of a key read by ReadKey. Raises std::bad_alloc when memory runs out.
    ZR::UniString Decode(const std::string& key) const;
    // The bytes that a line's key has exactly when its text equals `key`; false when no line can
    // have that key (the text has no form in the channel's encoding).
    bool Encode(const ZR::UniString& key, std::string& bytes) const;

private:
    GSErrCode ReadKeyByDecoding(std::string& key);
    bool LessAtDifference(const std::string& a, const std::string& b, size_t at) const;

    ChannelInfo& info;
    GSCharCode charCode;
    // The separator as one byte; DecodeLines when it can be found only by decoding.
    int separatorByte;
    ZR::UniString line;  // reused by ReadKeyByDecoding

    static constexpr int DecodeLines = -2;
};

}  // namespace DataOmbraPlugin
