// Lists with their cursor, synchronised lists across threads, array heap.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "corekit/vdarray.h"
#include "corekit/vlist.h"
#include "corekit/vlist_ex.h"

namespace {

struct Item : vlist::CListElem {
  explicit Item(int v) : value(v) {}
  int value;
};

std::vector<int> Values(vlist::CList& l) {
  std::vector<int> out;
  vlist::CListElem* e = nullptr;
  for (bool ok = l.GetFirst(e); ok; ok = l.GetNext(e)) out.push_back(static_cast<Item*>(e)->value);
  return out;
}

TEST(List, CursorRulesOfInsertRemoveAndNavigation) {
  vlist::CList l;
  l.Append(nullptr);
  l.InsertBefore(nullptr);
  l.AppendList(nullptr);
  EXPECT_TRUE(l.Empty());
  Item* a = new Item(1);
  Item* c = new Item(3);
  l.Append(a);
  l.Append(c);
  ASSERT_TRUE(l.Find(c));
  l.InsertBefore(new Item(2));  // walks to the predecessor
  l.Find(a);
  l.InsertBefore(new Item(0));  // new first
  EXPECT_EQ(Values(l), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(l.count, 4u);

  vlist::CListElem* e = nullptr;
  EXPECT_FALSE(l.GetNext(e));  // past the end the cursor is cleared...
  EXPECT_FALSE(l.GetNext(e));  // ...and stays cleared
  l.Remove();                  // no active element: nothing
  EXPECT_EQ(l.count, 4u);

  ASSERT_TRUE(l.Find(c));
  l.Remove();  // the tail: predecessor becomes last, no active
  delete c;
  EXPECT_FALSE(l.GetActive(e));
  EXPECT_EQ(static_cast<Item*>(l.last)->value, 2);
  EXPECT_EQ(l.last->next, nullptr);

  // Removing during a walk: the cursor is already on the next element.
  std::vector<int> kept;
  for (bool ok = l.GetFirst(e); ok;) {
    if (static_cast<Item*>(e)->value == 1) {
      l.Remove();
      delete e;
      ok = l.GetActive(e);
    } else {
      kept.push_back(static_cast<Item*>(e)->value);
      ok = l.GetNext(e);
    }
  }
  EXPECT_EQ(kept, (std::vector<int>{0, 2}));

  vlist::CList other;
  other.Append(new Item(7));
  l.AppendList(&other);
  other.ClearList();
  EXPECT_EQ(Values(l), (std::vector<int>{0, 2, 7}));
  EXPECT_EQ(l.count, 3u);
  l.DisposeList();
  EXPECT_TRUE(l.Empty());
  EXPECT_EQ(l.count, 0u);
}

struct BItem : vlist::CBListElem {
  explicit BItem(int v) : value(v) {}
  int value;
};

TEST(BList, LinksStayConsistentBothWays) {
  vlist::CBList l;
  l.Append(new BItem(2));
  l.InsertFirst(new BItem(1));
  l.Append(new BItem(4));
  l.InsertBefore(new BItem(3));  // before the active tail
  std::vector<int> forward, backward;
  vlist::CBListElem* e = nullptr;
  for (bool ok = l.GetFirst(e); ok; ok = l.GetNext(e)) forward.push_back(static_cast<BItem*>(e)->value);
  for (bool ok = l.GetLast(e); ok; ok = l.GetPrev(e)) backward.push_back(static_cast<BItem*>(e)->value);
  EXPECT_EQ(forward, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(backward, (std::vector<int>{4, 3, 2, 1}));
  l.GetFirst(e);
  l.Remove();
  delete e;
  EXPECT_EQ(l.first->prev, nullptr);
  EXPECT_EQ(static_cast<BItem*>(l.active)->value, 2);
  l.DisposeList();
}

TEST(SynchronizedList, WorkersAppendConcurrently) {
  vlist_ex::CSynchronizedList l;
  l.Init(nullptr);
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([&l, w] {
      for (int i = 0; i < 1000; ++i) l.Append(new Item(w));
    });
  }
  for (auto& t : workers) t.join();
  EXPECT_EQ(l.count, 4000u);
  l.Enter();
  l.Enter();  // re-entrant
  std::uint32_t walked = 0;
  vlist::CListElem* e = nullptr;
  for (bool ok = l.GetFirst(e); ok; ok = l.GetNext(e)) ++walked;
  l.Leave();
  l.Leave();
  EXPECT_EQ(walked, 4000u);
  l.DisposeList();
  l.Done();
}

TEST(ArrayHeap, FreeChainReusesSlotsAndGrowsOnBooking) {
  vdarray::CArrayHeap h;
  ASSERT_TRUE(h.Init(sizeof(int), 3));
  std::uint64_t idx = 99;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(h.InsertItem(&i, idx));
    EXPECT_EQ(idx, static_cast<std::uint64_t>(i));
  }
  EXPECT_TRUE(h.RemoveItem(1));
  EXPECT_FALSE(h.RemoveItem(1));  // not in use any more
  EXPECT_FALSE(h.RemoveItem(3));  // out of range
  int v = 42;
  ASSERT_TRUE(h.InsertItem(&v, idx));
  EXPECT_EQ(idx, 1u);
  EXPECT_FALSE(h.InsertItem(&v, idx));  // full
  ASSERT_TRUE(h.BookItems(2));
  EXPECT_EQ(h.TotalCount(), 5u);
  ASSERT_TRUE(h.InsertItem(&v, idx));
  EXPECT_EQ(idx, 3u);
  ASSERT_TRUE(h.InsertItem(&v, idx));
  EXPECT_EQ(idx, 4u);
  int out = 0;
  ASSERT_TRUE(h.CopyItem(2, &out));
  EXPECT_EQ(out, 2);
  ASSERT_TRUE(h.CopyItem(1, &out));
  EXPECT_EQ(out, 42);
  h.Done();
}

TEST(DynamicArray, FreeCountAndBooking) {
  vdarray::CDynamicArray a;
  EXPECT_FALSE(a.Init(0, 4));
  ASSERT_TRUE(a.Init(sizeof(double), 1));
  EXPECT_TRUE(a.BookItems(0));
  double x = 1.5;
  std::uint64_t idx = 0;
  ASSERT_TRUE(a.InsertItem(&x, idx));
  EXPECT_FALSE(a.InsertItem(&x, idx));
  ASSERT_TRUE(a.BookItems(3));
  EXPECT_EQ(a.FreeCount(), 3u);
  EXPECT_EQ(a.AllocatedCount(), 1u);
  void* p = nullptr;
  EXPECT_FALSE(a.GetItem(1, p));  // booked but not handed out
  ASSERT_TRUE(a.GetItem(0, p));
  EXPECT_EQ(*static_cast<double*>(p), 1.5);
  a.Done();
  EXPECT_EQ(a.data, nullptr);
}

}  // namespace
