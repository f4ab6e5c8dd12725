// The frequency-analysis progress dialog without a window, for tests and the
// command line: the workers' notifications queue under a lock and RunModal
// applies them on the calling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "ombrix_analysis/frequency_analysis.h"

namespace ombrix_analysis {

class CHeadlessFrequencyDialog : public CFrequencyAnalysisDialog {
 public:
  CHeadlessFrequencyDialog();
  ~CHeadlessFrequencyDialog() override;

  void PostProgress(std::uint32_t thread, std::uint32_t done) override;
  void PostFinished(std::uint32_t thread) override;
  bool RunModal(CFrequencyProgress& progress) override;
  // Joins the workers and drops what they posted after the dialog ended.
  void WaitForWorkers(std::vector<std::thread>& workers) override;
  // Decides after every progress notification whether to go on (false acts
  // as Cancel).
  virtual bool KeepRunning(const CFrequencyProgress& /*progress*/) { return true; }

 private:
  struct TQueue;
  std::unique_ptr<TQueue> queue_;  // the notifications not yet handled, and their lock
};

}  // namespace ombrix_analysis
