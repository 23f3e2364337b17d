// A file opened through the library, for the platform suites.
#pragma once

#include <memory>

#include "host/filesystem.h"
#include "tests/support/temp_folder.h"

namespace FsTest {

// File::New (Fail) for `location` and Open(mode), or null when either fails.
inline std::unique_ptr<IO::File> OpenFile(const IO::Location& location, Int32 mode) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, location, IO::File::Fail) != NoError) return nullptr;
    return file->Open(mode) == NoError ? std::move(file) : nullptr;
}

}  // namespace FsTest
