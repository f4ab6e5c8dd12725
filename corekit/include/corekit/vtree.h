// Intrusive AVL trees ordered by a virtual comparison of the elements.
//
// An element class derives from CAVLTreeElem (or CAVLTreeElem2 for a node
// of two orderings) and overrides Compare and Done. key->Compare(node)
// answers -1 (key sorts before node), 1 (after) or 0 (equal); any other
// value counts as "equal" when inserting and ends a search unsuccessfully.
// A tree rejects an element that compares equal to one already present: the
// element gets Done and is released. Released elements get Done and are
// then deleted (elements come from the general heap, see vlist.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtree {

class CAVLTreeElem {
 public:
  CAVLTreeElem() = default;
  CAVLTreeElem(const CAVLTreeElem&) = default;
  CAVLTreeElem& operator=(const CAVLTreeElem&) = default;

  virtual int Compare(const CAVLTreeElem* other) const;  // base: 0
  virtual void Done();                                   // base: nothing
  virtual ~CAVLTreeElem();

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  CAVLTreeElem* left = nullptr;   // left subtree (smaller elements)
  CAVLTreeElem* right = nullptr;  // right subtree (larger elements)
  std::int32_t balance = 0;       // -1 left higher, 0 equal, +1 right higher
};

class CAVLTree {
 public:
  CAVLTree() = default;
  virtual void Delete(const CAVLTreeElem* key);                          // Remove, Done, release
  virtual bool Remove(const CAVLTreeElem* key, CAVLTreeElem*& removed);  // unlinks the matching node
  virtual bool Insert(CAVLTreeElem* elem);                               // false: duplicate, elem disposed
  virtual bool Search(const CAVLTreeElem* key, CAVLTreeElem*& found) const;
  virtual bool GetElemOfOrder(std::uint32_t order, CAVLTreeElem*& elem) const;  // 1-based
  virtual bool GetPrevElem(const CAVLTreeElem* elem, CAVLTreeElem*& prev) const;
  virtual bool GetNextElem(const CAVLTreeElem* elem, CAVLTreeElem*& next) const;
  virtual bool GetFirst(CAVLTreeElem*& elem) const;
  virtual bool GetLast(CAVLTreeElem*& elem) const;
  virtual void DisposeTree();                   // Done and release every node
  virtual void iBalanceL(CAVLTreeElem*& node);  // rotate a left-heavy subtree in place
  virtual void iBalanceR(CAVLTreeElem*& node);  // rotate a right-heavy subtree in place
  virtual ~CAVLTree();                          // releases nothing: owners call DisposeTree

  CAVLTreeElem* root = nullptr;  // the tree's root, null when empty
  std::uint32_t count = 0;       // number of nodes

 protected:
  bool iFindPredecessor(CAVLTreeElem*& link,
                        CAVLTreeElem*& pred);  // unlinks the rightmost node under link; true when that subtree shrank
  bool iRemoveBalanceL(CAVLTreeElem*& node);   // after the left subtree shrank; true when node's subtree shrank
  bool iRemoveBalanceR(CAVLTreeElem*& node);
};

// A node of two AVL trees at once: the first ordered by Compare1, the second
// by Compare2.
class CAVLTreeElem2 {
 public:
  CAVLTreeElem2() = default;
  CAVLTreeElem2(const CAVLTreeElem2&) = default;
  CAVLTreeElem2& operator=(const CAVLTreeElem2&) = default;

  virtual int Compare1(const CAVLTreeElem2* other) const;
  virtual int Compare2(const CAVLTreeElem2* other) const;
  virtual void Done();
  virtual ~CAVLTreeElem2();

  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  CAVLTreeElem2* left1 = nullptr;  // links of the first ordering
  CAVLTreeElem2* right1 = nullptr;
  CAVLTreeElem2* left2 = nullptr;  // links of the second ordering
  CAVLTreeElem2* right2 = nullptr;
  std::int32_t balance1 = 0;
  std::int32_t balance2 = 0;
};

// Insert puts an element into both orderings. An element that is unique in
// the first ordering but a duplicate in the second is taken out of the first
// again before it is disposed, so the tree stays consistent.
class CAVLTree2 {
 public:
  CAVLTree2() = default;
  virtual bool iRemove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed);  // one ordering only
  virtual bool iRemove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed);
  virtual void Delete1(const CAVLTreeElem2* key);
  virtual bool Remove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed);  // by Compare1, then from ordering 2
  virtual void Delete2(const CAVLTreeElem2* key);
  virtual bool Remove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed);
  virtual bool Insert(CAVLTreeElem2* elem);
  virtual bool Search1(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const;
  virtual bool Search2(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const;
  virtual bool GetElemOfOrder1(std::uint32_t order, CAVLTreeElem2*& elem) const;
  virtual bool GetElemOfOrder2(std::uint32_t order, CAVLTreeElem2*& elem) const;
  virtual bool GetPrevElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const;
  virtual bool GetPrevElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const;
  virtual bool GetNextElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const;
  virtual bool GetNextElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const;
  virtual bool GetFirst1(CAVLTreeElem2*& elem) const;
  virtual bool GetFirst2(CAVLTreeElem2*& elem) const;
  virtual bool GetLast1(CAVLTreeElem2*& elem) const;
  virtual bool GetLast2(CAVLTreeElem2*& elem) const;
  virtual void DisposeTree();
  virtual void iBalanceL1(CAVLTreeElem2*& node);
  virtual void iBalanceR1(CAVLTreeElem2*& node);
  virtual void iBalanceL2(CAVLTreeElem2*& node);
  virtual void iBalanceR2(CAVLTreeElem2*& node);
  virtual ~CAVLTree2();

  CAVLTreeElem2* root1 = nullptr;  // root of the first ordering
  CAVLTreeElem2* root2 = nullptr;  // root of the second ordering
  std::uint32_t count = 0;         // nodes (the same in both orderings)
};

}  // namespace vtree
