// The base library's growable arrays. Array counts positions from 0, VAArray from 1. Both copy
// their elements on assignment. A failed growth raises BMOutOfMemoryException and leaves the
// array as it was; an index outside the bounds raises IndexOutOfRangeException.
#pragma once

#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/base/exceptions.h"
#include "host/base/types.h"

namespace ZR {

namespace ArrayDetail {

template <class Operation>
void Grow(Operation&& operation) {
    try {
        operation();
    } catch (const std::bad_alloc&) {
        throw BMOutOfMemoryException();
    } catch (const std::length_error&) {
        throw BMOutOfMemoryException();
    }
}

}  // namespace ArrayDetail

// Shared storage of Array and VAArray; `Base` is the number of the first position (0 or 1).
template <class T, USize Base>
class ArrayStorage {
public:
    USize GetSize() const { return USize(items.size()); }
    bool IsEmpty() const { return items.empty(); }

    T& operator[](USize position) { return items[Checked(position)]; }
    const T& operator[](USize position) const { return items[Checked(position)]; }
    T& GetLast() { return items[Checked(Base + GetSize() - 1)]; }
    const T& GetLast() const { return items[Checked(Base + GetSize() - 1)]; }

    // An element that fits in the room already there is added without the growth path, which a
    // load takes for every entry otherwise.
    void Push(const T& item) {
        if (items.size() < items.capacity()) {
            items.push_back(item);
            return;
        }
        ArrayDetail::Grow([&] { items.push_back(item); });
    }
    void Push(T&& item) {
        if (items.size() < items.capacity()) {
            items.push_back(std::move(item));
            return;
        }
        ArrayDetail::Grow([&] { items.push_back(std::move(item)); });
    }
    // Inserts before the element at `position`; the position after the last appends.
    void Insert(USize position, const T& item) {
        if (position < Base || position - Base > items.size()) throw IndexOutOfRangeException();
        ArrayDetail::Grow([&] { items.insert(items.begin() + (position - Base), item); });
    }
    // Removes the element at `position`; later elements move down by one position.
    void Delete(USize position) { items.erase(items.begin() + Checked(position)); }
    void DeleteLast() {
        if (items.empty()) throw IndexOutOfRangeException();
        items.pop_back();
    }
    // Grows with default elements or shrinks to `size` elements.
    void SetSize(USize size) {
        ArrayDetail::Grow([&] { items.resize(size); });
    }
    void Clear() { items.clear(); }
    void Reserve(USize capacity) {
        ArrayDetail::Grow([&] { items.reserve(capacity); });
    }

    auto begin() { return items.begin(); }
    auto end() { return items.end(); }
    auto begin() const { return items.begin(); }
    auto end() const { return items.end(); }
    T* GetContent() { return items.data(); }
    const T* GetContent() const { return items.data(); }

private:
    size_t Checked(USize position) const {
        if (position < Base || position - Base >= items.size()) throw IndexOutOfRangeException();
        return position - Base;
    }

    std::vector<T> items;
};

template <class T>
class Array : public ArrayStorage<T, 0> {};

template <class T>
class VAArray : public ArrayStorage<T, 1> {};

}  // namespace ZR
