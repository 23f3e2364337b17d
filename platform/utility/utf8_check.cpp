// Recognising a UTF-8 text file by its byte-order mark.
#include <cstring>
#include <memory>

#include "host/utility.h"

namespace IOUtil {

bool CheckTextFileUTF8(const IO::Location& location) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, location, IO::File::Fail) != NoError) return false;
    if (file->Open(IO::File::ReadMode) != NoError) return false;
    const bool marked = CheckTextFileUTF8(*file);
    (void)file->Close();  // read only: closing cannot lose anything
    return marked;
}

bool CheckTextFileUTF8(IO::File& file) {
    // The first read after a position is set takes exactly the bytes asked for.
    if (file.SetDataPosition(0) != NoError) return false;
    char bytes[3];
    const bool marked = file.ReadExactly(bytes, sizeof bytes) == NoError &&
                        std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0;
    (void)file.SetDataPosition(0);  // a failure shows at the next use of the position
    return marked;
}

}  // namespace IOUtil
