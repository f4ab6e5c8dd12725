// Intrusive singly and doubly linked lists with an active-element cursor.
//
// An element class derives from CListElem or CBListElem, which carry the
// links; the list header only points into the chain and never allocates.
// Navigation moves the one shared cursor `active`: a walk is GetFirst, then
// GetNext until false, and must not be interleaved with another walk or Find.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlist {

// Base of every singly linked element. Elements are allocated from the
// general heap that Storage uses, so `new` and Storage::Allocate agree.
class CListElem {
 public:
  CListElem() = default;
  CListElem(const CListElem&) = default;  // copies `next`
  CListElem& operator=(const CListElem&) = default;

  virtual void __virtual();  // gives every element a vtable
  virtual ~CListElem();

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  CListElem* next = nullptr;  // following element, null at the tail
};

// Base of every doubly linked element.
class CBListElem {
 public:
  CBListElem() = default;
  CBListElem(const CBListElem&) = default;
  CBListElem& operator=(const CBListElem&) = default;

  virtual void __virtual();
  virtual ~CBListElem();

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  CBListElem* next = nullptr;  // following element, null at the tail
  CBListElem* prev = nullptr;  // preceding element, null at the head
};

// Singly linked list header. Copying a header shares the chain; it does not
// copy elements.
class CList {
 public:
  void Append(CListElem* elem);        // null ignored; elem becomes tail and active
  void AppendList(CList* other);       // links other's chain behind the tail; caller then calls other->ClearList()
  void InsertBefore(CListElem* elem);  // in front of the active element, or at the tail without one
  void Remove();                       // unlinks the active element; its successor becomes active
  bool Find(CListElem* elem);          // true and active on a hit; otherwise active cleared
  bool GetFirst(CListElem*& elem);
  bool GetNext(CListElem*& elem);
  bool GetActive(CListElem*& elem) const;
  bool Empty() const;
  void ClearList();    // forgets all elements, releases nothing
  void DisposeList();  // releases every element (no per-element clean-up), then ClearList

  CListElem* first = nullptr;   // head of the chain
  CListElem* last = nullptr;    // tail of the chain
  CListElem* active = nullptr;  // cursor: the element last reached by navigation or insertion
  std::uint32_t count = 0;      // number of elements in the chain
};

// Doubly linked list header.
class CBList {
 public:
  void Append(CBListElem* elem);
  void AppendList(CBList* other);
  void InsertBefore(CBListElem* elem);
  void InsertFirst(CBListElem* elem);  // active = first, then InsertBefore
  void Remove();
  bool Find(CBListElem* elem);
  bool GetFirst(CBListElem*& elem);
  bool GetLast(CBListElem*& elem);
  bool GetNext(CBListElem*& elem);
  bool GetPrev(CBListElem*& elem);
  bool GetActive(CBListElem*& elem) const;
  bool Empty() const;
  void ClearList();
  void DisposeList();

  CBListElem* first = nullptr;
  CBListElem* last = nullptr;
  CBListElem* active = nullptr;
  std::uint32_t count = 0;
};

}  // namespace vlist
