// What the file-system suites share beside the temporary folder of tests/support: files opened
// through the library.
#pragma once

#include <memory>
#include <string>

#include "host/filesystem.h"
#include "tests/support/temp_folder.h"

namespace FsTest {

// File::New (Fail) for `location` and Open(mode), or null when either fails.
std::unique_ptr<IO::File> OpenFile(const IO::Location& location, Int32 mode);

}  // namespace FsTest
