// A few threads that run the per-part tasks of one fit: Run(count, task)
// calls task(k) once for every part k < count, spread over the threads and
// the calling one, and returns when all have finished. Which thread runs a
// part does not matter to the result, since each part touches only its own
// rows and scratch.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace mpfit_internal {

class CPartWorkers {
 public:
  // threads: how many run the parts, the caller included; 1 runs them inline,
  // as does a system that gives no further thread.
  explicit CPartWorkers(int threads = 1);
  ~CPartWorkers();
  CPartWorkers(const CPartWorkers&) = delete;
  CPartWorkers& operator=(const CPartWorkers&) = delete;

  template <class Task>
  void Run(int count, Task& task) {
    RunTasks(count, [](void* context, int part) { (*static_cast<Task*>(context))(part); }, &task);
  }

 private:
  using TCall = void (*)(void* context, int part);
  void RunTasks(int count, TCall call, void* context);
  void WorkerLoop();
  // Takes parts of the open round until none is left.
  void Drain(TCall call, void* context, int count);

  std::vector<std::thread> threads_;  // the helpers (the caller is not one)
  std::mutex mutex_;              // guards the round state below
  std::condition_variable wake_;  // a round opened, or stop
  std::condition_variable done_;  // the last task or helper of a round finished
  std::uint64_t round_ = 0;       // number of rounds opened so far
  bool open_ = false;             // helpers may still join the current round
  bool stop_ = false;             // helpers are to leave
  TCall call_ = nullptr;          // task of the current round
  void* context_ = nullptr;       // its argument
  int count_ = 0;                 // parts of the current round
  int active_ = 0;                // helpers inside the current round
  std::atomic<int> next_{0};      // next part to take
  std::atomic<int> pending_{0};   // parts not yet finished
};

}  // namespace mpfit_internal
