// A fresh temporary folder for one test, removed with its contents afterwards. Its file helpers
// use plain POSIX calls, so a test checks the library against the bytes really on disk.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/filesystem.h"

namespace FsTest {

class ScratchFolder {
public:
    ScratchFolder();  // aborts the test program when no folder can be made
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string PathOf(const std::string& name) const { return path + "/" + name; }
    IO::Location Location() const;
    IO::Location LocationOf(const std::string& name) const;

    // Writes exactly `bytes` as the file `name`; false on failure.
    bool Write(const std::string& name, const std::string& bytes) const;
    // The bytes of the file `name`, read with its own descriptor; nothing when unreadable.
    std::optional<std::string> Read(const std::string& name) const;

private:
    std::string path;
};

// The absolute location of an operating-system path.
IO::Location LocationOfPath(const std::string& path);

// File::New (Fail) for `location` and Open(mode), or null when either fails.
std::unique_ptr<IO::File> OpenFile(const IO::Location& location, Int32 mode);

}  // namespace FsTest
