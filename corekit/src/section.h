// The optional re-entrant critical section of the synchronised containers.
#pragma once

#include <mutex>

#include "corekit/vlist_ex.h"

namespace corekit_section {

using vlist_ex::TCriticalSection;

inline void Done(TCriticalSection*& section, bool& owns) {
  if (owns) delete section;
  section = nullptr;
  owns = false;
}

// Null: a new section owned by the container; otherwise the caller's.
inline void Init(TCriticalSection*& section, bool& owns, TCriticalSection* shared) {
  Done(section, owns);
  owns = shared == nullptr;
  section = shared ? shared : new TCriticalSection;
}

// Runs op inside the section, or directly without one.
template <class Op>
auto Locked(TCriticalSection* section, Op op) {
  if (!section) return op();
  std::lock_guard<TCriticalSection> hold(*section);
  return op();
}

}  // namespace corekit_section
