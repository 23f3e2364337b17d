// The build's resource compiler: resource_compiler <source.rsrc> <output.cpp>. Reads the readable
// resource source, and writes the C++ file that carries the resources as an ELF note. A malformed
// source is refused with "file:line: reason" on stderr, exit status 1, and no output file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/resources/resource_note.h"

namespace {

bool ReadWholeFile(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return bool(in);
}

bool WriteWholeFile(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source.rsrc> <output.cpp>\n", argv[0]);
        return 1;
    }
    std::string text, error;
    if (!ReadWholeFile(argv[1], text)) {
        std::fprintf(stderr, "%s: cannot read the file\n", argv[1]);
        return 1;
    }
    std::vector<ResourceCompiler::ResourceDefinition> resources;
    if (!ResourceCompiler::ParseResourceSource(text, argv[1], resources, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::string note = ResourceCompiler::BuildResourceNote(resources);
    const std::string sourceName = std::filesystem::path(argv[1]).filename().string();
    if (!WriteWholeFile(argv[2], ResourceCompiler::RenderNoteSource(note, sourceName))) {
        std::fprintf(stderr, "%s: cannot write the file\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
