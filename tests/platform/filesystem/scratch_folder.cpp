#include "tests/platform/filesystem/scratch_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace FsTest {

ScratchFolder::ScratchFolder() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/fs-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("ScratchFolder");
        std::abort();
    }
    path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

IO::Location LocationOfPath(const std::string& path) {
    return IO::Location(ZR::UniString(path.data(), USize(path.size()), CC_UTF8));
}

IO::Location ScratchFolder::Location() const {
    return LocationOfPath(path);
}

IO::Location ScratchFolder::LocationOf(const std::string& name) const {
    return LocationOfPath(PathOf(name));
}

bool ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
    const int fd = open(PathOf(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    return close(fd) == 0 && written;
}

std::optional<std::string> ScratchFolder::Read(const std::string& name) const {
    const int fd = open(PathOf(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char block[65536];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) > 0) bytes.append(block, size_t(got));
    close(fd);
    if (got < 0) return std::nullopt;
    return bytes;
}

std::unique_ptr<IO::File> OpenFile(const IO::Location& location, Int32 mode) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, location, IO::File::Fail) != NoError) return nullptr;
    if (file->Open(mode) != NoError) return nullptr;
    return file;
}

}  // namespace FsTest
