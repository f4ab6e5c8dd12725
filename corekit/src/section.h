// The optional re-entrant critical section of the synchronised containers.
#pragma once

#include <mutex>

namespace corekit_section {

using TSection = std::recursive_mutex;

inline void Done(TSection*& section, bool& owns) {
    if (owns) delete section;
    section = nullptr;
    owns = false;
}

// Null: a new section owned by the container; otherwise the caller's.
inline void Init(TSection*& section, bool& owns, TSection* shared) {
    Done(section, owns);
    owns = shared == nullptr;
    section = shared ? shared : new TSection;
}

// Runs op inside the section, or directly without one.
template <class Op>
auto Locked(TSection* section, Op op) {
    if (!section) return op();
    std::lock_guard<TSection> hold(*section);
    return op();
}

} // namespace corekit_section
