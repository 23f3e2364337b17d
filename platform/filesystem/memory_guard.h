// Turns the allocation failures of standard containers into ErrMemoryFull, so that no exception
// leaves a library call.
#pragma once

#include <new>
#include <stdexcept>

#include "host/base/types.h"

namespace IO {

template <class Body>
ZRErrCode CatchMemoryFull(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ErrMemoryFull;
    } catch (const std::length_error&) {
        return ErrMemoryFull;
    }
}

}  // namespace IO
