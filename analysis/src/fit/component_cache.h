// A few per-point arrays of one model component, each remembered with the
// parameters it was computed for. A numeric Jacobian changes one parameter at
// a time, so most calls find the component of every parameter they did not
// change already computed.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ombrix_analysis {

template <int KeyCount, int SlotCount = 3>
class CComponentCache {
 public:
  using TKey = std::array<double, KeyCount>;

  // Forgets every slot (the points changed); keeps the memory.
  void Clear() {
    for (TSlot& slot : slots_) slot.valid = false;
  }

  // The array for `key`; when no slot holds it, the least recently used slot
  // is resized to `count` and filled by fill(double* values). Keys compare
  // bit for bit, so -0 and +0 or two NaN never stand for each other.
  template <class Fill>
  const double* Get(const TKey& key, std::size_t count, Fill fill) {
    TSlot* victim = &slots_[0];
    for (TSlot& slot : slots_) {
      if (slot.valid && std::memcmp(slot.key.data(), key.data(), sizeof(TKey)) == 0) {
        slot.used = ++clock_;
        return slot.values.data();
      }
      if (victim->valid && (!slot.valid || slot.used < victim->used)) victim = &slot;
    }
    victim->values.resize(count);
    fill(victim->values.data());
    victim->key = key;
    victim->valid = true;
    victim->used = ++clock_;
    return victim->values.data();
  }

 private:
  struct TSlot {
    TKey key{};
    std::vector<double> values;
    std::uint64_t used = 0;
    bool valid = false;
  };
  std::array<TSlot, SlotCount> slots_;
  std::uint64_t clock_ = 0;
};

}  // namespace ombrix_analysis
