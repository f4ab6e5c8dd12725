#include "corekit/vlist.h"

#include <cstdlib>
#include <new>

#include "heap.h"

namespace vlist {

void CListElem::__virtual() {}
CListElem::~CListElem() = default;
void* CListElem::operator new(std::size_t size) { return corekit_heap::Allocate(size); }
void CListElem::operator delete(void* block) noexcept { corekit_heap::Release(block); }

void CBListElem::__virtual() {}
CBListElem::~CBListElem() = default;
void* CBListElem::operator new(std::size_t size) { return corekit_heap::Allocate(size); }
void CBListElem::operator delete(void* block) noexcept { corekit_heap::Release(block); }

// ---- CList -----------------------------------------------------------------

void CList::Append(CListElem* elem) {
  if (!elem) return;
  elem->next = nullptr;
  if (last) last->next = elem;
  else first = elem;
  last = elem;
  active = elem;
  ++count;
}

void CList::AppendList(CList* other) {
  if (!other || !other->first) return;
  if (last) last->next = other->first;
  else first = other->first;
  last = other->last;
  active = other->last;
  count += other->count;
}

void CList::InsertBefore(CListElem* elem) {
  if (!elem) return;
  if (!active) {
    Append(elem);
    return;
  }
  elem->next = active;
  if (active == first) {
    first = elem;
  } else {
    CListElem* pred = first;
    while (pred->next != active) pred = pred->next;
    pred->next = elem;
  }
  active = elem;
  ++count;
}

void CList::Remove() {
  if (!active) return;
  CListElem* pred = nullptr;
  if (active != first) {
    pred = first;
    while (pred && pred->next != active) pred = pred->next;
    if (!pred) {  // cursor not in this chain
      active = nullptr;
      return;
    }
  }
  CListElem* successor = active->next;
  if (pred) pred->next = successor;
  else first = successor;
  if (active == last) last = pred;
  active->next = nullptr;
  active = successor;
  --count;
}

bool CList::Find(CListElem* elem) {
  for (CListElem* e = first; e; e = e->next) {
    if (e == elem) {
      active = e;
      return true;
    }
  }
  active = nullptr;
  return false;
}

bool CList::GetFirst(CListElem*& elem) {
  active = first;
  elem = first;
  return elem != nullptr;
}

bool CList::GetNext(CListElem*& elem) {
  active = active ? active->next : nullptr;
  elem = active;
  return elem != nullptr;
}

bool CList::GetActive(CListElem*& elem) const {
  elem = active;
  return elem != nullptr;
}

bool CList::Empty() const { return first == nullptr; }

void CList::ClearList() {
  first = last = active = nullptr;
  count = 0;
}

void CList::DisposeList() {
  CListElem* e = first;
  while (e) {
    CListElem* following = e->next;
    delete e;
    e = following;
  }
  ClearList();
}

// ---- CBList ----------------------------------------------------------------

void CBList::Append(CBListElem* elem) {
  if (!elem) return;
  elem->next = nullptr;
  elem->prev = last;
  if (last) last->next = elem;
  else first = elem;
  last = elem;
  active = elem;
  ++count;
}

void CBList::AppendList(CBList* other) {
  if (!other || !other->first) return;
  other->first->prev = last;
  if (last) last->next = other->first;
  else first = other->first;
  last = other->last;
  active = other->last;
  count += other->count;
}

void CBList::InsertBefore(CBListElem* elem) {
  if (!elem) return;
  if (!active) {
    Append(elem);
    return;
  }
  elem->next = active;
  elem->prev = active->prev;
  if (active->prev) active->prev->next = elem;
  else first = elem;
  active->prev = elem;
  active = elem;
  ++count;
}

void CBList::InsertFirst(CBListElem* elem) {
  active = first;
  InsertBefore(elem);
}

void CBList::Remove() {
  if (!active) return;
  CBListElem* successor = active->next;
  CBListElem* pred = active->prev;
  if (pred) pred->next = successor;
  else first = successor;
  if (successor) successor->prev = pred;
  else last = pred;
  active->next = active->prev = nullptr;
  active = successor;
  --count;
}

bool CBList::Find(CBListElem* elem) {
  for (CBListElem* e = first; e; e = e->next) {
    if (e == elem) {
      active = e;
      return true;
    }
  }
  active = nullptr;
  return false;
}

bool CBList::GetFirst(CBListElem*& elem) {
  active = first;
  elem = first;
  return elem != nullptr;
}

bool CBList::GetLast(CBListElem*& elem) {
  active = last;
  elem = last;
  return elem != nullptr;
}

bool CBList::GetNext(CBListElem*& elem) {
  active = active ? active->next : nullptr;
  elem = active;
  return elem != nullptr;
}

bool CBList::GetPrev(CBListElem*& elem) {
  active = active ? active->prev : nullptr;
  elem = active;
  return elem != nullptr;
}

bool CBList::GetActive(CBListElem*& elem) const {
  elem = active;
  return elem != nullptr;
}

bool CBList::Empty() const { return first == nullptr; }

void CBList::ClearList() {
  first = last = active = nullptr;
  count = 0;
}

void CBList::DisposeList() {
  CBListElem* e = first;
  while (e) {
    CBListElem* following = e->next;
    delete e;
    e = following;
  }
  ClearList();
}

}  // namespace vlist
