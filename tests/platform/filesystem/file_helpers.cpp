#include "tests/platform/filesystem/file_helpers.h"

namespace FsTest {

std::unique_ptr<IO::File> OpenFile(const IO::Location& location, Int32 mode) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, location, IO::File::Fail) != NoError) return nullptr;
    if (file->Open(mode) != NoError) return nullptr;
    return file;
}

}  // namespace FsTest
