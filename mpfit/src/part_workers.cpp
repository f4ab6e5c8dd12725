#include "part_workers.h"

#include <system_error>

namespace mpfit_internal {

// When the system refuses a thread, the parts run on those it gave: the
// results do not depend on how many there are.
CPartWorkers::CPartWorkers(int threads) {
  // Reserved first: a failed allocation must not leave running threads behind.
  if (threads > 1) threads_.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) {
    try {
      threads_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
      break;
    }
  }
}

CPartWorkers::~CPartWorkers() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void CPartWorkers::Drain(TCall call, void* context, int count) {
  for (int part; (part = next_.fetch_add(1)) < count;) {
    call(context, part);
    if (pending_.fetch_sub(1) == 1) {
      std::lock_guard lock(mutex_);
      done_.notify_all();
    }
  }
}

// A round stays open until every part has finished and no helper is inside
// it; only then may the next round reset the part counter, so a helper that
// wakes late never takes a part of a round it did not join.
void CPartWorkers::RunTasks(int count, TCall call, void* context) {
  if (threads_.empty() || count <= 1) {
    for (int part = 0; part < count; ++part) call(context, part);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    call_ = call;
    context_ = context;
    count_ = count;
    next_ = 0;
    pending_ = count;
    open_ = true;
    ++round_;
  }
  wake_.notify_all();
  Drain(call, context, count);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0 && active_ == 0; });
  open_ = false;
}

void CPartWorkers::WorkerLoop() {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || (open_ && round_ != seen); });
    if (stop_) return;
    seen = round_;
    ++active_;
    const TCall call = call_;
    void* const context = context_;
    const int count = count_;
    lock.unlock();
    Drain(call, context, count);
    lock.lock();
    if (--active_ == 0 && pending_ == 0) done_.notify_all();
  }
}

}  // namespace mpfit_internal
