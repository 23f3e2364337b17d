// The base folder against which relative locations are resolved (see FileSystem).
#pragma once

#include <string>

namespace IO {

// The operating-system path of the base folder; empty when it is unknown (no base folder was set
// and the current folder cannot be had), in which case relative paths stay relative.
std::string BaseFolderPath();

}  // namespace IO
