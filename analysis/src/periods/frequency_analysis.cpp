// Frequency analysis of an object: workers, progress, the run and the command.
#include "ombrix_analysis/frequency_analysis.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <runbase/str.h>

#include "frequency_gridded.h"

namespace ombrix_analysis {

using ombrix_data::CPeriodListElem;
using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;

// Trials go in chunks: the chunk's periods by repeated addition, then its
// values through the samples of the gridded scan when that is cheaper
// (frequency_gridded.h), else each trial directly as it comes.
std::uint32_t FrequencyAnalysisWorker(TFrequencyWorkerParams& p) {
  CGriddedTrials gridded(p.pointCount, p.values, p.times, p.weights);
  std::vector<double> periods(gridded.ChunkLength()), values(gridded.ChunkLength());
  const auto stopped = [&p] {
    if (!p.stop.load(std::memory_order_relaxed)) return false;
    if (p.window) p.window->PostFinished(p.threadIndex);
    return true;
  };
  double period = static_cast<double>(p.first) * p.step + p.minPeriod;
  for (std::int64_t i = p.first; i <= p.last;) {
    const auto count = static_cast<std::uint32_t>(std::min<std::int64_t>(periods.size(), p.last - i + 1));
    for (std::uint32_t j = 0; j < count; ++j) {
      periods[j] = period;
      period += p.step;
    }
    if (stopped()) return kWorkerStopped;
    const bool sampled = gridded.Pays(count, periods.data());
    if (sampled) gridded.Score(count, periods.data(), values.data());
    for (std::uint32_t j = 0; j < count; ++j, ++i) {
      if (stopped()) return kWorkerStopped;
      p.results[i] = sampled ? values[j] : gridded.DirectValue(periods[j]);
      if (p.window && p.progressRequest.exchange(0) != 0)
        p.window->PostProgress(p.threadIndex, static_cast<std::uint32_t>(i - p.first + 1));
    }
  }
  if (p.window) p.window->PostFinished(p.threadIndex);
  return kWorkerCompleted;
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

bool RunFrequencyAnalysis(const ombrix_data::CObjectListElem& object, double minPeriod,
                          double maxPeriod, std::uint32_t trialCount, vlist::CList& periods,
                          CFrequencyAnalysisDialog& dialog, std::uint32_t workers) {
  if (CountEnabledPoints(object) <= kMinFrequencyPoints) return false;
  if (workers == 0) workers = 1;
  TFrequencyInput in;
  BuildFrequencyInput(object, in);
  std::vector<double> results(trialCount, 0.0);
  const double step = TrialStep(minPeriod, maxPeriod, trialCount);

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

  for (std::uint32_t index : ThreeLargestTrials(results)) {
    auto* elem = new CPeriodListElem;
    elem->period = minPeriod + index * step;
    periods.Append(elem);
  }
  return true;
}

bool IsEclipsingType(const char* type) {
  return std::strncmp(type, "EA", 2) == 0 || std::strncmp(type, "EB", 2) == 0 ||
         std::strncmp(type, "EW", 2) == 0;
}

namespace {

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
    if (!ok) *std::to_chars(texts[i], texts[i] + sizeof texts[i] - 1, *targets[i], std::chars_format::general, 15).ptr = 0;
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

}  // namespace

bool CFrequencyAnalysisDialog::AskSettings(TFrequencySettings& settings, ombrix_data::CUserIO& io) {
  return AskFrequencySettings(io, settings);
}

namespace {

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
  if (!dialog.AskSettings(settings, io)) return false;
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
