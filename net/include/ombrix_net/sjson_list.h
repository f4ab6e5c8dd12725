// The singly linked list that holds the children of a JSON node.
#pragma once

#if __has_include(<corekit/vlist.hpp>)
#include <corekit/vlist.hpp>
#else
#include <cstdint>

// Minimal stand-in with the list interface the JSON nodes use, until the
// container library is linked.
namespace vlist {

class CListElem {
 public:
  virtual void __virtual() {}
  CListElem* next = nullptr;
};

class CList {
 public:
  CListElem* first = nullptr;
  CListElem* last = nullptr;
  CListElem* active = nullptr;
  uint32_t count = 0;

  void Append(CListElem* elem) {
    if (!elem) return;
    elem->next = nullptr;
    if (last) last->next = elem; else first = elem;
    last = elem;
    active = elem;
    ++count;
  }
  void InsertBefore(CListElem* elem) {
    if (!elem) return;
    if (!active) { Append(elem); return; }
    elem->next = active;
    if (active == first) {
      first = elem;
    } else {
      CListElem* before = first;
      while (before->next != active) before = before->next;
      before->next = elem;
    }
    active = elem;
    ++count;
  }
  bool Find(CListElem* elem) {
    for (active = first; active; active = active->next)
      if (active == elem) return true;
    return false;
  }
  void Remove() {
    if (!active) return;
    CListElem* before = nullptr;
    if (active != first) {
      before = first;
      while (before->next != active) before = before->next;
      before->next = active->next;
    } else {
      first = active->next;
    }
    if (active == last) last = before;
    active = active->next;
    --count;
  }
  bool GetFirst(CListElem*& elem) {
    active = first;
    elem = first;
    return first != nullptr;
  }
  void ClearList() { first = last = active = nullptr; count = 0; }
};

}  // namespace vlist
#endif
