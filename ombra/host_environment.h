#pragma once

#include <vector>

#include "host/environment.h"

namespace Ombra {

// The environment table ombra hands every extension module:
// - slot 0 writes each report to standard error as the text it receives, then a line feed;
// - slot 3 looks a name up in the host library folders (SetHostLibraryFolders), by the rules of
//   the object library's folder search;
// - slot 5 fills the service record with the string fetchers of the interpreter library.
// The module never calls the other slots; a call would come with arguments this host cannot
// know, so it stops the process with a message.
HostEnvironment MakeHostEnvironment();

// The folders slot 3 searches, in order. Call it before any module runs: the lookup reads the
// folders without a lock.
void SetHostLibraryFolders(std::vector<IO::Location> folders);

}  // namespace Ombra
