// Fixed-width types, status codes and handle types shared by every host library.
#pragma once

#include <cstddef>
#include <cstdint>

using Int8 = int8_t;
using UInt8 = uint8_t;
using Int16 = int16_t;
using UInt16 = uint16_t;
using Int32 = int32_t;
using UInt32 = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using USize = uint32_t;

// Status of every fallible host call: 0 is success, anything else names the failure.
using ZRErrCode = Int32;
constexpr ZRErrCode NoError = 0;

// Statuses shared by all host libraries. File-system statuses are in host/filesystem.h.
constexpr ZRErrCode ErrParam = -50;        // a required argument is missing or invalid
constexpr ZRErrCode ErrMemoryFull = -108;  // the memory a call needs cannot be had

// Position value meaning "no position" or "not found" in 32-bit index arithmetic.
constexpr UInt32 MaxUIndex = 0xFFFFFFFF;

// Memory blocks: a handle is a relocatable block (the pointer it holds may move when the block
// is resized); a pointer block stays where it is.
using ZRPtr = char*;
using ZRHandle = char**;

// Character codes for the 8-bit forms of text.
using ZRCharCode = Int32;
constexpr ZRCharCode CC_Default = 0;  // the system's default code page (Windows-1252 here)
constexpr ZRCharCode CC_UTF8 = 99;

// Resources: a registered resource module, and four-character resource type codes.
using ZRResModule = Int64;
constexpr ZRResModule InvalidResModule = -1;
using ZRResType = UInt32;
using ZRResID = Int16;

// The load address of a dynamic module; resources are found from it.
using ZRInstance = const void*;

constexpr UInt32 FourCharCode(const char (&code)[5]) {
    return (UInt32(UInt8(code[0])) << 24) | (UInt32(UInt8(code[1])) << 16) |
           (UInt32(UInt8(code[2])) << 8) | UInt32(UInt8(code[3]));
}
