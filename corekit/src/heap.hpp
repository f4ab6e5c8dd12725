// Element and block storage: the C heap, which Storage and the general
// operator new share, so an element may be created with either.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace corekit_heap {

[[noreturn]] inline void OutOfMemory() {
    std::fputs("Critical Error: Not enough memory\n", stderr);
    std::_Exit(-1);
}

inline void* Allocate(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) OutOfMemory();
    return block;
}

inline void* Reallocate(void* block, std::size_t size) {
    void* grown = std::realloc(block, size ? size : 1);
    if (!grown) OutOfMemory();
    return grown;
}

inline void Release(void* block) noexcept { std::free(block); }

} // namespace corekit_heap
