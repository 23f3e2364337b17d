#pragma once

#include <string>

#include "host/base.h"

namespace Ombra {

// The file that keeps the remembered-location block between runs: $XDG_STATE_HOME/ombra/
// remembered-locations, else $HOME/.local/state/ombra/remembered-locations; empty when neither
// variable is set (or set to a relative path).
std::string DefaultStateFile();

// Reads the whole file at `path` into a new memory block (BMAllocateHandle) that the caller
// owns. A file that does not exist gives `block` nullptr and true. False when the file exists but
// cannot be read: `error` then says why and `block` is nullptr.
bool ReadStateFile(const std::string& path, ZRHandle& block, std::string& error);

// Replaces the file at `path` with the bytes of `block` atomically: they are written to a
// temporary file beside it ("<path>.<process id>.tmp"), made durable, then renamed over the file,
// so the file holds either its old or its new bytes at every instant. With `createFolders`, missing
// folders above the file are created first. False, with `error` saying why, when it fails; the file
// then keeps its old bytes.
bool WriteStateFile(const std::string& path, ZRHandle block, bool createFolders,
                    std::string& error);

}  // namespace Ombra
