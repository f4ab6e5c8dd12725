#include "corekit/vdarray.h"

#include <cstring>

#include "heap.h"

namespace vdarray {

namespace {
constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kInUse = ~std::uint64_t{0};
}  // namespace

// ---- CDynamicArray_ --------------------------------------------------------

bool CDynamicArray_::Init(std::uint64_t size, std::uint64_t count) {
  DeallocateData();
  itemSize = 0;
  if (size == 0) return false;
  itemSize = size;
  totalCount = freeCount = count;
  if (count > 0) data = static_cast<std::uint8_t*>(corekit_heap::Allocate(size * count));
  return true;
}

bool CDynamicArray_::InsertItemAddress(std::uint64_t& index, void*& address) {
  if (freeCount == 0) return false;
  index = nextIndex;
  address = data + nextIndex * itemSize;
  ++nextIndex;
  --freeCount;
  return true;
}

bool CDynamicArray_::AllocateItem(std::uint64_t& index, void*& address) { return InsertItemAddress(index, address); }

bool CDynamicArray_::InsertItem(const void* src, std::uint64_t& index) {
  void* address = nullptr;
  if (!InsertItemAddress(index, address)) return false;
  std::memcpy(address, src, itemSize);
  return true;
}

bool CDynamicArray_::Grow(std::uint64_t slots) {
  if (slots == 0) return true;
  if (!data || itemSize == 0) return false;
  data = static_cast<std::uint8_t*>(corekit_heap::Reallocate(data, (totalCount + slots) * itemSize));
  return true;
}

bool CDynamicArray_::BookItems(std::uint64_t n) {
  if (!data || itemSize == 0) return false;
  if (freeCount >= n) return true;
  const std::uint64_t missing = n - freeCount;
  if (!Grow(missing)) return false;
  totalCount += missing;
  freeCount += missing;
  return true;
}

bool CDynamicArray_::AllocateItems(std::uint64_t n, std::uint64_t& added) {
  added = n > freeCount ? n - freeCount : 0;
  return Grow(added);
}

bool CDynamicArray_::GetItem(std::uint64_t index, void*& address) const {
  if (index >= totalCount - freeCount) return false;
  address = data + index * itemSize;
  return true;
}

bool CDynamicArray_::CopyItem(std::uint64_t index, void* dst) const {
  void* address = nullptr;
  if (!GetItem(index, address)) return false;
  std::memcpy(dst, address, itemSize);
  return true;
}

void CDynamicArray_::DeallocateData() {
  corekit_heap::Release(data);
  data = nullptr;
  totalCount = freeCount = nextIndex = 0;
}

// ---- CDynamicArray ---------------------------------------------------------

void CDynamicArray::Done() {
  DeallocateData();
  itemSize = 0;
}

CDynamicArray::~CDynamicArray() = default;

// ---- CArrayHeap ------------------------------------------------------------

// Slots need not be 8-byte aligned (item size + 8), so headers are copied.
std::uint64_t CArrayHeap::Header(std::uint64_t index) const {
  std::uint64_t value = 0;
  std::memcpy(&value, data + index * itemSize, kHeaderSize);
  return value;
}

void CArrayHeap::SetHeader(std::uint64_t index, std::uint64_t value) {
  std::memcpy(data + index * itemSize, &value, kHeaderSize);
}

bool CArrayHeap::InUse(std::uint64_t index) const { return index < totalCount && Header(index) == kInUse; }

bool CArrayHeap::Init(std::uint64_t size, std::uint64_t count) {
  if (!CDynamicArray::Init(size + kHeaderSize, count)) return false;
  for (std::uint64_t i = 0; i < count; ++i) SetHeader(i, i + 1 < count ? i + 1 : 0);
  nextIndex = 0;
  return true;
}

bool CArrayHeap::InsertItemAddress(std::uint64_t& index, void*& address) {
  if (freeCount == 0) return false;
  index = nextIndex;
  nextIndex = Header(index);
  SetHeader(index, kInUse);
  --freeCount;
  address = data + index * itemSize + kHeaderSize;
  return true;
}

bool CArrayHeap::InsertItem(const void* src, std::uint64_t& index) {
  void* address = nullptr;
  if (!InsertItemAddress(index, address)) return false;
  std::memcpy(address, src, itemSize - kHeaderSize);
  return true;
}

bool CArrayHeap::RemoveItem(std::uint64_t index) {
  if (!InUse(index)) return false;
  SetHeader(index, freeCount ? nextIndex : 0);
  nextIndex = index;
  ++freeCount;
  return true;
}

bool CArrayHeap::GetItem(std::uint64_t index, void*& address) const {
  if (!InUse(index)) return false;
  address = data + index * itemSize + kHeaderSize;
  return true;
}

bool CArrayHeap::CopyItem(std::uint64_t index, void* dst) const {
  void* address = nullptr;
  if (!GetItem(index, address)) return false;
  std::memcpy(dst, address, itemSize - kHeaderSize);
  return true;
}

bool CArrayHeap::BookItems(std::uint64_t n) {
  if (!data || itemSize == 0) return false;
  if (freeCount >= n) return true;
  const std::uint64_t d = n - freeCount;
  const std::uint64_t oldTotal = totalCount;
  if (!Grow(d)) return false;
  totalCount += d;
  for (std::uint64_t i = oldTotal; i + 1 < totalCount; ++i) SetHeader(i, i + 1);
  SetHeader(totalCount - 1, freeCount ? nextIndex : 0);
  nextIndex = oldTotal;
  freeCount += d;
  return true;
}

}  // namespace vdarray
