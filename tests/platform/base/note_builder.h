// Builds the bytes of a resource note (host/base/resource_image.h) at compile time, so that the
// test modules can place hand-made notes in their files and the tests can make broken ones.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "host/base/resource_image.h"

namespace BaseTest {

// One resource; a string list gets its 32-bit byte count put in front of `bytes`.
struct FixtureResource {
    UInt32 type;
    Int32 id;
    std::string_view bytes;
    bool isList;
};

constexpr size_t NoteHeaderSize = 12;
constexpr size_t NoteNameSize = 12;  // "OmbraRes" and its NUL, padded to 4
constexpr size_t DescriptorHeaderSize = 8;

constexpr size_t StoredSize(const FixtureResource& resource) {
    return resource.bytes.size() + (resource.isList ? 4 : 0);
}

template <size_t Count>
constexpr size_t DescriptorSize(const FixtureResource (&resources)[Count]) {
    size_t size = DescriptorHeaderSize + Count * sizeof(ResourceImageEntry);
    for (const FixtureResource& resource : resources) size += StoredSize(resource);
    return size;
}

template <size_t Count>
constexpr size_t NoteSize(const FixtureResource (&resources)[Count]) {
    return NoteHeaderSize + NoteNameSize + (DescriptorSize(resources) + 3) / 4 * 4;
}

template <size_t Size>
constexpr void Put32(std::array<unsigned char, Size>& bytes, size_t at, UInt32 value) {
    for (size_t k = 0; k < 4; ++k) bytes[at + k] = (unsigned char)(value >> (8 * k));
}

template <size_t Size, size_t Count>
constexpr std::array<unsigned char, Size> BuildNote(const FixtureResource (&resources)[Count]) {
    std::array<unsigned char, Size> note{};
    Put32(note, 0, sizeof(ResourceNoteName));
    Put32(note, 4, UInt32(DescriptorSize(resources)));
    Put32(note, 8, ResourceNoteType);
    for (size_t k = 0; k < sizeof(ResourceNoteName); ++k) note[12 + k] = ResourceNoteName[k];
    constexpr size_t descriptor = NoteHeaderSize + NoteNameSize;
    Put32(note, descriptor, ResourceImageMagic);
    Put32(note, descriptor + 4, UInt32(Count));
    size_t offset = DescriptorHeaderSize + Count * sizeof(ResourceImageEntry);
    for (size_t index = 0; index < Count; ++index) {
        const FixtureResource& resource = resources[index];
        const size_t entry = descriptor + DescriptorHeaderSize + index * sizeof(ResourceImageEntry);
        Put32(note, entry, resource.type);
        Put32(note, entry + 4, UInt32(resource.id));
        Put32(note, entry + 8, UInt32(offset));
        Put32(note, entry + 12, UInt32(StoredSize(resource)));
        size_t at = descriptor + offset;
        if (resource.isList) {
            Put32(note, at, UInt32(resource.bytes.size()));
            at += 4;
        }
        for (char ch : resource.bytes) note[at++] = (unsigned char)ch;
        offset += StoredSize(resource);
    }
    return note;
}

// Where the descriptor starts in a note that BuildNote made.
constexpr size_t DescriptorOffset = NoteHeaderSize + NoteNameSize;

}  // namespace BaseTest

// Places a note in the module's PT_NOTE segment: a section whose name begins with .note is a note
// section, and the linker gives the loaded notes a PT_NOTE program header.
#define BASE_TEST_NOTE_SECTION __attribute__((section(".note.ombra.rsrc"), used, aligned(4)))
