// Where OPEN's file is: the file name turned into a location by path, by the object library or
// by a remembered dialog choice, and the data folder that a read-only OPEN falls back to.
#pragma once

#include "extension/frame/report_error.h"

namespace DataOmbraPlugin {

// The file name with every pair of backslashes made one; a single backslash (also a trailing one)
// is kept.
ZR::UniString ReduceBackslashes(const ZR::UniString& name);

// Resolves the reduced `name`: through LocateByDialog when `dialog` is set (`library` is then
// ignored); else through the interpreter's object library and then the host's library lookup
// when `library` is set; else as a path, a plain name lying in the base folder. Returns 0 with
// `location` set, or the file error for OPEN to report: ErrorNotInLibrary, or LocateByDialog's.
[[nodiscard]] ErrorNumber ResolveFileLocation(const ZR::UniString& name, bool dialog, bool library,
                                              Int32 mode, ZRHandle* fileInfoHandle,
                                              IO::Location& location);

// The remembered location of `name` when its file is still there; otherwise the user's choice
// (AskForFile), which is then remembered in the handle. Makes an empty block when
// `*fileInfoHandle` holds none (it stays there whatever follows). Returns 0 with `location` set;
// ErrorFileNotFound when the user gives no file; ErrorMemoryFull when no block can be made;
// ErrorOpen for a missing handle variable. Raises the exceptions of the containers, strings and
// memory blocks (OPEN reports them).
[[nodiscard]] ErrorNumber LocateByDialog(ZRHandle* fileInfoHandle, const ZR::UniString& name,
                                         Int32 mode, IO::Location& location);

// The data folder's name (message list 5, string 2, through `messageFetcher`) in the base folder,
// followed by the components of `name`. Creates the data folder when it is missing; a failure to
// create it is not reported (opening the file there then fails). Without a fetcher, or with an
// empty folder name, the result is the base folder followed by the components of `name`.
IO::Location DataFolderLocation(const ZR::UniString& name, StringFetcherProc messageFetcher);

}  // namespace DataOmbraPlugin
