// Policies binding the AVL algorithms to the tree classes' fields and slots.
#pragma once

#include "avl.h"
#include "corekit/vtree.h"
#include "corekit/vtree_ex.h"

namespace corekit_avl {

using vtree::CAVLTreeElem;
using vtree::CAVLTreeElem2;

template <bool Counted>
struct TreePolicy {
  using Node = CAVLTreeElem;
  static constexpr bool counted = Counted;
  vtree::CAVLTree* tree;

  static Node*& L(Node* n) { return n->left; }
  static Node*& R(Node* n) { return n->right; }
  static Node* L(const Node* n) { return n->left; }
  static Node* R(const Node* n) { return n->right; }
  static std::int32_t& B(Node* n) { return n->balance; }
  static std::uint32_t& D(Node* n) { return static_cast<vtree_ex::CAVLTreeElemO*>(n)->descendants; }
  static std::uint32_t D(const Node* n) { return static_cast<const vtree_ex::CAVLTreeElemO*>(n)->descendants; }
  static int Cmp(const Node* key, const Node* node) { return key->Compare(node); }
  void BalanceL(Node*& link) { tree->iBalanceL(link); }
  void BalanceR(Node*& link) { tree->iBalanceR(link); }
};

template <int Which, bool Counted>
struct Tree2Policy {
  using Node = CAVLTreeElem2;
  static constexpr bool counted = Counted;
  vtree::CAVLTree2* tree;

  static Node*& L(Node* n) { return Which == 1 ? n->left1 : n->left2; }
  static Node*& R(Node* n) { return Which == 1 ? n->right1 : n->right2; }
  static Node* L(const Node* n) { return Which == 1 ? n->left1 : n->left2; }
  static Node* R(const Node* n) { return Which == 1 ? n->right1 : n->right2; }
  static std::int32_t& B(Node* n) { return Which == 1 ? n->balance1 : n->balance2; }
  static std::uint32_t& D(Node* n) {
    auto* o = static_cast<vtree_ex::CAVLTreeElemO2*>(n);
    return Which == 1 ? o->descendants1 : o->descendants2;
  }
  static std::uint32_t D(const Node* n) {
    auto* o = static_cast<const vtree_ex::CAVLTreeElemO2*>(n);
    return Which == 1 ? o->descendants1 : o->descendants2;
  }
  static int Cmp(const Node* key, const Node* node) { return Which == 1 ? key->Compare1(node) : key->Compare2(node); }
  void BalanceL(Node*& link) { Which == 1 ? tree->iBalanceL1(link) : tree->iBalanceL2(link); }
  void BalanceR(Node*& link) { Which == 1 ? tree->iBalanceR1(link) : tree->iBalanceR2(link); }
};

// Done, then the element goes back to the heap.
template <class N>
void DisposeElement(N* e) {
  e->Done();
  delete e;
}

// Unlinks the node matching key from one ordering.
template <class P>
bool RemoveFrom(P p, typename P::Node*& root, const typename P::Node* key, typename P::Node*& removed) {
  removed = nullptr;
  bool shrunk = false;
  return Avl<P>::Remove(p, root, key, removed, shrunk);
}

// Inserts into one tree; a duplicate is disposed.
template <class P, class Tree>
bool InsertOrDispose(Tree* tree, typename P::Node* elem) {
  if (!elem) return false;
  bool grew = false;
  P p{tree};
  if (!Avl<P>::Insert(p, tree->root, elem, grew)) {
    DisposeElement(elem);
    return false;
  }
  ++tree->count;
  return true;
}

// Inserts into both orderings; an element that is a duplicate in the second
// only is taken out of the first again before it is disposed.
template <class P1, class P2, class Tree>
bool InsertBothOrDispose(Tree* tree, CAVLTreeElem2* elem) {
  if (!elem) return false;
  bool grew = false;
  P1 p1{tree};
  if (!Avl<P1>::Insert(p1, tree->root1, elem, grew)) {
    DisposeElement(elem);
    return false;
  }
  P2 p2{tree};
  if (!Avl<P2>::Insert(p2, tree->root2, elem, grew)) {
    CAVLTreeElem2* same = nullptr;
    RemoveFrom(p1, tree->root1, elem, same);
    DisposeElement(elem);
    return false;
  }
  ++tree->count;
  return true;
}

}  // namespace corekit_avl
