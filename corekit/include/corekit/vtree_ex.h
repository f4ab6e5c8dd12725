// Order-statistic AVL trees (position lookup in logarithmic time) and trees
// behind an optional re-entrant critical section.
#pragma once

#include <cstdint>

#include "corekit/vlist_ex.h"
#include "corekit/vtree.h"

namespace vtree_ex {

// The size of a node's subtree is descendants + 1.
class CAVLTreeElemO : public vtree::CAVLTreeElem {
 public:
  std::uint32_t descendants = 0;  // nodes below this one
};

class CAVLTreeElemO2 : public vtree::CAVLTreeElem2 {
 public:
  std::uint32_t descendants1 = 0;  // nodes below this one in the first ordering
  std::uint32_t descendants2 = 0;
};

// Holds CAVLTreeElemO nodes only.
class CAVLTreeO : public vtree::CAVLTree {
 public:
  bool Remove(const vtree::CAVLTreeElem* key, vtree::CAVLTreeElem*& removed) override;
  bool Insert(vtree::CAVLTreeElem* elem) override;
  bool GetElemOfOrder(std::uint32_t order, vtree::CAVLTreeElem*& elem) const override;
  void iBalanceL(vtree::CAVLTreeElem*& node) override;
  void iBalanceR(vtree::CAVLTreeElem*& node) override;
  virtual bool GetOrderOfElem(const vtree::CAVLTreeElem* key, std::uint32_t& order) const;  // 1-based
};

// Holds CAVLTreeElemO2 nodes only.
class CAVLTreeO2 : public vtree::CAVLTree2 {
 public:
  bool iRemove1(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& removed) override;
  bool iRemove2(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& removed) override;
  bool Insert(vtree::CAVLTreeElem2* elem) override;
  bool GetElemOfOrder1(std::uint32_t order, vtree::CAVLTreeElem2*& elem) const override;
  bool GetElemOfOrder2(std::uint32_t order, vtree::CAVLTreeElem2*& elem) const override;
  void iBalanceL1(vtree::CAVLTreeElem2*& node) override;
  void iBalanceR1(vtree::CAVLTreeElem2*& node) override;
  void iBalanceL2(vtree::CAVLTreeElem2*& node) override;
  void iBalanceR2(vtree::CAVLTreeElem2*& node) override;
  virtual bool GetOrderOfElem1(const vtree::CAVLTreeElem2* key, std::uint32_t& order) const;
  virtual bool GetOrderOfElem2(const vtree::CAVLTreeElem2* key, std::uint32_t& order) const;
};

using vlist_ex::TCriticalSection;

// Every public operation holds the section around the base operation.
class CSynchronizedTree : public vtree::CAVLTree {
 public:
  CSynchronizedTree() = default;
  CSynchronizedTree(const CSynchronizedTree&) = delete;
  CSynchronizedTree& operator=(const CSynchronizedTree&) = delete;
  ~CSynchronizedTree() override;  // Done

  void Delete(const vtree::CAVLTreeElem* key) override;
  bool Remove(const vtree::CAVLTreeElem* key, vtree::CAVLTreeElem*& removed) override;
  bool Insert(vtree::CAVLTreeElem* elem) override;
  bool Search(const vtree::CAVLTreeElem* key, vtree::CAVLTreeElem*& found) const override;
  bool GetElemOfOrder(std::uint32_t order, vtree::CAVLTreeElem*& elem) const override;
  bool GetPrevElem(const vtree::CAVLTreeElem* elem, vtree::CAVLTreeElem*& prev) const override;
  bool GetNextElem(const vtree::CAVLTreeElem* elem, vtree::CAVLTreeElem*& next) const override;
  bool GetFirst(vtree::CAVLTreeElem*& elem) const override;
  bool GetLast(vtree::CAVLTreeElem*& elem) const override;
  void DisposeTree() override;

  void Init(TCriticalSection* shared);  // null: allocate and own a section
  void Done();                          // frees an owned section; nodes untouched
  void Enter() const;
  void Leave() const;

  TCriticalSection* section = nullptr;
  bool ownsSection = false;
};

class CSynchronizedTree2 : public vtree::CAVLTree2 {
 public:
  CSynchronizedTree2() = default;
  CSynchronizedTree2(const CSynchronizedTree2&) = delete;
  CSynchronizedTree2& operator=(const CSynchronizedTree2&) = delete;
  ~CSynchronizedTree2() override;

  void Delete1(const vtree::CAVLTreeElem2* key) override;
  bool Remove1(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& removed) override;
  void Delete2(const vtree::CAVLTreeElem2* key) override;
  bool Remove2(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& removed) override;
  bool Insert(vtree::CAVLTreeElem2* elem) override;
  bool Search1(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& found) const override;
  bool Search2(const vtree::CAVLTreeElem2* key, vtree::CAVLTreeElem2*& found) const override;
  bool GetElemOfOrder1(std::uint32_t order, vtree::CAVLTreeElem2*& elem) const override;
  bool GetElemOfOrder2(std::uint32_t order, vtree::CAVLTreeElem2*& elem) const override;
  bool GetPrevElem1(const vtree::CAVLTreeElem2* elem, vtree::CAVLTreeElem2*& prev) const override;
  bool GetPrevElem2(const vtree::CAVLTreeElem2* elem, vtree::CAVLTreeElem2*& prev) const override;
  bool GetNextElem1(const vtree::CAVLTreeElem2* elem, vtree::CAVLTreeElem2*& next) const override;
  bool GetNextElem2(const vtree::CAVLTreeElem2* elem, vtree::CAVLTreeElem2*& next) const override;
  bool GetFirst1(vtree::CAVLTreeElem2*& elem) const override;
  bool GetFirst2(vtree::CAVLTreeElem2*& elem) const override;
  bool GetLast1(vtree::CAVLTreeElem2*& elem) const override;
  bool GetLast2(vtree::CAVLTreeElem2*& elem) const override;
  void DisposeTree() override;

  void Init(TCriticalSection* shared);
  void Done();
  void Enter() const;
  void Leave() const;

  TCriticalSection* section = nullptr;
  bool ownsSection = false;
};

}  // namespace vtree_ex
