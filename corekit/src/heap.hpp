// Element storage: the general heap that Storage and operator new share.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace corekit_heap {

inline void* Allocate(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

inline void Release(void* block) noexcept { std::free(block); }

} // namespace corekit_heap
