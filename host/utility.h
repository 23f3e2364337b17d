// The host's utility library: reading text lines and recognising UTF-8 text files.
#pragma once

#include "host/base.h"
#include "host/filesystem.h"

namespace IOUtil {

// Reads one line from the channel's read position into `line`, without its terminator. CR, LF
// and CR LF each end a line; a last line without a terminator is a line, and a terminator at the
// end of the input starts no further line ("a\r" is one line, "a\r\r" two). Afterwards the read
// position is the first byte of the next line. `utf8` selects UTF-8 decoding (and skips a
// byte-order mark EF BB BF when the read offset is 0); otherwise the default code page. Both
// decodings are lossless (see UniString). Lines have no length limit. Returns NoError;
// IO::ErrEndOfFile when no byte is left; ErrMemoryFull; or the channel's failure. The line is
// unchanged unless NoError or ErrMemoryFull is returned.
HOST_API ZRErrCode GetTextLine(ZR::IChannel& channel, ZR::UniString& line, bool utf8);

// True only for a file that exists and begins with the byte-order mark EF BB BF.
HOST_API bool CheckTextFileUTF8(const IO::Location& location);
// True only when the open file begins with the byte-order mark. Reads those three bytes alone,
// and leaves the position at 0.
HOST_API bool CheckTextFileUTF8(IO::File& file);

}  // namespace IOUtil
