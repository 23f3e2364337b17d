// Recognising a UTF-8 text file by its byte-order mark.
#include <cstring>
#include <memory>

#include "host/utility.h"

namespace IOUtil {

bool CheckTextFileUTF8(const IO::Location& location) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, location, IO::File::Fail) != NoError) return false;
    if (file->Open(IO::File::ReadMode) != NoError) return false;
    char bytes[3];
    const bool marked = file->ReadExactly(bytes, sizeof bytes) == NoError &&
                        std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0;
    (void)file->Close();  // read only: closing cannot lose anything
    return marked;
}

}  // namespace IOUtil
