// Memory blocks. A handle points at the first member of a small block record that holds the data
// pointer and the size, so *handle is the data pointer and the data can move on resize while the
// handle stays. Data is never a null pointer, even for a block of 0 bytes.
#include "host/base/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "platform/base/memory_blocks.h"

namespace {

constexpr Int32 ClearNewBytes = 2;

thread_local ZRErrCode lastError = NoError;

struct HandleBlock {
    char* data;  // first member: a ZRHandle is the address of this field
    Int32 size;
};
static_assert(std::is_standard_layout_v<HandleBlock>);

HandleBlock* BlockOf(ZRHandle handle) {
    return reinterpret_cast<HandleBlock*>(handle);
}

template <class T>
T* Fail(ZRErrCode status) {
    lastError = status;
    return nullptr;
}

// Room for `size` bytes (at least one), cleared when asked.
char* AllocateBytes(Int32 size, Int32 flags) {
    const size_t bytes = size_t(std::max(size, 1));
    void* data = (flags & ClearNewBytes) != 0 ? std::calloc(bytes, 1) : std::malloc(bytes);
    return static_cast<char*>(data);
}

}  // namespace

ZRHandle BMAllocateHandle(Int32 size, Int32 flags, Int32 /*reserved*/) {
    if (size < 0) return Fail<char*>(ErrParam);
    if (ZR::MemoryBlocks::AllocationFailureDue()) return Fail<char*>(ErrMemoryFull);
    auto* block = new (std::nothrow) HandleBlock{nullptr, size};
    if (block == nullptr) return Fail<char*>(ErrMemoryFull);
    block->data = AllocateBytes(size, flags);
    if (block->data == nullptr) {
        delete block;
        return Fail<char*>(ErrMemoryFull);
    }
    lastError = NoError;
    return &block->data;
}

ZRHandle BMReallocHandle(ZRHandle handle, Int32 newSize, Int32 flags, Int32 /*reserved*/) {
    if (handle == nullptr || newSize < 0) return Fail<char*>(ErrParam);
    if (ZR::MemoryBlocks::AllocationFailureDue()) return Fail<char*>(ErrMemoryFull);
    HandleBlock* block = BlockOf(handle);
    void* data = std::realloc(block->data, size_t(std::max(newSize, 1)));
    if (data == nullptr) return Fail<char*>(ErrMemoryFull);
    block->data = static_cast<char*>(data);
    if ((flags & ClearNewBytes) != 0 && newSize > block->size) {
        std::memset(block->data + block->size, 0, size_t(newSize - block->size));
    }
    block->size = newSize;
    lastError = NoError;
    return handle;
}

Int32 BMGetHandleSize(ZRHandle handle) {
    if (handle == nullptr) {
        lastError = ErrParam;
        return 0;
    }
    lastError = NoError;
    return BlockOf(handle)->size;
}

void BMKillHandle(ZRHandle* handle) {
    lastError = NoError;
    if (handle == nullptr || *handle == nullptr) return;
    HandleBlock* block = BlockOf(*handle);
    std::free(block->data);
    delete block;
    *handle = nullptr;
}

ZRPtr BMAllocatePtr(Int32 size, Int32 flags, Int32 /*reserved*/) {
    if (size < 0) return Fail<char>(ErrParam);
    if (ZR::MemoryBlocks::AllocationFailureDue()) return Fail<char>(ErrMemoryFull);
    char* data = AllocateBytes(size, flags);
    if (data == nullptr) return Fail<char>(ErrMemoryFull);
    lastError = NoError;
    return data;
}

void BMKillPtr(ZRPtr* pointer) {
    lastError = NoError;
    if (pointer == nullptr || *pointer == nullptr) return;
    std::free(*pointer);
    *pointer = nullptr;
}

ZRErrCode BMError() {
    return lastError;
}

void BNCopyMemory(void* destination, const void* source, USize count) {
    if (count > 0) std::memmove(destination, source, count);
}
