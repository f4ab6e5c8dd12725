#include "corekit/vtree_ex.h"

#include "section.h"
#include "tree_policies.h"

namespace vtree_ex {

using corekit_avl::Avl;
using corekit_avl::DisposeElement;
using vtree::CAVLTreeElem;
using vtree::CAVLTreeElem2;
using Counted = corekit_avl::TreePolicy<true>;
using Counted1 = corekit_avl::Tree2Policy<1, true>;
using Counted2 = corekit_avl::Tree2Policy<2, true>;

// ---- CAVLTreeO -------------------------------------------------------------

bool CAVLTreeO::Remove(const CAVLTreeElem* key, CAVLTreeElem*& removed) {
  if (!corekit_avl::RemoveFrom(Counted{this}, root, key, removed)) return false;
  --count;
  return true;
}

bool CAVLTreeO::Insert(CAVLTreeElem* elem) { return corekit_avl::InsertOrDispose<Counted>(this, elem); }

bool CAVLTreeO::GetElemOfOrder(std::uint32_t order, CAVLTreeElem*& elem) const {
  elem = order ? Avl<Counted>::NodeOfOrder(root, order) : nullptr;
  return elem != nullptr;
}

bool CAVLTreeO::GetOrderOfElem(const CAVLTreeElem* key, std::uint32_t& order) const {
  return key && Avl<Counted>::OrderOf(root, key, order);
}

void CAVLTreeO::iBalanceL(CAVLTreeElem*& node) { Avl<Counted>::RotateLeftHeavy(node); }
void CAVLTreeO::iBalanceR(CAVLTreeElem*& node) { Avl<Counted>::RotateRightHeavy(node); }

// ---- CAVLTreeO2 ------------------------------------------------------------

bool CAVLTreeO2::iRemove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return corekit_avl::RemoveFrom(Counted1{this}, root1, key, removed);
}

bool CAVLTreeO2::iRemove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return corekit_avl::RemoveFrom(Counted2{this}, root2, key, removed);
}

bool CAVLTreeO2::Insert(CAVLTreeElem2* elem) {
  return corekit_avl::InsertBothOrDispose<Counted1, Counted2>(this, elem);
}

bool CAVLTreeO2::GetElemOfOrder1(std::uint32_t order, CAVLTreeElem2*& elem) const {
  elem = order ? Avl<Counted1>::NodeOfOrder(root1, order) : nullptr;
  return elem != nullptr;
}

bool CAVLTreeO2::GetElemOfOrder2(std::uint32_t order, CAVLTreeElem2*& elem) const {
  elem = order ? Avl<Counted2>::NodeOfOrder(root2, order) : nullptr;
  return elem != nullptr;
}

bool CAVLTreeO2::GetOrderOfElem1(const CAVLTreeElem2* key, std::uint32_t& order) const {
  return key && Avl<Counted1>::OrderOf(root1, key, order);
}

bool CAVLTreeO2::GetOrderOfElem2(const CAVLTreeElem2* key, std::uint32_t& order) const {
  return key && Avl<Counted2>::OrderOf(root2, key, order);
}

void CAVLTreeO2::iBalanceL1(CAVLTreeElem2*& node) { Avl<Counted1>::RotateLeftHeavy(node); }
void CAVLTreeO2::iBalanceR1(CAVLTreeElem2*& node) { Avl<Counted1>::RotateRightHeavy(node); }
void CAVLTreeO2::iBalanceL2(CAVLTreeElem2*& node) { Avl<Counted2>::RotateLeftHeavy(node); }
void CAVLTreeO2::iBalanceR2(CAVLTreeElem2*& node) { Avl<Counted2>::RotateRightHeavy(node); }

// ---- CSynchronizedTree -----------------------------------------------------

using corekit_section::Locked;
using Base = vtree::CAVLTree;
using Base2 = vtree::CAVLTree2;

CSynchronizedTree::~CSynchronizedTree() { Done(); }
void CSynchronizedTree::Init(TCriticalSection* shared) { corekit_section::Init(section, ownsSection, shared); }
void CSynchronizedTree::Done() { corekit_section::Done(section, ownsSection); }
void CSynchronizedTree::Enter() const {
  if (section) section->lock();
}
void CSynchronizedTree::Leave() const {
  if (section) section->unlock();
}

void CSynchronizedTree::Delete(const CAVLTreeElem* key) {
  Locked(section, [&] { Base::Delete(key); });
}
bool CSynchronizedTree::Remove(const CAVLTreeElem* key, CAVLTreeElem*& removed) {
  return Locked(section, [&] { return Base::Remove(key, removed); });
}
bool CSynchronizedTree::Insert(CAVLTreeElem* elem) {
  return Locked(section, [&] { return Base::Insert(elem); });
}
bool CSynchronizedTree::Search(const CAVLTreeElem* key, CAVLTreeElem*& found) const {
  return Locked(section, [&] { return Base::Search(key, found); });
}
bool CSynchronizedTree::GetElemOfOrder(std::uint32_t order, CAVLTreeElem*& elem) const {
  return Locked(section, [&] { return Base::GetElemOfOrder(order, elem); });
}
bool CSynchronizedTree::GetPrevElem(const CAVLTreeElem* elem, CAVLTreeElem*& prev) const {
  return Locked(section, [&] { return Base::GetPrevElem(elem, prev); });
}
bool CSynchronizedTree::GetNextElem(const CAVLTreeElem* elem, CAVLTreeElem*& next) const {
  return Locked(section, [&] { return Base::GetNextElem(elem, next); });
}
bool CSynchronizedTree::GetFirst(CAVLTreeElem*& elem) const {
  return Locked(section, [&] { return Base::GetFirst(elem); });
}
bool CSynchronizedTree::GetLast(CAVLTreeElem*& elem) const {
  return Locked(section, [&] { return Base::GetLast(elem); });
}
void CSynchronizedTree::DisposeTree() {
  Locked(section, [&] { Base::DisposeTree(); });
}

// ---- CSynchronizedTree2 ----------------------------------------------------

CSynchronizedTree2::~CSynchronizedTree2() { Done(); }
void CSynchronizedTree2::Init(TCriticalSection* shared) { corekit_section::Init(section, ownsSection, shared); }
void CSynchronizedTree2::Done() { corekit_section::Done(section, ownsSection); }
void CSynchronizedTree2::Enter() const {
  if (section) section->lock();
}
void CSynchronizedTree2::Leave() const {
  if (section) section->unlock();
}

void CSynchronizedTree2::Delete1(const CAVLTreeElem2* key) {
  Locked(section, [&] { Base2::Delete1(key); });
}
bool CSynchronizedTree2::Remove1(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return Locked(section, [&] { return Base2::Remove1(key, removed); });
}
void CSynchronizedTree2::Delete2(const CAVLTreeElem2* key) {
  Locked(section, [&] { Base2::Delete2(key); });
}
bool CSynchronizedTree2::Remove2(const CAVLTreeElem2* key, CAVLTreeElem2*& removed) {
  return Locked(section, [&] { return Base2::Remove2(key, removed); });
}
bool CSynchronizedTree2::Insert(CAVLTreeElem2* elem) {
  return Locked(section, [&] { return Base2::Insert(elem); });
}
bool CSynchronizedTree2::Search1(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const {
  return Locked(section, [&] { return Base2::Search1(key, found); });
}
bool CSynchronizedTree2::Search2(const CAVLTreeElem2* key, CAVLTreeElem2*& found) const {
  return Locked(section, [&] { return Base2::Search2(key, found); });
}
bool CSynchronizedTree2::GetElemOfOrder1(std::uint32_t order, CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetElemOfOrder1(order, elem); });
}
bool CSynchronizedTree2::GetElemOfOrder2(std::uint32_t order, CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetElemOfOrder2(order, elem); });
}
bool CSynchronizedTree2::GetPrevElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const {
  return Locked(section, [&] { return Base2::GetPrevElem1(elem, prev); });
}
bool CSynchronizedTree2::GetPrevElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& prev) const {
  return Locked(section, [&] { return Base2::GetPrevElem2(elem, prev); });
}
bool CSynchronizedTree2::GetNextElem1(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const {
  return Locked(section, [&] { return Base2::GetNextElem1(elem, next); });
}
bool CSynchronizedTree2::GetNextElem2(const CAVLTreeElem2* elem, CAVLTreeElem2*& next) const {
  return Locked(section, [&] { return Base2::GetNextElem2(elem, next); });
}
bool CSynchronizedTree2::GetFirst1(CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetFirst1(elem); });
}
bool CSynchronizedTree2::GetFirst2(CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetFirst2(elem); });
}
bool CSynchronizedTree2::GetLast1(CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetLast1(elem); });
}
bool CSynchronizedTree2::GetLast2(CAVLTreeElem2*& elem) const {
  return Locked(section, [&] { return Base2::GetLast2(elem); });
}
void CSynchronizedTree2::DisposeTree() {
  Locked(section, [&] { Base2::DisposeTree(); });
}

}  // namespace vtree_ex
