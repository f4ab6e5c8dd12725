// The text store in reserved address space: pages are committed as the text
// grows, and the text after the gap moves up in place while the reservation
// lasts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "lectern/text_view.h"

namespace lectern {

namespace {
constexpr std::size_t kFirstReserve = 0x2000000;  // 32 MB
constexpr std::size_t kReserveStep = 0x1000000;   // 16 MB

void* Reserve(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}
bool Commit(void* at, std::size_t bytes) { return mprotect(at, bytes, PROT_READ | PROT_WRITE) == 0; }
void Decommit(void* at, std::size_t bytes) {
  madvise(at, bytes, MADV_DONTNEED);
  mprotect(at, bytes, PROT_NONE);
}
}  // namespace

CVMTextView::CVMTextView() : pageSize_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {}

CVMTextView::~CVMTextView() {
  if (buffer_) CVMTextView::FreeBuffer();
}

bool CVMTextView::AllocBuffer() {
  void* p = Reserve(kFirstReserve);
  if (!p) return false;
  if (!Commit(p, pageSize_)) {
    munmap(p, kFirstReserve);
    return false;
  }
  buffer_ = static_cast<char*>(p);
  reserved_ = kFirstReserve;
  size_ = pageSize_;
  gapStart_ = 0;
  gapEnd_ = size_ - 1;
  length_ = 0;
  return true;
}

bool CVMTextView::EnlargeBuffer(std::size_t oldBlocks, std::size_t newBlocks) {
  if (newBlocks <= oldBlocks) return true;
  const std::size_t newSize = newBlocks * pageSize_;
  const std::size_t delta = (newBlocks - oldBlocks) * pageSize_;
  const std::size_t tail = size_ - gapEnd_ - 1;
  if (newSize <= reserved_) {
    if (!Commit(buffer_ + size_, delta)) return false;
    std::memmove(buffer_ + gapEnd_ + 1 + delta, buffer_ + gapEnd_ + 1, tail);
  } else {
    // A new, larger reservation: the needed growth rounded down to 16 MB,
    // plus 16 MB.
    const std::size_t grow = (newSize - reserved_) / kReserveStep * kReserveStep + kReserveStep;
    const std::size_t reserve = reserved_ + grow;
    char* fresh = static_cast<char*>(Reserve(reserve));
    if (!fresh) return false;
    if (!Commit(fresh, newSize)) {
      munmap(fresh, reserve);
      return false;
    }
    std::memcpy(fresh, buffer_, gapStart_);
    std::memcpy(fresh + gapEnd_ + 1 + delta, buffer_ + gapEnd_ + 1, tail);
    munmap(buffer_, reserved_);
    buffer_ = fresh;
    reserved_ = reserve;
  }
  gapEnd_ += delta;
  size_ = newSize;
  return true;
}

void CVMTextView::ShrinkBuffer(std::size_t oldBlocks, std::size_t newBlocks) {
  if (newBlocks >= oldBlocks || newBlocks == 0) return;
  const std::size_t delta = (oldBlocks - newBlocks) * pageSize_;
  const std::size_t tail = size_ - gapEnd_ - 1;
  std::memmove(buffer_ + gapEnd_ + 1 - delta, buffer_ + gapEnd_ + 1, tail);
  gapEnd_ -= delta;
  size_ -= delta;
  Decommit(buffer_ + size_, delta);
}

void CVMTextView::FreeBuffer() {
  if (buffer_) munmap(buffer_, reserved_);
  buffer_ = nullptr;
  reserved_ = 0;
  size_ = gapStart_ = gapEnd_ = length_ = 0;
}

}  // namespace lectern
