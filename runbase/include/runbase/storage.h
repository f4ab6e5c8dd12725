// Storage: heap blocks owned through a pointer variable, memory helpers.
//
// Allocate, Reallocate and Free take the owner's pointer variable and set or
// clear it. Blocks come from the C heap (malloc), the same heap as the
// general operator new, and the block size is not recorded. Running out of
// memory is fatal: the message "Critical Error" / "Not enough memory" is
// shown through Diag's message hook (standard error until the GUI sets it)
// and the process ends with exit code -1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Storage {

// Fill of new blocks: 0 no fill, 1 zero fill, any other value is the fill
// byte. 0xCD at start-up: callers must not rely on zeroed memory.
extern std::uint8_t FillByte;

// p ← a new block of size bytes; size 0 stores null.
void Allocate(void*& p, std::size_t size);
// Keeps the contents up to the smaller size (C realloc); size 0 frees the
// block and stores null; a null p allocates.
void Reallocate(void*& p, std::size_t size);
// Releases a non-null block and stores null; null does nothing.
void Free(void*& p);
// As Free; the size is ignored.
void Deallocate(void*& p, std::size_t size);

// Typed forms for any pointer variable.
template <class T>
void Allocate(T*& p, std::size_t size) {
  void* v = nullptr;
  Allocate(v, size);
  p = static_cast<T*>(v);
}
template <class T>
void Reallocate(T*& p, std::size_t size) {
  void* v = const_cast<void*>(static_cast<const void*>(p));
  Reallocate(v, size);
  p = static_cast<T*>(v);
}
template <class T>
void Free(T*& p) {
  void* v = const_cast<void*>(static_cast<const void*>(p));
  Free(v);
  p = nullptr;
}
template <class T>
void Deallocate(T*& p, std::size_t size) {
  void* v = const_cast<void*>(static_cast<const void*>(p));
  Deallocate(v, size);
  p = nullptr;
}

// Debug forms: the same, naming the caller's source location in the
// diagnostic channel when an allocation fails.
void _DbgAllocate(void*& p, std::size_t size, const char* file, int line);
void _DbgReallocate(void*& p, std::size_t size, const char* file, int line);
void _DbgFree(void*& p, const char* file, int line);
void _DbgDeallocate(void*& p, std::size_t size, const char* file, int line);

// Memory blocks; source first. MemoryMove also handles overlapping blocks.
void MemoryCopy(const void* source, void* destination, std::size_t size);
void MemoryMove(const void* source, void* destination, std::size_t size);
void MemoryFill(void* destination, std::size_t size, std::uint8_t value);
void MemoryZero(void* destination, std::size_t size);
// Usable size of a block from Allocate (at least the size asked); 0 for null.
std::size_t MemorySize(const void* p);

// System memory figures.
struct TMemoryStatus {
  std::uint32_t memoryLoad;       // percent of physical memory in use
  std::uint64_t totalPhys;        // bytes of physical memory
  std::uint64_t availPhys;        // bytes available without swapping
  std::uint64_t totalPageFile;    // physical memory plus swap
  std::uint64_t availPageFile;
  std::uint64_t totalVirtual;     // the process's address-space limit
  std::uint64_t availVirtual;
};
bool GetMemoryStatus(TMemoryStatus& status);

// True when some byte of the range is not mapped readable / writable
// (checked against the process's memory map). An empty range is never
// bad; null with a size always is.
bool TestBadReadPtr(const void* p, std::size_t size);
bool TestBadWritePtr(void* p, std::size_t size);
// True when the text is not readable up to its NUL or max characters.
bool TestBadStringPtr(const char* p, std::size_t max);

// Test seam: the allocation after `skip` further allocations fails as if
// the heap were exhausted (the fatal path above).
void FailNextAllocation(std::uint32_t skip = 0);

}  // namespace Storage
