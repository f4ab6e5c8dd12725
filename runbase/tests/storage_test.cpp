#include "runbase/storage.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "runbase/diag.h"

namespace {

TEST(Storage, AllocateSetsAndFreeClearsTheOwnersPointer) {
  char* p = reinterpret_cast<char*>(1);
  Storage::Allocate(p, 0);
  EXPECT_EQ(p, nullptr);
  Storage::Free(p);   // null: nothing happens
  EXPECT_EQ(p, nullptr);

  Storage::Allocate(p, 16);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p, 16), std::string(16, '\xCD'));   // never zeroed by default
  EXPECT_GE(Storage::MemorySize(p), 16u);
  std::memcpy(p, "0123456789abcdef", 16);
  Storage::Reallocate(p, 4096);
  EXPECT_EQ(std::string(p, 16), "0123456789abcdef");
  Storage::Reallocate(p, 0);
  EXPECT_EQ(p, nullptr);

  Storage::FillByte = 1;   // zero fill
  Storage::Allocate(p, 8);
  EXPECT_EQ(std::string(p, 8), std::string(8, '\0'));
  Storage::FillByte = 0xCD;
  Storage::Deallocate(p, 8);
  EXPECT_EQ(p, nullptr);
}

TEST(Storage, MemoryHelpersTakeTheSourceFirst) {
  char text[] = "abcdef";
  Storage::MemoryMove(text, text + 2, 4);   // overlapping
  EXPECT_STREQ(text, "ababcd");
  Storage::MemoryCopy("xy", text, 2);
  Storage::MemoryFill(text + 2, 2, '-');
  EXPECT_STREQ(text, "xy--cd");
  Storage::MemoryZero(text, 6);
  EXPECT_EQ(text[5], 0);
}

void ExhaustTheHeap() {
  void* p = nullptr;
  Storage::FailNextAllocation();
  Storage::Allocate(p, 64);
}

TEST(StorageDeathTest, OutOfMemoryShowsTheMessageAndEnds) {
  EXPECT_EXIT(ExhaustTheHeap(), ::testing::ExitedWithCode(255), "Critical Error: Not enough memory");
}

TEST(StorageDeathTest, OutOfMemoryGoesThroughTheMessageHook) {
  const auto run = [] {
    Diag::SetMessageHook([](const char* caption, const char* text) {
      std::string line = std::string("[box] ") + caption + " / " + text + "\n";
      ::write(2, line.data(), line.size());
    });
    void* p = std::malloc(8);
    Storage::FailNextAllocation(1);
    Storage::Reallocate(p, 16);   // passes
    Storage::Reallocate(p, 32);   // fails
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(255), "\\[box\\] Critical Error / Not enough memory");
}

TEST(Storage, PointerTestsFollowTheMemoryMap) {
  const long page = ::sysconf(_SC_PAGESIZE);
  auto* map = static_cast<char*>(::mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(map, MAP_FAILED);
  std::memset(map, 'x', 2 * page);   // no terminator anywhere
  ::mprotect(map + page, page, PROT_READ);
  ::mprotect(map + 2 * page, page, PROT_NONE);

  EXPECT_FALSE(Storage::TestBadReadPtr(map, 2 * page));
  EXPECT_TRUE(Storage::TestBadReadPtr(map, 2 * page + 1));
  EXPECT_FALSE(Storage::TestBadWritePtr(map, page));
  EXPECT_TRUE(Storage::TestBadWritePtr(map + page - 1, 2));
  EXPECT_TRUE(Storage::TestBadReadPtr(nullptr, 1));
  EXPECT_FALSE(Storage::TestBadReadPtr(nullptr, 0));

  char* tail = map + 2 * page - 3;   // "ab" then the terminator right before the bad page
  EXPECT_TRUE(Storage::TestBadStringPtr(map + page - 2, 4 * page));   // no NUL before the guard
  EXPECT_FALSE(Storage::TestBadStringPtr(map + page - 2, 2));         // limited by max
  ::mprotect(map + page, page, PROT_READ | PROT_WRITE);
  std::memcpy(tail, "ab", 3);
  EXPECT_FALSE(Storage::TestBadStringPtr(map, 4 * page));
  ::munmap(map, 3 * page);
}

TEST(Storage, MemoryStatusIsPlausible) {
  Storage::TMemoryStatus s{};
  ASSERT_TRUE(Storage::GetMemoryStatus(s));
  EXPECT_GT(s.totalPhys, 0u);
  EXPECT_LE(s.availPhys, s.totalPhys);
  EXPECT_LE(s.memoryLoad, 100u);
  EXPECT_GE(s.totalPageFile, s.totalPhys);
  EXPECT_LE(s.availVirtual, s.totalVirtual);
}

}  // namespace
