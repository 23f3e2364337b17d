#include "tools/resources/resource_note.h"

#include <cstdio>

#include "host/base/resource_image.h"

namespace ResourceCompiler {

namespace {

constexpr size_t NoteAlignment = 4;

void AppendUInt32(std::string& out, UInt32 value) {
    for (int i = 0; i < 4; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

void PadToAlignment(std::string& out) {
    while (out.size() % NoteAlignment != 0) out.push_back('\0');
}

std::string BuildDescriptor(const std::vector<ResourceDefinition>& resources) {
    std::string descriptor;
    AppendUInt32(descriptor, ResourceImageMagic);
    AppendUInt32(descriptor, UInt32(resources.size()));
    UInt32 offset = UInt32(8 + resources.size() * sizeof(ResourceImageEntry));
    for (const ResourceDefinition& resource : resources) {
        AppendUInt32(descriptor, resource.type);
        AppendUInt32(descriptor, UInt32(resource.id));
        AppendUInt32(descriptor, offset);
        AppendUInt32(descriptor, UInt32(resource.stored.size()));
        offset += UInt32(resource.stored.size());
    }
    for (const ResourceDefinition& resource : resources) descriptor += resource.stored;
    return descriptor;
}

}  // namespace

std::string BuildResourceNote(const std::vector<ResourceDefinition>& resources) {
    const std::string descriptor = BuildDescriptor(resources);
    std::string note;
    AppendUInt32(note, UInt32(sizeof(ResourceNoteName)));
    AppendUInt32(note, UInt32(descriptor.size()));
    AppendUInt32(note, ResourceNoteType);
    note.append(ResourceNoteName, sizeof(ResourceNoteName));
    PadToAlignment(note);
    note += descriptor;
    PadToAlignment(note);
    return note;
}

std::string RenderNoteSource(const std::string& note, const std::string& sourceName) {
    std::string out =
        "// Generated from " + sourceName + " by the resource compiler. Do not edit.\n";
    out += "// The module's resources as one ELF note in a loaded note section.\n\n";
    // An address sanitizer would pad the array with a red zone and raise its alignment, which
    // would corrupt the note; only clang instruments globals in a named section.
    out += "#if defined(__clang__)\n__attribute__((no_sanitize(\"address\")))\n#endif\n";
    out += "__attribute__((section(\".note.ombra.rsrc\"), used, aligned(4)))\n";
    out += "static const unsigned char ombraResourceNote[" + std::to_string(note.size()) + "] = {";
    char byte[8];
    for (size_t i = 0; i < note.size(); ++i) {
        if (i % 12 == 0) out += "\n   ";
        std::snprintf(byte, sizeof(byte), " 0x%02x,", unsigned(UInt8(note[i])));
        out += byte;
    }
    out += "\n};\n";
    return out;
}

}  // namespace ResourceCompiler
