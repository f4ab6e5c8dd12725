// Arrays of fixed-size records with a free count, and a slot heap whose free
// slots form a chain.
#pragma once

#include <cstdint>

namespace vdarray {

// Items are stored back to back; the slots below nextIndex are in use.
class CDynamicArray_ {
 public:
  bool Init(std::uint64_t itemSize, std::uint64_t count);  // frees old data; item size 0 fails
  bool InsertItem(const void* src, std::uint64_t& index);  // copies itemSize bytes into the next slot
  bool InsertItemAddress(std::uint64_t& index, void*& address);
  bool AllocateItem(std::uint64_t& index, void*& address);  // same as InsertItemAddress
  bool BookItems(std::uint64_t n);                          // ensures at least n free slots
  bool AllocateItems(std::uint64_t n,
                     std::uint64_t& added);  // enlarges by the missing slots; counters left to the caller
  bool GetItem(std::uint64_t index, void*& address) const;
  bool CopyItem(std::uint64_t index, void* dst) const;
  std::uint64_t TotalCount() const { return totalCount; }
  std::uint64_t FreeCount() const { return freeCount; }
  std::uint64_t AllocatedCount() const { return totalCount - freeCount; }
  void DeallocateData();  // frees the block, zeroes the counters

  std::uint8_t* data = nullptr;  // totalCount * itemSize bytes, owned
  std::uint64_t totalCount = 0;  // slots in the block
  std::uint64_t itemSize = 0;    // bytes per slot
  std::uint64_t freeCount = 0;   // slots not in use
  std::uint64_t nextIndex = 0;   // next slot to hand out (CArrayHeap: head of the free chain)

 protected:
  bool Grow(std::uint64_t slots);  // enlarges the block by that many slots
};

class CDynamicArray : public CDynamicArray_ {
 public:
  virtual void Done();       // frees data and zeroes all fields
  virtual ~CDynamicArray();  // releases nothing: owners call Done
};

// Every slot is an 8-byte header followed by the item. The header is all
// ones while the slot is in use, else the index of the next free slot
// (0 ends the chain, together with freeCount). Indices never move.
class CArrayHeap : public CDynamicArray {
 public:
  bool Init(std::uint64_t itemSize, std::uint64_t count);
  bool InsertItem(const void* src, std::uint64_t& index);
  bool InsertItemAddress(std::uint64_t& index, void*& address);
  bool RemoveItem(std::uint64_t index);
  bool GetItem(std::uint64_t index, void*& address) const;
  bool CopyItem(std::uint64_t index, void* dst) const;
  bool BookItems(std::uint64_t n);

 private:
  std::uint64_t Header(std::uint64_t index) const;
  void SetHeader(std::uint64_t index, std::uint64_t value);
  bool InUse(std::uint64_t index) const;
};

}  // namespace vdarray
