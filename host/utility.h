// The host's utility library: reading text lines and recognising UTF-8 text files.
#pragma once

#include "host/base.h"
#include "host/filesystem.h"

namespace IOUtil {

// Reads one line from the channel's read position into `line`, without its terminator. CR, LF
// and CR LF each end a line; a last line without a terminator is a line. Afterwards the read
// position is the first byte of the next line. `utf8` selects UTF-8 decoding (and skips a
// byte-order mark EF BB BF met at offset 0); otherwise the default code page. Both decodings are
// lossless (see UniString). Returns NoError; IO::ErrEndOfFile when no byte is left (the line is
// then unchanged); or the channel's failure.
HOST_API GSErrCode GetTextLine(ZR::IChannel& channel, ZR::UniString& line, bool utf8);

// True only for a file that exists and begins with the byte-order mark EF BB BF.
HOST_API bool CheckTextFileUTF8(const IO::Location& location);

}  // namespace IOUtil
