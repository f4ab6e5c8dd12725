// Frequency analysis of an object: the trial grid of the frequency search
// scored on one worker thread per processor behind a progress dialog, and the
// command that asks for the settings and lists the best periods. GUI-free:
// the dialog is an interface the GUI implements (frequency_headless_dialog.h
// has one without a window for tests and the command line).
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include <corekit/vlist.h>
#include <ombrix_field/object.h>
#include <ombrix_field/user_io.h>

#include "ombrix_analysis/frequency_search.h"
#include "ombrix_analysis/periods_minima.h"

namespace ombrix_analysis {

// Where the workers post to: the progress dialog. Called on worker threads.
class CFrequencyAnalysisNotify {
 public:
  virtual ~CFrequencyAnalysisNotify() = default;
  // Trials done by `thread` so far.
  virtual void PostProgress(std::uint32_t thread, std::uint32_t done) = 0;
  // `thread` has ended, completed or stopped.
  virtual void PostFinished(std::uint32_t thread) = 0;
};

// Parameters of one worker thread; one contiguous array per analysis.
struct TFrequencyWorkerParams {
  CFrequencyAnalysisNotify* window = nullptr;  // null: no progress is posted
  std::uint32_t threadIndex = 0;
  std::uint32_t pointCount = 0;
  const double* values = nullptr;   // shared, read-only
  const double* times = nullptr;    // shared, read-only
  const double* weights = nullptr;  // shared, read-only
  double minPeriod = 0.0;
  double step = 0.0;                // period step between trials
  std::uint32_t trialCount = 0;
  double* results = nullptr;        // shared; this worker writes [first, last]
  std::int64_t first = 0;
  std::int64_t last = -1;           // below first for an empty range
  std::atomic<std::uint8_t> progressRequest{1};  // set by the dialog, cleared on posting
  std::atomic<std::uint8_t> stop{0};             // set by the dialog to end the worker early
};

// Exit codes of FrequencyAnalysisWorker.
inline constexpr std::uint32_t kWorkerCompleted = 0;
inline constexpr std::uint32_t kWorkerStopped = 0xFFFFFFFFu;

// The thread body: scores trials first ... last into results.
std::uint32_t FrequencyAnalysisWorker(TFrequencyWorkerParams& params);

// Bookkeeping of the progress dialog, used on the GUI thread for every
// notification it receives.
class CFrequencyProgress {
 public:
  CFrequencyProgress(TFrequencyWorkerParams* params, std::uint32_t workers,
                     std::uint32_t trialCount);
  // A progress notification: updates the total and asks the worker for the next.
  void Progress(std::uint32_t thread, std::uint32_t done);
  // A finished notification; true when every worker has finished.
  bool Finished(std::uint32_t thread);
  std::uint64_t Total() const { return total_; }
  // Bar position on a 512-unit scale and the percentage text ("57 %").
  std::uint32_t BarPosition() const;
  void PercentText(std::uint32_t high, char* text) const;

 private:
  TFrequencyWorkerParams* params_;   // the workers' records, not owned
  std::vector<std::uint32_t> done_;  // trials each worker has reported
  std::uint64_t total_ = 0;          // sum of done_
  std::uint32_t finished_ = 0;       // workers that have finished
  std::uint32_t trialCount_;
};

// The modal progress dialog "Frequency analysis". The GUI implements it: its
// PostProgress / PostFinished queue a message to the dialog's window.
// The fields of the settings dialog: minimal period, maximal period and
// resolution, each with its range and arrow step.
struct TFrequencyFieldRule {
  const char* label;
  double lowest;
  double highest;
  double step;
};
inline constexpr TFrequencyFieldRule kFrequencyFields[3] = {
    {"Minimal period [d]:", 0.001, 1000.0, 0.1},
    {"Maximal period [d]:", 0.001, 1000.0, 0.1},
    {"Resolution [d]:", 1e-7, 100.0, 1e-7},
};

class CFrequencyAnalysisDialog : public CFrequencyAnalysisNotify {
 public:
  // Shows the dialog and hands every queued notification to `progress` on
  // the GUI thread until all workers have finished (true, OK) or the user
  // closes it (false, Cancel).
  virtual bool RunModal(CFrequencyProgress& progress) = 0;
  // Waits until every worker has ended; the GUI keeps dispatching messages.
  virtual void WaitForWorkers(std::vector<std::thread>& workers);
  // Asks for the minimal and maximal period and the resolution, replacing
  // them on OK; false on Cancel or a value out of its range. This asks
  // through the text fields of `io`; the program shows spin fields with the
  // number of steps.
  virtual bool AskSettings(TFrequencySettings& settings, ombrix_data::CUserIO& io);
};

// Points of the object's enabled series with more than this many points are
// needed for an analysis.
inline constexpr std::uint32_t kMinFrequencyPoints = 3;

// Scans trialCount periods from minPeriod to maxPeriod over the points of
// the object's enabled series on `workers` threads and appends the three best
// trial periods (key and score 0, best first) to `periods`. Trials whose value
// is 0 or not finite are never listed. Returns true when the dialog ended
// with OK; false without work for 3 points or fewer, or when cancelled.
bool RunFrequencyAnalysis(const ombrix_data::CObjectListElem& object, double minPeriod,
                          double maxPeriod, std::uint32_t trialCount, vlist::CList& periods,
                          CFrequencyAnalysisDialog& dialog, std::uint32_t workers);

// True for types whose first two characters are "EA", "EB" or "EW".
bool IsEclipsingType(const char* variabilityType);

// The command "find periods by frequency analysis": asks for the settings
// (replacing them on OK), runs the analysis into the object's period list,
// doubles the new periods for eclipsing types, puts the object's own period
// first and reports the outcome. Returns true when periods were added.
bool FindPeriodsByFrequencyAnalysis(ombrix_data::CObjectListElem& object,
                                    TFrequencySettings& settings, std::uint32_t processorCount,
                                    ombrix_data::CUserIO& io, CFrequencyAnalysisDialog& dialog,
                                    TPeriodComboPane& pane);

}  // namespace ombrix_analysis
