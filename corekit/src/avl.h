// The AVL algorithms shared by all tree classes. A policy P names the link
// fields of one ordering, its comparison, its (virtual) rebalancing slots and
// whether the nodes count their descendants.
#pragma once

#include <cstdint>

namespace corekit_avl {

template <class P>
struct Avl {
  using N = typename P::Node;

  static std::uint32_t Size(const N* n) {
    if constexpr (P::counted) return n ? P::D(n) + 1 : 0;
    else return 0;
  }

  static void Recount(N* n) {
    if constexpr (P::counted) P::D(n) = Size(P::L(n)) + Size(P::R(n));
  }

  // The rotation of a left-heavy node; also handles a balanced left child
  // (which only happens during removal).
  static void RotateLeftHeavy(N*& link) {
    N* a = link;
    N* b = P::L(a);
    if (P::B(b) != 1) {
      P::L(a) = P::R(b);
      P::R(b) = a;
      if (P::B(b) == -1) {
        P::B(a) = 0;
        P::B(b) = 0;
      } else {
        P::B(b) = 1;
        P::B(a) = -1;
      }
      Recount(a);
      Recount(b);
      link = b;
      return;
    }
    N* c = P::R(b);
    P::R(b) = P::L(c);
    P::L(a) = P::R(c);
    P::L(c) = b;
    P::R(c) = a;
    P::B(a) = P::B(c) == -1 ? 1 : 0;
    P::B(b) = P::B(c) == 1 ? -1 : 0;
    P::B(c) = 0;
    Recount(a);
    Recount(b);
    Recount(c);
    link = c;
  }

  static void RotateRightHeavy(N*& link) {
    N* a = link;
    N* b = P::R(a);
    if (P::B(b) != -1) {
      P::R(a) = P::L(b);
      P::L(b) = a;
      if (P::B(b) == 1) {
        P::B(a) = 0;
        P::B(b) = 0;
      } else {
        P::B(b) = -1;
        P::B(a) = 1;
      }
      Recount(a);
      Recount(b);
      link = b;
      return;
    }
    N* c = P::L(b);
    P::L(b) = P::R(c);
    P::R(a) = P::L(c);
    P::R(c) = b;
    P::L(c) = a;
    P::B(a) = P::B(c) == 1 ? -1 : 0;
    P::B(b) = P::B(c) == -1 ? 1 : 0;
    P::B(c) = 0;
    Recount(a);
    Recount(b);
    Recount(c);
    link = c;
  }

  // Inserts elem below link; false for a duplicate (tree unchanged).
  static bool Insert(P& p, N*& link, N* elem, bool& grew) {
    if (!link) {
      P::L(elem) = nullptr;
      P::R(elem) = nullptr;
      P::B(elem) = 0;
      if constexpr (P::counted) P::D(elem) = 0;
      link = elem;
      grew = true;
      return true;
    }
    const int c = P::Cmp(elem, link);
    if (c == -1) {
      if (!Insert(p, P::L(link), elem, grew)) return false;
      if constexpr (P::counted) ++P::D(link);
      if (grew) {
        if (P::B(link) == 1) {
          P::B(link) = 0;
          grew = false;
        } else if (P::B(link) == 0) P::B(link) = -1;
        else {
          p.BalanceL(link);
          grew = false;
        }
      }
      return true;
    }
    if (c == 1) {
      if (!Insert(p, P::R(link), elem, grew)) return false;
      if constexpr (P::counted) ++P::D(link);
      if (grew) {
        if (P::B(link) == -1) {
          P::B(link) = 0;
          grew = false;
        } else if (P::B(link) == 0) P::B(link) = 1;
        else {
          p.BalanceR(link);
          grew = false;
        }
      }
      return true;
    }
    return false;
  }

  // After the left subtree of link shrank; true when link's subtree shrank.
  static bool RemoveBalanceL(P& p, N*& link) {
    if (P::B(link) == -1) {
      P::B(link) = 0;
      return true;
    }
    if (P::B(link) == 0) {
      P::B(link) = 1;
      return false;
    }
    const bool childBalanced = P::B(P::R(link)) == 0;
    p.BalanceR(link);
    return !childBalanced;
  }

  static bool RemoveBalanceR(P& p, N*& link) {
    if (P::B(link) == 1) {
      P::B(link) = 0;
      return true;
    }
    if (P::B(link) == 0) {
      P::B(link) = -1;
      return false;
    }
    const bool childBalanced = P::B(P::L(link)) == 0;
    p.BalanceL(link);
    return !childBalanced;
  }

  // Unlinks the rightmost node below link; true when that subtree shrank.
  static bool FindPredecessor(P& p, N*& link, N*& pred) {
    if (P::R(link)) {
      if constexpr (P::counted) --P::D(link);
      return FindPredecessor(p, P::R(link), pred) && RemoveBalanceR(p, link);
    }
    pred = link;
    link = P::L(link);
    return true;
  }

  static bool Remove(P& p, N*& link, const N* key, N*& removed, bool& shrunk) {
    if (!link) return false;
    const int c = P::Cmp(key, link);
    if (c == -1 || c == 1) {
      const bool left = c == -1;
      if (!Remove(p, left ? P::L(link) : P::R(link), key, removed, shrunk)) return false;
      if constexpr (P::counted) --P::D(link);
      if (shrunk) shrunk = left ? RemoveBalanceL(p, link) : RemoveBalanceR(p, link);
      return true;
    }
    N* n = link;
    removed = n;
    if (!P::L(n)) {
      link = P::R(n);
      shrunk = true;
    } else if (!P::R(n)) {
      link = P::L(n);
      shrunk = true;
    } else {
      N* pred = nullptr;
      const bool leftShrunk = FindPredecessor(p, P::L(n), pred);
      P::L(pred) = P::L(n);
      P::R(pred) = P::R(n);
      P::B(pred) = P::B(n);
      if constexpr (P::counted) P::D(pred) = P::D(n) - 1;
      link = pred;
      shrunk = leftShrunk && RemoveBalanceL(p, link);
    }
    P::L(n) = nullptr;
    P::R(n) = nullptr;
    P::B(n) = 0;
    if constexpr (P::counted) P::D(n) = 0;
    return true;
  }

  static N* Search(N* node, const N* key) {
    while (node) {
      const int c = P::Cmp(key, node);
      if (c == 0) return node;
      if (c == 1) node = P::R(node);
      else if (c == -1) node = P::L(node);
      else return nullptr;
    }
    return nullptr;
  }

  static N* Leftmost(N* n) {
    while (n && P::L(n)) n = P::L(n);
    return n;
  }

  static N* Rightmost(N* n) {
    while (n && P::R(n)) n = P::R(n);
    return n;
  }

  static N* Next(N* root, const N* elem) {
    if (!elem) return nullptr;
    if (P::R(elem)) return Leftmost(P::R(elem));
    N* best = nullptr;
    for (N* n = root; n;) {
      const int c = P::Cmp(elem, n);
      if (c < 0) {
        best = n;
        n = P::L(n);
      } else if (c > 0) n = P::R(n);
      else break;
    }
    return best;
  }

  static N* Prev(N* root, const N* elem) {
    if (!elem) return nullptr;
    if (P::L(elem)) return Rightmost(P::L(elem));
    N* best = nullptr;
    for (N* n = root; n;) {
      const int c = P::Cmp(elem, n);
      if (c > 0) {
        best = n;
        n = P::R(n);
      } else if (c < 0) n = P::L(n);
      else break;
    }
    return best;
  }

  // In-order walk to the order-th node (1-based), without counts.
  static N* WalkToOrder(N* n, std::uint32_t& order) {
    if (!n) return nullptr;
    if (N* hit = WalkToOrder(P::L(n), order)) return hit;
    if (--order == 0) return n;
    return WalkToOrder(P::R(n), order);
  }

  // Descent by the descendant counts.
  static N* NodeOfOrder(N* n, std::uint32_t order) {
    while (n) {
      const std::uint32_t s = Size(P::L(n));
      if (order <= s) n = P::L(n);
      else if (order == s + 1) return n;
      else {
        order -= s + 1;
        n = P::R(n);
      }
    }
    return nullptr;
  }

  static bool OrderOf(N* n, const N* key, std::uint32_t& order) {
    std::uint32_t passed = 0;
    while (n) {
      const int c = P::Cmp(key, n);
      if (c == 0) {
        order = passed + Size(P::L(n)) + 1;
        return true;
      }
      if (c == 1) {
        passed += Size(P::L(n)) + 1;
        n = P::R(n);
      } else if (c == -1) n = P::L(n);
      else return false;
    }
    return false;
  }

  // Post-order: left subtree, right subtree, then the node itself.
  template <class Release>
  static void Dispose(N* n, Release release) {
    if (!n) return;
    Dispose(P::L(n), release);
    Dispose(P::R(n), release);
    release(n);
  }
};

}  // namespace corekit_avl
