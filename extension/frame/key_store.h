// The keys of an index in one block of memory, and the growing block they are kept in.
#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/base.h"

namespace DataOmbraPlugin {

// Trivially copyable elements in one block from operator new (so that every allocation of the
// module goes the one way, where a shortage can be simulated), grown by copying into a larger
// block; new room is left unfilled.
template <class T>
class GrowingBlock {
public:
    GrowingBlock() = default;
    ~GrowingBlock() { ::operator delete(items); }
    GrowingBlock(const GrowingBlock&) = delete;
    GrowingBlock& operator=(const GrowingBlock&) = delete;

    size_t GetSize() const { return size; }
    size_t GetCapacity() const { return capacity; }
    T* GetContent() { return items; }
    const T* GetContent() const { return items; }
    // Adds `count` elements, left to the caller to write, and returns the first of them. Raises
    // ZR::BMOutOfMemoryException when the block cannot grow, leaving it as it was.
    T* Extend(size_t count) {
        MakeRoom(count);
        T* added = items + size;
        size += count;
        return added;
    }
    // Makes room for `count` more elements, at least doubling the room when it grows; raises as
    // Extend.
    void MakeRoom(size_t count) {
        if (size + count > capacity) Reserve(std::max(2 * capacity, size + count));
    }
    // Makes room for `total` elements in all; raises as Extend.
    void Reserve(size_t total) {
        if (total <= capacity) return;
        T* grown = static_cast<T*>(::operator new(total * sizeof(T), std::nothrow));
        if (grown == nullptr) throw ZR::BMOutOfMemoryException();
        if (size > 0) std::memcpy(grown, items, size * sizeof(T));
        ::operator delete(items);
        items = grown;
        capacity = total;
    }
    // Keeps the first `count` elements (at most GetSize()); the room stays.
    void Truncate(size_t count) { size = count; }
    void Swap(GrowingBlock& other) {
        std::swap(items, other.items);
        std::swap(size, other.size);
        std::swap(capacity, other.capacity);
    }

private:
    static_assert(std::is_trivially_copyable_v<T>);
    T* items = nullptr;
    size_t size = 0;
    size_t capacity = 0;
};

// The keys of one index in one block: the code units of every key, one key after another, and
// where each ends. A load appends its keys here instead of allocating a string per key. Keys are
// numbered from 1 in the order they were appended; a view of one stays valid until the store
// next changes.
class KeyStore {
public:
    USize GetSize() const { return USize(ends.GetSize()); }
    // The code units of all keys.
    size_t UnitCount() const { return units.GetSize(); }
    // The key numbered `position`; raises ZR::IndexOutOfRangeException outside 1..GetSize().
    std::u16string_view operator[](USize position) const {
        if (position < 1 || position > ends.GetSize()) throw ZR::IndexOutOfRangeException();
        const UInt32* end = ends.GetContent() + (position - 1);
        const UInt32 start = position == 1 ? 0 : end[-1];
        return {units.GetContent() + start, *end - start};
    }
    // Appends `key`. Raises ZR::BMOutOfMemoryException when the store cannot grow, then unchanged.
    void Push(std::u16string_view key);
    void Push(const ZR::UniString& key) { Push(std::u16string_view(key.Get())); }
    // Appends a key of `length` code units and returns them to be written, valid until the store
    // next changes. Raises as Push.
    char16_t* PushUnits(USize length) {
        const size_t start = units.GetSize();
        ends.MakeRoom(1);  // first, so that a failure leaves the store unchanged
        char16_t* key = units.Extend(length);
        *ends.Extend(1) = UInt32(start + length);
        return key;
    }
    // Removes the last key.
    void DeleteLast();
    // Makes room for `keys` keys of `totalUnits` code units in all. Raises as Push.
    void Reserve(USize keys, size_t totalUnits) {
        ends.Reserve(keys);
        units.Reserve(totalUnits);
    }
    // Removes every key; the room stays for the keys of the next load.
    void Clear();
    // Exchanges the keys of the two stores.
    void Swap(KeyStore& other) {
        units.Swap(other.units);
        ends.Swap(other.ends);
    }
    // The bytes the store holds, reserved room included.
    UInt64 Footprint() const;

private:
    GrowingBlock<char16_t> units;
    GrowingBlock<UInt32> ends;  // ends[k - 1]: the end of key k in `units`
};

}  // namespace DataOmbraPlugin
