// AVL trees under long random sequences, checked against std::set.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "corekit/vtree.h"
#include "corekit/vtree_ex.h"

namespace {

int Sign(int d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

int liveElements = 0;  // constructed minus destroyed
int doneCalls = 0;

struct Tracked {
  Tracked() { ++liveElements; }
  ~Tracked() { --liveElements; }
};

struct Elem : vtree_ex::CAVLTreeElemO, Tracked {
  explicit Elem(int k) : key(k) {}
  int Compare(const vtree::CAVLTreeElem* o) const override { return Sign(key - static_cast<const Elem*>(o)->key); }
  void Done() override { ++doneCalls; }
  int key;
};

// Second ordering: descending by a scrambled key, unique as long as key is.
int Scramble(int k) { return (k * 7919) % 100003; }

struct Elem2 : vtree_ex::CAVLTreeElemO2, Tracked {
  explicit Elem2(int k) : key(k) {}
  int Compare1(const vtree::CAVLTreeElem2* o) const override { return Sign(key - static_cast<const Elem2*>(o)->key); }
  int Compare2(const vtree::CAVLTreeElem2* o) const override {
    return Sign(Scramble(static_cast<const Elem2*>(o)->key) - Scramble(key));
  }
  void Done() override { ++doneCalls; }
  int key;
};

// Checks links, balance factors and descendant counts below n; returns the height.
template <class N, class L, class R, class B, class D>
int CheckSubtree(const N* n, std::vector<const N*>& inOrder, L left, R right, B bal, D desc, bool counted,
                 std::uint32_t& size) {
  if (!n) {
    size = 0;
    return 0;
  }
  std::uint32_t ls = 0, rs = 0;
  const int hl = CheckSubtree(left(n), inOrder, left, right, bal, desc, counted, ls);
  inOrder.push_back(n);
  const int hr = CheckSubtree(right(n), inOrder, left, right, bal, desc, counted, rs);
  EXPECT_EQ(bal(n), hr - hl);
  EXPECT_LE(std::abs(hr - hl), 1);
  if (counted) {
    EXPECT_EQ(desc(n), ls + rs);
  }
  size = ls + rs + 1;
  return std::max(hl, hr) + 1;
}

void CheckTree(const vtree::CAVLTree& t, const std::set<int>& ref, bool counted) {
  std::vector<const vtree::CAVLTreeElem*> nodes;
  std::uint32_t size = 0;
  CheckSubtree<vtree::CAVLTreeElem>(
      t.root, nodes, [](auto* n) { return n->left; }, [](auto* n) { return n->right; },
      [](auto* n) { return n->balance; }, [](auto* n) { return static_cast<const Elem*>(n)->descendants; }, counted,
      size);
  ASSERT_EQ(t.count, ref.size());
  ASSERT_EQ(nodes.size(), ref.size());
  auto it = ref.begin();
  for (auto* n : nodes) EXPECT_EQ(static_cast<const Elem*>(n)->key, *it++);
}

struct TreeCase {
  bool counted;
  const char* name;
};

class TreeRandom : public ::testing::TestWithParam<TreeCase> {};

TEST_P(TreeRandom, MatchesReferenceSetUnderRandomOperations) {
  vtree::CAVLTree plain;
  vtree_ex::CAVLTreeO ordered;
  vtree::CAVLTree& t = GetParam().counted ? static_cast<vtree::CAVLTree&>(ordered) : plain;
  std::set<int> ref;
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> keyDist(0, 400);
  doneCalls = 0;
  const int liveBefore = liveElements;
  int expectedDone = 0;

  for (int step = 0; step < 20000; ++step) {
    const int key = keyDist(rng);
    const int op = static_cast<int>(rng() % 10);
    Elem probe(key);
    if (op < 5) {
      const bool fresh = ref.insert(key).second;
      EXPECT_EQ(t.Insert(new Elem(key)), fresh);
      if (!fresh) ++expectedDone;  // the duplicate was disposed
    } else if (op < 7) {
      vtree::CAVLTreeElem* removed = nullptr;
      const bool present = ref.erase(key) > 0;
      ASSERT_EQ(t.Remove(&probe, removed), present);
      if (present) {
        EXPECT_EQ(static_cast<Elem*>(removed)->key, key);
        delete removed;
      }
    } else if (op < 8) {
      const bool present = ref.erase(key) > 0;
      t.Delete(&probe);
      if (present) ++expectedDone;
    } else {
      vtree::CAVLTreeElem* found = nullptr;
      const bool present = ref.count(key) > 0;
      ASSERT_EQ(t.Search(&probe, found), present);
      if (present) {
        EXPECT_EQ(static_cast<Elem*>(found)->key, key);
      }
      auto next = ref.upper_bound(key);
      vtree::CAVLTreeElem* neighbour = nullptr;
      if (present) {
        ASSERT_EQ(t.GetNextElem(found, neighbour), next != ref.end());
        if (next != ref.end()) {
          EXPECT_EQ(static_cast<Elem*>(neighbour)->key, *next);
        }
        auto it = ref.find(key);
        ASSERT_EQ(t.GetPrevElem(found, neighbour), it != ref.begin());
        if (it != ref.begin()) {
          EXPECT_EQ(static_cast<Elem*>(neighbour)->key, *std::prev(it));
        }
      }
    }
    if (step % 500 == 0) CheckTree(t, ref, GetParam().counted);
  }
  CheckTree(t, ref, GetParam().counted);
  EXPECT_EQ(doneCalls, expectedDone);

  // Positions both ways, and the ends.
  std::uint32_t pos = 1;
  for (int key : ref) {
    vtree::CAVLTreeElem* e = nullptr;
    ASSERT_TRUE(t.GetElemOfOrder(pos, e));
    EXPECT_EQ(static_cast<Elem*>(e)->key, key);
    if (GetParam().counted) {
      Elem probe(key);
      std::uint32_t order = 0;
      ASSERT_TRUE(ordered.GetOrderOfElem(&probe, order));
      EXPECT_EQ(order, pos);
    }
    ++pos;
  }
  vtree::CAVLTreeElem* e = nullptr;
  EXPECT_FALSE(t.GetElemOfOrder(0, e));
  EXPECT_FALSE(t.GetElemOfOrder(t.count + 1, e));
  ASSERT_TRUE(t.GetFirst(e));
  EXPECT_EQ(static_cast<Elem*>(e)->key, *ref.begin());
  ASSERT_TRUE(t.GetLast(e));
  EXPECT_EQ(static_cast<Elem*>(e)->key, *ref.rbegin());

  doneCalls = 0;
  const auto n = static_cast<int>(t.count);
  t.DisposeTree();
  EXPECT_EQ(doneCalls, n);
  EXPECT_EQ(t.root, nullptr);
  EXPECT_EQ(t.count, 0u);
  EXPECT_EQ(liveElements, liveBefore);
}

INSTANTIATE_TEST_SUITE_P(Trees, TreeRandom,
                         ::testing::Values(TreeCase{false, "Plain"}, TreeCase{true, "OrderStatistic"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Tree, NonStandardComparisonCountsAsDuplicateAndEndsSearch) {
  struct Odd : vtree::CAVLTreeElem {
    int Compare(const vtree::CAVLTreeElem*) const override { return 2; }
  };
  vtree::CAVLTree t;
  ASSERT_TRUE(t.Insert(new Odd));
  EXPECT_FALSE(t.Insert(new Odd));  // disposed, not linked
  EXPECT_EQ(t.count, 1u);
  Odd probe;
  vtree::CAVLTreeElem* found = reinterpret_cast<vtree::CAVLTreeElem*>(1);
  EXPECT_FALSE(t.Search(&probe, found));
  EXPECT_EQ(found, nullptr);
  t.DisposeTree();
  t.DisposeTree();  // empty: only resets
  EXPECT_EQ(t.count, 0u);
}

class Tree2Random : public ::testing::TestWithParam<bool> {};

TEST_P(Tree2Random, BothOrderingsMatchReference) {
  vtree::CAVLTree2 plain;
  vtree_ex::CAVLTreeO2 ordered;
  const bool counted = GetParam();
  vtree::CAVLTree2& t = counted ? static_cast<vtree::CAVLTree2&>(ordered) : plain;
  std::set<int> ref;
  std::mt19937 rng(777);
  const int liveBefore = liveElements;
  for (int step = 0; step < 8000; ++step) {
    const int key = static_cast<int>(rng() % 300);
    Elem2 probe(key);
    switch (rng() % 4) {
      case 0:
      case 1: EXPECT_EQ(t.Insert(new Elem2(key)), ref.insert(key).second); break;
      case 2: {
        vtree::CAVLTreeElem2* removed = nullptr;
        const bool present = ref.erase(key) > 0;
        ASSERT_EQ(t.Remove2(&probe, removed), present);
        delete removed;
        break;
      }
      default: ref.erase(key); t.Delete1(&probe);
    }
  }
  ASSERT_EQ(t.count, ref.size());
  std::vector<int> second(ref.begin(), ref.end());
  std::sort(second.begin(), second.end(), [](int a, int b) { return Scramble(a) > Scramble(b); });
  std::vector<const vtree::CAVLTreeElem2*> n1, n2;
  std::uint32_t size = 0;
  auto desc1 = [](auto* n) { return static_cast<const Elem2*>(n)->descendants1; };
  auto desc2 = [](auto* n) { return static_cast<const Elem2*>(n)->descendants2; };
  CheckSubtree<vtree::CAVLTreeElem2>(
      t.root1, n1, [](auto* n) { return n->left1; }, [](auto* n) { return n->right1; },
      [](auto* n) { return n->balance1; }, desc1, counted, size);
  CheckSubtree<vtree::CAVLTreeElem2>(
      t.root2, n2, [](auto* n) { return n->left2; }, [](auto* n) { return n->right2; },
      [](auto* n) { return n->balance2; }, desc2, counted, size);
  ASSERT_EQ(n1.size(), ref.size());
  ASSERT_EQ(n2.size(), ref.size());
  auto it = ref.begin();
  for (std::size_t i = 0; i < n1.size(); ++i, ++it) {
    EXPECT_EQ(static_cast<const Elem2*>(n1[i])->key, *it);
    EXPECT_EQ(static_cast<const Elem2*>(n2[i])->key, second[i]);
    vtree::CAVLTreeElem2* e = nullptr;
    ASSERT_TRUE(t.GetElemOfOrder2(static_cast<std::uint32_t>(i + 1), e));
    EXPECT_EQ(static_cast<Elem2*>(e)->key, second[i]);
    if (counted) {
      std::uint32_t order = 0;
      ASSERT_TRUE(ordered.GetOrderOfElem2(n2[i], order));
      EXPECT_EQ(order, i + 1);
    }
  }
  t.DisposeTree();
  EXPECT_EQ(liveElements, liveBefore);
}

INSTANTIATE_TEST_SUITE_P(Trees2, Tree2Random, ::testing::Bool());

TEST(Tree2, DuplicateInSecondOrderingOnlyLeavesTreeIntact) {
  struct Pair : vtree::CAVLTreeElem2 {
    Pair(int a, int b) : first(a), second(b) {}
    int Compare1(const vtree::CAVLTreeElem2* o) const override {
      return Sign(first - static_cast<const Pair*>(o)->first);
    }
    int Compare2(const vtree::CAVLTreeElem2* o) const override {
      return Sign(second - static_cast<const Pair*>(o)->second);
    }
    int first, second;
  };
  vtree::CAVLTree2 t;
  ASSERT_TRUE(t.Insert(new Pair(1, 10)));
  ASSERT_TRUE(t.Insert(new Pair(2, 20)));
  EXPECT_FALSE(t.Insert(new Pair(3, 10)));
  EXPECT_EQ(t.count, 2u);
  Pair probe(3, 0);
  vtree::CAVLTreeElem2* found = nullptr;
  EXPECT_FALSE(t.Search1(&probe, found));
  vtree::CAVLTreeElem2* last = nullptr;
  ASSERT_TRUE(t.GetLast1(last));
  EXPECT_EQ(static_cast<Pair*>(last)->first, 2);
  t.DisposeTree();
}

TEST(SynchronizedTree, ReentrantSectionAroundWalk) {
  vtree_ex::CSynchronizedTree t;
  t.Init(nullptr);
  ASSERT_TRUE(t.ownsSection);
  for (int k : {5, 3, 8}) t.Insert(new Elem(k));
  t.Enter();  // a walk holds the section; calls inside re-enter it
  vtree::CAVLTreeElem* e = nullptr;
  std::vector<int> keys;
  for (bool ok = t.GetFirst(e); ok; ok = t.GetNextElem(e, e)) keys.push_back(static_cast<Elem*>(e)->key);
  t.Leave();
  EXPECT_EQ(keys, (std::vector<int>{3, 5, 8}));
  t.DisposeTree();
  t.Done();
  EXPECT_EQ(t.section, nullptr);
  EXPECT_FALSE(t.ownsSection);
}

}  // namespace
