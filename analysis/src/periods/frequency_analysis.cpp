// Frequency analysis: trial grid, workers, progress and the command.
#include "ombrix_analysis/frequency_analysis.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>

#include <runbase/str.h>

#include "frequency_kernel.h"

namespace ombrix_analysis {

using ombrix_data::CPeriodListElem;
using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;

std::uint32_t FrequencyAnalysisWorker(TFrequencyWorkerParams& p) {
  const TOrderOneKernel kernel = BestOrderOneKernel();
  double w = 0.0, wy = 0.0;
  for (std::uint32_t i = 0; i < p.pointCount; ++i) {
    w += p.weights[i];
    wy += p.weights[i] * p.values[i];
  }
  TOrderOneSums sums;
  double period = static_cast<double>(p.first) * p.step + p.minPeriod;
  for (std::int64_t i = p.first; i <= p.last; ++i) {
    if (p.stop.load(std::memory_order_relaxed)) {
      if (p.window) p.window->PostFinished(p.threadIndex);
      return kWorkerStopped;
    }
    const double omega = 2.0 * std::numbers::pi / period;
    kernel(p.pointCount, omega, p.values, p.times, p.weights, sums);
    p.results[i] = OrderOneValueFromSums(w, wy, sums);
    if (p.window && p.progressRequest.exchange(0) != 0)
      p.window->PostProgress(p.threadIndex, static_cast<std::uint32_t>(i - p.first + 1));
    period += p.step;
  }
  if (p.window) p.window->PostFinished(p.threadIndex);
  return kWorkerCompleted;
}

std::vector<TTrialRange> SplitTrials(std::uint32_t trialCount, std::uint32_t workers) {
  std::vector<TTrialRange> ranges;
  if (workers == 0) return ranges;
  const std::int64_t k = trialCount;
  const std::int64_t chunk = k / workers + (k % workers != 0 ? 1 : 0);
  for (std::int64_t w = 0; w < workers; ++w)
    ranges.push_back({w * chunk, std::min(k, (w + 1) * chunk) - 1});
  return ranges;
}

CFrequencyProgress::CFrequencyProgress(TFrequencyWorkerParams* params, std::uint32_t workers,
                                       std::uint32_t trialCount)
    : params_(params), done_(workers, 0), trialCount_(trialCount) {}

void CFrequencyProgress::Progress(std::uint32_t thread, std::uint32_t done) {
  if (thread >= done_.size()) return;
  total_ += done - done_[thread];
  done_[thread] = done;
  params_[thread].progressRequest.store(1);
}

bool CFrequencyProgress::Finished(std::uint32_t /*thread*/) {
  ++finished_;
  return finished_ >= done_.size();
}

std::uint32_t CFrequencyProgress::BarPosition() const {
  return trialCount_ == 0 ? 0 : static_cast<std::uint32_t>(total_ * 512 / trialCount_);
}

void CFrequencyProgress::PercentText(std::uint32_t high, char* text) const {
  const std::uint64_t percent = trialCount_ == 0 ? 0 : total_ * 100 / trialCount_;
  std::snprintf(text, high + 1, "%llu %%", static_cast<unsigned long long>(percent));
}

void CFrequencyAnalysisDialog::WaitForWorkers(std::vector<std::thread>& workers) {
  for (std::thread& t : workers)
    if (t.joinable()) t.join();
}

void CHeadlessFrequencyDialog::PostProgress(std::uint32_t thread, std::uint32_t done) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back({false, thread, done});
  }
  posted_.notify_one();
}

void CHeadlessFrequencyDialog::PostFinished(std::uint32_t thread) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back({true, thread, 0});
    ++finishedQueued_;
  }
  posted_.notify_one();
}

bool CHeadlessFrequencyDialog::RunModal(CFrequencyProgress& progress) {
  for (;;) {
    TNote note;
    {
      std::unique_lock<std::mutex> guard(lock_);
      posted_.wait(guard, [&] { return !queue_.empty(); });
      note = queue_.front();
      queue_.pop_front();
      if (note.finished) --finishedQueued_;
    }
    if (note.finished) {
      if (progress.Finished(note.thread)) return true;
    } else {
      progress.Progress(note.thread, note.done);
      if (!KeepRunning(progress)) return false;
      // Answering every note at once would have each worker post after
      // every trial, a wake-up per trial; with nothing to repaint, a short
      // pause bounds the notes to a few hundred a second. A finished
      // worker ends the pause.
      std::unique_lock<std::mutex> guard(lock_);
      posted_.wait_for(guard, kProgressPause, [&] { return finishedQueued_ > 0; });
    }
  }
}

void CHeadlessFrequencyDialog::WaitForWorkers(std::vector<std::thread>& workers) {
  CFrequencyAnalysisDialog::WaitForWorkers(workers);
  std::lock_guard<std::mutex> guard(lock_);
  queue_.clear();
  finishedQueued_ = 0;
}

namespace {

// The analysis input: values, times shifted to their mean (the periodogram
// does not depend on the origin, and small times keep omega t precise) and
// weights 1 / error, an error of 0 counting as 1.
struct TFrequencyInput {
  std::vector<double> values;
  std::vector<double> times;
  std::vector<double> weights;
};

std::uint32_t CountEnabledPoints(const ombrix_data::CObjectListElem& object) {
  std::uint64_t count = 0;
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (s->enabled) count += s->pointCount;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX));
}

void BuildInput(const ombrix_data::CObjectListElem& object, TFrequencyInput& in) {
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->enabled) continue;
    for (std::uint32_t i = 0; i < s->pointCount; ++i) {
      in.values.push_back(s->value[i]);
      in.times.push_back(s->time[i]);
      in.weights.push_back(1.0 / (s->error[i] == 0.0 ? 1.0 : s->error[i]));
    }
  }
  double origin = 0.0;
  for (double t : in.times) origin += t;
  origin /= static_cast<double>(in.times.size());
  for (double& t : in.times) t -= origin;
}

// Indices of the three largest values in one pass: a strictly greater value
// displaces, ties keep the earlier index. Values that are 0 or not finite
// carry no signal and are never chosen.
std::vector<std::uint32_t> ThreeLargest(const std::vector<double>& results) {
  constexpr int kSlots = 3;
  std::int64_t index[kSlots] = {-1, -1, -1};
  double best[kSlots] = {0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < results.size(); ++i) {
    const double v = results[i];
    if (!std::isfinite(v) || !(v > 0.0)) continue;
    for (int slot = 0; slot < kSlots; ++slot) {
      if (index[slot] >= 0 && !(v > best[slot])) continue;
      for (int j = kSlots - 1; j > slot; --j) {
        best[j] = best[j - 1];
        index[j] = index[j - 1];
      }
      best[slot] = v;
      index[slot] = static_cast<std::int64_t>(i);
      break;
    }
  }
  std::vector<std::uint32_t> found;
  for (std::int64_t i : index)
    if (i >= 0) found.push_back(static_cast<std::uint32_t>(i));
  return found;
}

}  // namespace

bool RunFrequencyAnalysis(const ombrix_data::CObjectListElem& object, double minPeriod,
                          double maxPeriod, std::uint32_t trialCount, vlist::CList& periods,
                          CFrequencyAnalysisDialog& dialog, std::uint32_t workers) {
  if (CountEnabledPoints(object) <= kMinFrequencyPoints) return false;
  if (workers == 0) workers = 1;
  TFrequencyInput in;
  BuildInput(object, in);
  std::vector<double> results(trialCount, 0.0);
  // A single trial is Pmin itself (the step formula would divide by zero).
  const double step = trialCount > 1 ? (maxPeriod - minPeriod) / (trialCount - 1) : 0.0;

  const std::vector<TTrialRange> ranges = SplitTrials(trialCount, workers);
  std::vector<TFrequencyWorkerParams> params(workers);
  std::vector<std::thread> threads;
  threads.reserve(workers);
  for (std::uint32_t w = 0; w < workers; ++w) {
    TFrequencyWorkerParams& p = params[w];
    p.window = &dialog;
    p.threadIndex = w;
    p.pointCount = static_cast<std::uint32_t>(in.values.size());
    p.values = in.values.data();
    p.times = in.times.data();
    p.weights = in.weights.data();
    p.minPeriod = minPeriod;
    p.step = step;
    p.trialCount = trialCount;
    p.results = results.data();
    p.first = ranges[w].first;
    p.last = ranges[w].last;
  }
  for (std::uint32_t w = 0; w < workers; ++w)
    threads.emplace_back([&p = params[w]] { FrequencyAnalysisWorker(p); });

  CFrequencyProgress progress(params.data(), workers, trialCount);
  const bool ok = dialog.RunModal(progress);
  for (TFrequencyWorkerParams& p : params) p.stop.store(1);
  dialog.WaitForWorkers(threads);
  if (!ok) return false;

  for (std::uint32_t index : ThreeLargest(results)) {
    auto* elem = new CPeriodListElem;
    elem->period = minPeriod + index * step;
    periods.Append(elem);
  }
  return true;
}

// The quotient of decimal settings is rarely exact in binary: (2.0 - 0.1) /
// 0.00001 comes out as 189999.99999999997. A few ulps of slack let such a
// quotient count as the whole number it stands for before truncating.
std::uint64_t FrequencyTrialCount(const TFrequencySettings& s) {
  const double q = (s.maxPeriod - s.minPeriod) / s.resolution;
  const double k = std::trunc(q + std::fabs(q) * 4.0 * std::numeric_limits<double>::epsilon());
  if (!(k > 0.0)) return 0;
  return k >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(k);
}

bool IsEclipsingType(const char* type) {
  return std::strncmp(type, "EA", 2) == 0 || std::strncmp(type, "EB", 2) == 0 ||
         std::strncmp(type, "EW", 2) == 0;
}

namespace {

struct TFieldRule {
  const char* label;
  double lowest;
  double highest;
};

constexpr TFieldRule kFrequencyFields[3] = {
    {"Minimal period [d]:", 0.001, 1000.0},
    {"Maximal period [d]:", 0.001, 1000.0},
    {"Resolution [d]:", 1e-7, 100.0},
};

// The settings dialog; false on Cancel or when a value is out of its range
// (after saying so). The spin fields of the GUI keep values in range; typed
// text is checked here.
bool AskFrequencySettings(ombrix_data::CUserIO& io, TFrequencySettings& settings) {
  double* targets[3] = {&settings.minPeriod, &settings.maxPeriod, &settings.resolution};
  char texts[3][40];
  ombrix_data::TTextField fields[3];
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    Str::RealToStrA(*targets[i], 15, false, 39, texts[i], ok);
    if (!ok) std::snprintf(texts[i], sizeof texts[i], "%.15g", *targets[i]);
    fields[i] = {kFrequencyFields[i].label, 39, texts[i]};
  }
  if (!io.EditTexts("Find periods by Frequency analysis", fields, 3)) return false;
  double parsed[3];
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    parsed[i] = Str::StrToRealA(39, texts[i], ok);
    if (!ok || !(parsed[i] >= kFrequencyFields[i].lowest) ||
        !(parsed[i] <= kFrequencyFields[i].highest)) {
      io.ShowMessage(TUserMessage{"Find periods by Frequency analysis",
                                  {"Invalid value of", kFrequencyFields[i].label, nullptr},
                                  TMessageIcon::exclamation});
      return false;
    }
  }
  for (int i = 0; i < 3; ++i) *targets[i] = parsed[i];
  return true;
}

// The period list element at position `index` (0-based), or null.
CPeriodListElem* PeriodAt(vlist::CList& periods, std::uint32_t index) {
  vlist::CListElem* e = periods.first;
  for (std::uint32_t i = 0; e && i < index; ++i) e = e->next;
  return static_cast<CPeriodListElem*>(e);
}

}  // namespace

bool FindPeriodsByFrequencyAnalysis(ombrix_data::CObjectListElem& object,
                                    TFrequencySettings& settings, std::uint32_t processorCount,
                                    ombrix_data::CUserIO& io, CFrequencyAnalysisDialog& dialog,
                                    TPeriodComboPane& pane) {
  const bool eclipsing = IsEclipsingType(object.variabilityType);
  if (!AskFrequencySettings(io, settings)) return false;
  const std::uint64_t trials = FrequencyTrialCount(settings);
  if (trials > INT32_MAX) {
    io.ShowMessage(TUserMessage{"Find periods by Frequency analysis",
                                {"Too many steps", nullptr, nullptr}, TMessageIcon::exclamation});
    return false;
  }
  const std::uint32_t before = object.periods.count;
  if (!RunFrequencyAnalysis(object, settings.minPeriod, settings.maxPeriod,
                            static_cast<std::uint32_t>(trials), object.periods, dialog,
                            processorCount))
    return false;
  if (object.periods.count == before) {
    io.ShowMessage(TUserMessage{"Cannot find period", {"Frequency analysis failed", nullptr, nullptr},
                                TMessageIcon::stop});
    return false;
  }
  if (eclipsing)
    for (auto* p = PeriodAt(object.periods, before); p; p = static_cast<CPeriodListElem*>(p->next))
      p->period *= 2.0;
  PrependObjectPeriod(object);
  pane.RefillPeriods(object.periods);
  io.ShowMessage(TUserMessage{"Possible periods were found",
                              {"Three periods with highest response",
                               "were added as items of period combo-box \"P:\"", nullptr},
                              TMessageIcon::information});
  return true;
}

}  // namespace ombrix_analysis
