// Frequency analysis: a grid of trial periods scored by the multi-harmonic
// periodogram (projection of the data on orthogonal trigonometric polynomials
// in z = exp(i omega t), built by the Szego recurrence), run on one worker
// thread per processor behind a progress dialog. GUI-free: the dialog is an
// interface the GUI implements; CHeadlessFrequencyDialog serves tests and the
// command line.
#pragma once

#include <atomic>
#include <chrono>
#include <complex>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <corekit/vlist.h>
#include <ombrix_field/object.h>
#include <ombrix_field/user_io.h>

#include "ombrix_analysis/periods_minima.h"

namespace ombrix_analysis {

using TComplex = std::complex<double>;

// Caller-provided work arrays of MultiHarmonicProjection, n entries each.
struct TProjectionWork {
  TComplex* z;        // exp(i omega t)
  TComplex* psi;      // the current orthogonal polynomial at each point
  TComplex* zPower;   // z^(order - 1)
  TComplex* product;  // scratch for the recurrence coefficient
};

// Projects the n values on the orthogonal polynomials of degree 0 ... order
// for angular frequency `omega`; coefficients[0 ... order] receive the
// normalised projections (weighted inner product <a, b> = sum w a conj(b)).
void MultiHarmonicProjection(std::uint32_t n, std::uint32_t order, double omega,
                             const TComplex* values, const double* times, const double* weights,
                             TComplex* coefficients, const TProjectionWork& work);

// Periodogram value of one trial from the order-1 coefficients:
// |c0|^2 + |c1|^2 with a NaN term left out.
double TrialValue(TComplex c0, TComplex c1);

// Order-1 periodogram value for one angular frequency evaluated from four
// weighted sums of exp(i omega t); equal to TrialValue of the projection.
// `times` should be shifted to an origin near their middle for precision.
double OrderOneValue(std::uint32_t n, double omega, const double* values, const double* times,
                     const double* weights);

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

// Trial range of every worker: contiguous chunks of trunc(K / N) trials, one
// more when N does not divide K; trailing workers may get empty ranges.
struct TTrialRange {
  std::int64_t first;
  std::int64_t last;
};
std::vector<TTrialRange> SplitTrials(std::uint32_t trialCount, std::uint32_t workers);

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
class CFrequencyAnalysisDialog : public CFrequencyAnalysisNotify {
 public:
  // Shows the dialog and hands every queued notification to `progress` on
  // the GUI thread until all workers have finished (true, OK) or the user
  // closes it (false, Cancel).
  virtual bool RunModal(CFrequencyProgress& progress) = 0;
  // Waits until every worker has ended; the GUI keeps dispatching messages.
  virtual void WaitForWorkers(std::vector<std::thread>& workers);
};

// A dialog without a window: notifications queue under a lock and RunModal
// applies them on the calling thread. KeepRunning decides after every
// progress notification whether to go on (false acts as Cancel).
class CHeadlessFrequencyDialog : public CFrequencyAnalysisDialog {
 public:
  void PostProgress(std::uint32_t thread, std::uint32_t done) override;
  void PostFinished(std::uint32_t thread) override;
  bool RunModal(CFrequencyProgress& progress) override;
  // Joins the workers and drops what they posted after the dialog ended.
  void WaitForWorkers(std::vector<std::thread>& workers) override;
  virtual bool KeepRunning(const CFrequencyProgress& /*progress*/) { return true; }

 private:
  struct TNote {
    bool finished;
    std::uint32_t thread;
    std::uint32_t done;
  };
  std::mutex lock_;
  std::condition_variable posted_;
  static constexpr std::chrono::milliseconds kProgressPause{2};
  std::deque<TNote> queue_;  // notifications not yet handled
  std::uint32_t finishedQueued_ = 0;  // finished notes in queue_
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

// Settings of the command, kept between runs ("MinimalPeriod",
// "MaximalPeriod", "PeriodSteps").
struct TFrequencySettings {
  double minPeriod = 0.1;
  double maxPeriod = 2.0;
  double resolution = 0.00001;
};

// Number of trials for the settings: trunc((max - min) / resolution), 0 when
// that is not positive. A quotient within a few ulps below a whole number
// counts as that number (the defaults give 190,000).
std::uint64_t FrequencyTrialCount(const TFrequencySettings& settings);

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
