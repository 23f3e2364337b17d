// Exceptions raised by the base library's containers and memory functions. Callers that return
// statuses catch them inside the operation that meets them.
#pragma once

#include <exception>

#include "host/base/api.h"

namespace ZR {

class HOST_API Exception : public std::exception {
public:
    const char* what() const noexcept override { return "ZR::Exception"; }
};

// Raised when an allocation that a call needs cannot be satisfied.
class HOST_API OutOfMemoryException : public Exception {
public:
    const char* what() const noexcept override { return "ZR::OutOfMemoryException"; }
};

// Raised by the arrays (Array, VAArray) when their storage cannot grow. Deliberately not an
// OutOfMemoryException: callers that care tell the two apart.
class HOST_API BMOutOfMemoryException : public Exception {
public:
    const char* what() const noexcept override { return "ZR::BMOutOfMemoryException"; }
};

// Raised on an index outside an array's bounds.
class HOST_API IndexOutOfRangeException : public Exception {
public:
    const char* what() const noexcept override { return "ZR::IndexOutOfRangeException"; }
};

}  // namespace ZR
