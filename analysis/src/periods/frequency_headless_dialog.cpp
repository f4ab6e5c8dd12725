// The frequency-analysis progress dialog without a window.
#include "ombrix_analysis/frequency_headless_dialog.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace ombrix_analysis {

struct CHeadlessFrequencyDialog::TQueue {
  struct TNote {
    bool finished;
    std::uint32_t thread;
    std::uint32_t done;
  };
  // Answering every note at once would have each worker post after every
  // trial, a wake-up per trial; with nothing to repaint, a short pause after
  // each progress note bounds the notes to a few hundred a second. A finished
  // worker ends the pause.
  static constexpr std::chrono::milliseconds kProgressPause{2};

  std::mutex lock;
  std::condition_variable posted;
  std::deque<TNote> notes;           // notifications not yet handled
  std::uint32_t finishedQueued = 0;  // finished notes in `notes`

  void Push(TNote note) {
    {
      std::lock_guard<std::mutex> guard(lock);
      notes.push_back(note);
      if (note.finished) ++finishedQueued;
    }
    posted.notify_one();
  }

  TNote Pop() {
    std::unique_lock<std::mutex> guard(lock);
    posted.wait(guard, [&] { return !notes.empty(); });
    const TNote note = notes.front();
    notes.pop_front();
    if (note.finished) --finishedQueued;
    return note;
  }

  void PauseUnlessFinished() {
    std::unique_lock<std::mutex> guard(lock);
    posted.wait_for(guard, kProgressPause, [&] { return finishedQueued > 0; });
  }

  void Clear() {
    std::lock_guard<std::mutex> guard(lock);
    notes.clear();
    finishedQueued = 0;
  }
};

CHeadlessFrequencyDialog::CHeadlessFrequencyDialog() : queue_(std::make_unique<TQueue>()) {}

CHeadlessFrequencyDialog::~CHeadlessFrequencyDialog() = default;

void CHeadlessFrequencyDialog::PostProgress(std::uint32_t thread, std::uint32_t done) {
  queue_->Push({false, thread, done});
}

void CHeadlessFrequencyDialog::PostFinished(std::uint32_t thread) { queue_->Push({true, thread, 0}); }

bool CHeadlessFrequencyDialog::RunModal(CFrequencyProgress& progress) {
  for (;;) {
    const TQueue::TNote note = queue_->Pop();
    if (note.finished) {
      if (progress.Finished(note.thread)) return true;
    } else {
      progress.Progress(note.thread, note.done);
      if (!KeepRunning(progress)) return false;
      queue_->PauseUnlessFinished();
    }
  }
}

void CHeadlessFrequencyDialog::WaitForWorkers(std::vector<std::thread>& workers) {
  CFrequencyAnalysisDialog::WaitForWorkers(workers);
  queue_->Clear();
}

}  // namespace ombrix_analysis
