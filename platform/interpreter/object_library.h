// The interpreter's object library: an ordered list of folders, each the root of a tree of
// folders, whose files scripts name by file name (LibraryFileToLocation of host/interpreter.h).
//
// How a name is found:
// - A name of one component is looked for at any depth. A name with a folder part ("parts/a.txt")
//   is looked for as that relative path under each library folder; an absolute name is taken as
//   a relative path too. A name with an empty, "." or ".." component is never found, so no name
//   reaches outside the library.
// - Only files match, never folders. Folders are entered once each, also through symbolic links.
// - An exact match (code unit for code unit) anywhere in the library wins over a match that
//   ignores letter case (both sides upper-cased in full Unicode); only when there is no exact
//   match does the first case-insensitive match count.
// - Between equal candidates, the first library folder in configuration order wins; within a
//   folder the search is breadth-first (a shallower file wins) and each folder's entries are
//   taken in the order of their names' bytes, so the result does not depend on the order in
//   which the operating system lists them.
#pragma once

#include <vector>

#include "host/interpreter.h"

// Host side: sets the folders of the loaded object library, in search order. Thread-safe.
HOST_API void SetObjectLibraryFolders(std::vector<IO::Location> folders);

// Finds `name` in the library made of `folders` by the rules above. Returns 0 with `found` set
// to the file's location (the folder's location with the path below it appended), or
// IO::ErrNotFound with `found` unchanged.
HOST_API Int16 FindFileInFolders(const std::vector<IO::Location>& folders,
                                 const ZR::UniString& name, IO::Location& found);
