// The ELF note that carries a module's resources (layout in host/base/resource_image.h), and the
// C++ source that places it in the module file.
#pragma once

#include <string>
#include <vector>

#include "tools/resources/resource_source.h"

namespace ResourceCompiler {

// The note's bytes: header, padded name, then the descriptor padded to 4 bytes.
std::string BuildResourceNote(const std::vector<ResourceDefinition>& resources);

// A C++ translation unit defining the note bytes as a constant array in the loaded note section
// ".note.ombra.rsrc", kept by the compiler and linker although nothing refers to it.
std::string RenderNoteSource(const std::string& note, const std::string& sourceName);

}  // namespace ResourceCompiler
