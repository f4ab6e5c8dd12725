#include "corekit/vtree.h"

#include "heap.h"
#include "tree_policies.h"

namespace vtree {

using corekit_avl::Avl;
using corekit_avl::DisposeElement;
using Plain = corekit_avl::TreePolicy<false>;
using Plain1 = corekit_avl::Tree2Policy<1, false>;
using Plain2 = corekit_avl::Tree2Policy<2, false>;

// ---- elements --------------------------------------------------------------

int CAVLTreeElem::Compare(const CAVLTreeElem*) const { return 0; }
void CAVLTreeElem::Done() {}
CAVLTreeElem::~CAVLTreeElem() = default;
void* CAVLTreeElem::operator new(std::size_t size) { return corekit_heap::Allocate(size); }
void CAVLTreeElem::operator delete(void* block) noexcept { corekit_heap::Release(block); }

int CAVLTreeElem2::Compare1(const CAVLTreeElem2*) const { return 0; }
int CAVLTreeElem2::Compare2(const CAVLTreeElem2*) const { return 0; }
void CAVLTreeElem2::Done() {}
CAVLTreeElem2::~CAVLTreeElem2() = default;
void* CAVLTreeElem2::operator new(std::size_t size) { return corekit_heap::Allocate(size); }
void CAVLTreeElem2::operator delete(void* block) noexcept { corekit_heap::Release(block); }

// ---- CAVLTree --------------------------------------------------------------

CAVLTree::~CAVLTree() = default;

void CAVLTree::Delete(const CAVLTreeElem* key) {
  CAVLTreeElem* removed = nullptr;
  if (Remove(key, removed)) DisposeElement(removed);
}

bool CAVLTree::Remove(const CAVLTreeElem* key, CAVLTreeElem*& removed) {
  if (!corekit_avl::RemoveFrom(Plain{this}, root, key, removed)) return false;
  --count;
  return true;
}

bool CAVLTree::Insert(CAVLTreeElem* elem) { return corekit_avl::InsertOrDispose<Plain>(this, elem); }

bool CAVLTree::Search(const CAVLTreeElem* key, CAVLTreeElem*& found) const {
  found = key ? Avl<Plain>::Search(root, key) : nullptr;
  return found != nullptr;
}

bool CAVLTree::GetElemOfOrder(std::uint32_t order, CAVLTreeElem*& elem) const {
  elem = nullptr;
  if (order == 0 || order > count) return false;
  elem = Avl<Plain>::WalkToOrder(root, order);
  return elem != nullptr;
}

bool CAVLTree::GetPrevElem(const CAVLTreeElem* elem, CAVLTreeElem*& prev) const {
  prev = Avl<Plain>::Prev(root, elem);
  return prev != nullptr;
}

bool CAVLTree::GetNextElem(const CAVLTreeElem* elem, CAVLTreeElem*& next) const {
  next = Avl<Plain>::Next(root, elem);
  return next != nullptr;
}

bool CAVLTree::GetFirst(CAVLTreeElem*& elem) const {
  elem = Avl<Plain>::Leftmost(root);
  return elem != nullptr;
}

bool CAVLTree::GetLast(CAVLTreeElem*& elem) const {
  elem = Avl<Plain>::Rightmost(root);
  return elem != nullptr;
}

void CAVLTree::DisposeTree() {
  Avl<Plain>::Dispose(root, DisposeElement<CAVLTreeElem>);
  root = nullptr;
  count = 0;
}

void CAVLTree::iBalanceL(CAVLTreeElem*& node) { Avl<Plain>::RotateLeftHeavy(node); }
void CAVLTree::iBalanceR(CAVLTreeElem*& node) { Avl<Plain>::RotateRightHeavy(node); }

bool CAVLTree::iFindPredecessor(CAVLTreeElem*& link, CAVLTreeElem*& pred) {
  Plain p{this};
  return Avl<Plain>::FindPredecessor(p, link, pred);
}

bool CAVLTree::iRemoveBalanceL(CAVLTreeElem*& node) {
  Plain p{this};
  return Avl<Plain>::RemoveBalanceL(p, node);
}

bool CAVLTree::iRemoveBalanceR(CAVLTreeElem*& node) {
  Plain p{this};
  return Avl<Plain>::RemoveBalanceR(p, node);
}

// ---- CAVLTree2 -------------------------------------------------------------

CAVLTree2::~CAVLTree2() = default;

bool CAVLTree2::iRemove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return corekit_avl::RemoveFrom(Plain1{this}, root1, key, removed);
}

bool CAVLTree2::iRemove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return corekit_avl::RemoveFrom(Plain2{this}, root2, key, removed);
}

bool CAVLTree2::Remove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  if (!iRemove1(key, removed)) return false;
  CAVLTreeElem2* same = nullptr;
  iRemove2(removed, same);
  --count;
  return true;
}

bool CAVLTree2::Remove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  if (!iRemove2(key, removed)) return false;
  CAVLTreeElem2* same = nullptr;
  iRemove1(removed, same);
  --count;
  return true;
}

void CAVLTree2::Delete1(const CAVLTreeElem2* key) {
  CAVLTreeElem2* removed = nullptr;
  if (Remove1(key, removed)) DisposeElement(removed);
}

void CAVLTree2::Delete2(const CAVLTreeElem2* key) {
  CAVLTreeElem2* removed = nullptr;
  if (Remove2(key, removed)) DisposeElement(removed);
}

bool CAVLTree2::Insert(CAVLTreeElem2* elem) { return corekit_avl::InsertBothOrDispose<Plain1, Plain2>(this, elem); }

bool CAVLTree2::Search1(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const {
  found = key ? Avl<Plain1>::Search(root1, key) : nullptr;
  return found != nullptr;
}

bool CAVLTree2::Search2(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const {
  found = key ? Avl<Plain2>::Search(root2, key) : nullptr;
  return found != nullptr;
}

bool CAVLTree2::GetElemOfOrder1(std::uint32_t order, CAVLTreeElem2*& elem) const {
  elem = nullptr;
  if (order == 0 || order > count) return false;
  elem = Avl<Plain1>::WalkToOrder(root1, order);
  return elem != nullptr;
}

bool CAVLTree2::GetElemOfOrder2(std::uint32_t order, CAVLTreeElem2*& elem) const {
  elem = nullptr;
  if (order == 0 || order > count) return false;
  elem = Avl<Plain2>::WalkToOrder(root2, order);
  return elem != nullptr;
}

bool CAVLTree2::GetPrevElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const {
  prev = Avl<Plain1>::Prev(root1, elem);
  return prev != nullptr;
}

bool CAVLTree2::GetPrevElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const {
  prev = Avl<Plain2>::Prev(root2, elem);
  return prev != nullptr;
}

bool CAVLTree2::GetNextElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const {
  next = Avl<Plain1>::Next(root1, elem);
  return next != nullptr;
}

bool CAVLTree2::GetNextElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const {
  next = Avl<Plain2>::Next(root2, elem);
  return next != nullptr;
}

bool CAVLTree2::GetFirst1(CAVLTreeElem2*& elem) const {
  elem = Avl<Plain1>::Leftmost(root1);
  return elem != nullptr;
}

bool CAVLTree2::GetFirst2(CAVLTreeElem2*& elem) const {
  elem = Avl<Plain2>::Leftmost(root2);
  return elem != nullptr;
}

bool CAVLTree2::GetLast1(CAVLTreeElem2*& elem) const {
  elem = Avl<Plain1>::Rightmost(root1);
  return elem != nullptr;
}

bool CAVLTree2::GetLast2(CAVLTreeElem2*& elem) const {
  elem = Avl<Plain2>::Rightmost(root2);
  return elem != nullptr;
}

void CAVLTree2::DisposeTree() {
  Avl<Plain1>::Dispose(root1, DisposeElement<CAVLTreeElem2>);
  root1 = nullptr;
  root2 = nullptr;
  count = 0;
}

void CAVLTree2::iBalanceL1(CAVLTreeElem2*& node) { Avl<Plain1>::RotateLeftHeavy(node); }
void CAVLTree2::iBalanceR1(CAVLTreeElem2*& node) { Avl<Plain1>::RotateRightHeavy(node); }
void CAVLTree2::iBalanceL2(CAVLTreeElem2*& node) { Avl<Plain2>::RotateLeftHeavy(node); }
void CAVLTree2::iBalanceR2(CAVLTreeElem2*& node) { Avl<Plain2>::RotateRightHeavy(node); }

}  // namespace vtree
