#include "tests/support/temp_folder.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace OmbraTest {

TempFolder::TempFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "ombra-test-XXXXXX");
    if (error || mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "TempFolder: cannot make a temporary folder\n");
        std::abort();
    }
    path = pattern;
    IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &previousBase);
    IO::fileSystem.SetBaseFolder(Location());
}

TempFolder::~TempFolder() {
    IO::fileSystem.SetBaseFolder(previousBase);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string TempFolder::PathOf(const std::string& name) const {
    return path + "/" + name;
}

IO::Location TempFolder::Location() const {
    return IO::Location::FromPath(path);
}

IO::Location TempFolder::LocationOf(const std::string& name) const {
    return IO::Location::FromPath(PathOf(name));
}

bool TempFolder::WriteFile(const std::string& name, const std::string& bytes) const {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path(), error);
    std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

std::optional<std::string> TempFolder::ReadFile(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

bool TempFolder::Exists(const std::string& name) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(PathOf(name), ignored));
}

bool TempFolder::IsOpenInProcess(const std::string& name) const {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(PathOf(name), error);
    if (error) return false;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(entry.path(), unreadable) == target) return true;
    }
    return false;
}

bool TempFolder::MakeFolder(const std::string& name) const {
    std::error_code error;
    std::filesystem::create_directories(PathOf(name), error);
    return !error;
}

bool TempFolder::Link(const std::string& name, const std::string& target) const {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path(), error);
    std::filesystem::create_symlink(target, PathOf(name), error);
    return !error;
}

}  // namespace OmbraTest
