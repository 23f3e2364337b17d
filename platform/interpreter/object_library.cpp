#include "platform/interpreter/object_library.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// A folder of the library: where it is for the operating system and as a location.
struct LibraryFolder {
    fs::path path;
    IO::Location location;
};

struct FolderEntry {
    ZR::UniString name;
    std::string bytes;
    bool isFile = false;
    bool isFolder = false;
};

ZR::UniString UpperCased(ZR::UniString text) {
    text.SetToUpperCase();
    return text;
}

// The entries of `folder` in the order of their names' bytes; none when it cannot be read.
std::vector<FolderEntry> ListFolder(const fs::path& folder) {
    std::vector<FolderEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string bytes = it->path().filename().string();
        std::error_code typeError;
        entries.push_back({ZR::UniString(bytes.c_str(), USize(bytes.size()), CC_UTF8), bytes,
                           it->is_regular_file(typeError), it->is_directory(typeError)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.bytes < b.bytes; });
    return entries;
}

LibraryFolder ChildOf(const LibraryFolder& folder, const FolderEntry& entry) {
    LibraryFolder child{folder.path / entry.bytes, folder.location};
    child.location.AppendToLocal(IO::Name(entry.name));
    return child;
}

// The components of `name`; nothing when one of them may not be used in a library name.
std::optional<std::vector<ZR::UniString>> NameComponents(const ZR::UniString& name) {
    IO::Location parsed(name);
    std::vector<ZR::UniString> components;
    IO::Name component;
    while (parsed.GetLocalLength() > 0) {
        if (parsed.GetLastLocalName(&component) != NoError) return std::nullopt;
        const ZR::UniString& text = component.GetText();
        if (text.IsEmpty() || text == ZR::UniString(".") || text == ZR::UniString(".."))
            return std::nullopt;
        components.insert(components.begin(), text);
        if (parsed.DeleteLastLocalName() != NoError) return std::nullopt;
    }
    if (components.empty()) return std::nullopt;
    return components;
}

// One search over the library: the exact match ends it; the first case-insensitive match is kept
// for the case that no exact match exists.
class LibrarySearch {
public:
    explicit LibrarySearch(std::vector<ZR::UniString> wanted) : wanted(std::move(wanted)) {
        for (const ZR::UniString& text : this->wanted) upperWanted.push_back(UpperCased(text));
    }

    // Searches the tree of one library folder; true once an exact match has been found.
    bool SearchFolder(const IO::Location& location) {
        LibraryFolder root{fs::path(location.ToPath()), location};
        return wanted.size() == 1 ? SearchAnywhere(root) : SearchPath(root, 0, true);
    }

    std::optional<IO::Location> Result() const { return exact ? exact : inexact; }

private:
    // 0: no match; 1: matches ignoring case; 2: matches exactly.
    int MatchOf(const FolderEntry& entry, size_t index) const {
        if (entry.name == wanted[index]) return 2;
        return UpperCased(entry.name) == upperWanted[index] ? 1 : 0;
    }

    bool Offer(const LibraryFolder& folder, const FolderEntry& entry, bool isExact) {
        IO::Location location = ChildOf(folder, entry).location;
        if (isExact)
            exact = location;
        else if (!inexact)
            inexact = location;
        return isExact;
    }

    // Breadth-first over the folder's tree for a one-component name.
    bool SearchAnywhere(const LibraryFolder& root) {
        std::deque<LibraryFolder> pending{root};
        while (!pending.empty()) {
            LibraryFolder folder = std::move(pending.front());
            pending.pop_front();
            if (!FirstVisit(folder.path)) continue;
            for (const FolderEntry& entry : ListFolder(folder.path)) {
                int match = entry.isFile ? MatchOf(entry, 0) : 0;
                if (match != 0 && Offer(folder, entry, match == 2)) return true;
                if (entry.isFolder) pending.push_back(ChildOf(folder, entry));
            }
        }
        return false;
    }

    // Follows the components from `index` on below `folder`; `exactSoFar` tells whether the
    // components before matched exactly.
    bool SearchPath(const LibraryFolder& folder, size_t index, bool exactSoFar) {
        bool last = index + 1 == wanted.size();
        for (const FolderEntry& entry : ListFolder(folder.path)) {
            int match = MatchOf(entry, index);
            if (match == 0 || !(last ? entry.isFile : entry.isFolder)) continue;
            bool isExact = exactSoFar && match == 2;
            if (last ? Offer(folder, entry, isExact)
                     : SearchPath(ChildOf(folder, entry), index + 1, isExact))
                return true;
        }
        return false;
    }

    // False for a folder already searched (reached again through a link).
    bool FirstVisit(const fs::path& path) {
        std::error_code error;
        fs::path canonical = fs::canonical(path, error);
        return visited.insert(error ? path : canonical).second;
    }

    std::vector<ZR::UniString> wanted;
    std::vector<ZR::UniString> upperWanted;
    std::optional<IO::Location> exact;
    std::optional<IO::Location> inexact;
    std::set<fs::path> visited;
};

struct LibraryConfiguration {
    std::mutex mutex;
    std::vector<IO::Location> folders;
};

LibraryConfiguration& Configuration() {
    static LibraryConfiguration configuration;
    return configuration;
}

}  // namespace

void SetObjectLibraryFolders(std::vector<IO::Location> folders) {
    std::lock_guard lock(Configuration().mutex);
    Configuration().folders = std::move(folders);
}

Int16 FindFileInFolders(const std::vector<IO::Location>& folders, const ZR::UniString& name,
                        IO::Location& found) {
    std::optional<std::vector<ZR::UniString>> components = NameComponents(name);
    if (!components) return Int16(IO::ErrNotFound);
    LibrarySearch search(std::move(*components));
    for (const IO::Location& folder : folders)
        if (search.SearchFolder(folder)) break;
    std::optional<IO::Location> result = search.Result();
    if (!result) return Int16(IO::ErrNotFound);
    found = *result;
    return 0;
}

Int16 LibraryFileToLocation(const ZR::UniString& name, IO::Location& location) {
    std::vector<IO::Location> folders;
    {
        std::lock_guard lock(Configuration().mutex);
        folders = Configuration().folders;
    }
    return FindFileInFolders(folders, name, location);
}
