// A fresh temporary folder for one test, made the file system's base folder while it lives, so
// that plain file names given to OPEN land in it. The destructor restores the previous base
// folder and removes the folder with everything in it.
#pragma once

#include <optional>
#include <string>

#include "host/filesystem.h"

namespace OmbraTest {

class TempFolder {
public:
    TempFolder();  // aborts the test program when no folder can be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's absolute path.
    const std::string& Path() const { return path; }
    // The absolute path of `name` (a relative path) inside the folder.
    std::string PathOf(const std::string& name) const;
    // The folder's IO::Location, and that of `name` inside it.
    IO::Location Location() const;
    IO::Location LocationOf(const std::string& name) const;

    // Writes exactly `bytes` as the file `name` (created or replaced), making the folders above
    // it; false on failure.
    bool WriteFile(const std::string& name, const std::string& bytes) const;
    // The exact bytes of the file `name`, or nothing when it cannot be read.
    std::optional<std::string> ReadFile(const std::string& name) const;
    // True when `name` exists, a dangling symbolic link included.
    bool Exists(const std::string& name) const;
    // True while this process holds the file `name` open (a descriptor refers to it).
    bool IsOpenInProcess(const std::string& name) const;
    // Makes the folder `name` (and its parents) inside the folder; false on failure.
    bool MakeFolder(const std::string& name) const;
    // Makes `name` a symbolic link to `target`, making the folders above it; false on failure.
    bool Link(const std::string& name, const std::string& target) const;

private:
    std::string path;
    IO::Location previousBase;
};

}  // namespace OmbraTest
