// What every fuzz target shares: the libFuzzer entry point and the check that stops the process on
// a broken invariant, so that libFuzzer keeps the input and the corpus replay fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace OmbraFuzz {

[[noreturn]] inline void FailCheck(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

}  // namespace OmbraFuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : OmbraFuzz::FailCheck(#condition, __FILE__, __LINE__))
