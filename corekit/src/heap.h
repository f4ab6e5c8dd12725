// Element and block storage: Storage's heap, which the general operator new
// shares, so an element may be created with either.
#pragma once

#include <cstddef>

#include "runbase/storage.h"

namespace corekit_heap {

inline void* Allocate(std::size_t size) {
  void* block = nullptr;
  Storage::Allocate(block, size ? size : 1);  // ends the process when the heap is exhausted
  return block;
}

inline void* Reallocate(void* block, std::size_t size) {
  Storage::Reallocate(block, size ? size : 1);
  return block;
}

inline void Release(void* block) noexcept { Storage::Free(block); }

}  // namespace corekit_heap
