// Minimum timing: fit of the local eclipse model and its bootstrap error.
#include "ombrix_analysis/minimum_fit.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include <corekit/vlist_ex.h>
#include <mpfit/mpfit.h>
#include <runbase/diag.h>

#include "fit_descriptors.h"
#include "minimum_evaluator.h"

namespace ombrix_analysis {

using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;

namespace {

constexpr double kLower[kMinimumParameterCount] = {-20.0, -0.33, -20.0, 0.0, 0.0, 0.0, -10.0};
constexpr double kUpper[kMinimumParameterCount] = {20.0, 1.33, 20.0, 10.0, 0.6, 99.0, 10.0};

// The time of minimum is always free; the others follow their check boxes.
void FillDescriptors(const bool* free, mp_par* pars) {
  bool withPhase[kMinimumParameterCount];
  std::copy(free, free + kMinimumParameterCount, withPhase);
  withPhase[mmPhase] = true;
  FillBoundedDescriptors(kMinimumParameterCount, withPhase, kLower, kUpper, pars);
}

bool InWindow(const TMinimumFitTab& tab, double t) { return tab.start <= t && t <= tab.end; }

std::size_t CountInWindow(const TMinimumFitTab& tab) {
  return static_cast<std::size_t>(std::count_if(
      tab.points, tab.points + tab.pointCount, [&](const TFitPoint& p) { return InWindow(tab, p.phase); }));
}

// The window's points with normalised time, errors of 0 counted as 1 and no
// series offset.
std::vector<TFitPoint> NormalisedWindow(const TMinimumFitTab& tab) {
  std::vector<TFitPoint> window;
  const double length = tab.end - tab.start;
  for (std::size_t i = 0; i < tab.pointCount; ++i) {
    const TFitPoint& p = tab.points[i];
    if (!InWindow(tab, p.phase)) continue;
    TFitPoint n = p;
    n.phase = (p.phase - tab.start) / length;
    if (n.error == 0.0) n.error = 1.0;
    n.seriesOffset = 0.0;
    window.push_back(n);
  }
  return window;
}

// One fit of the minimum model; x holds the start vector and gets the result.
int RunMinimumFit(const std::vector<TFitPoint>& points, CMinimumEvaluator& evaluator, double* x,
                  mp_par* pars, mp_result& result) {
  mp_config config;
  std::memset(&config, 0, sizeof config);
  std::memset(&result, 0, sizeof result);
  evaluator.Reset(points.data(), points.size());
  return mpfit(CMinimumEvaluator::Residual, static_cast<int>(points.size()), kMinimumParameterCount,
               x, pars, &config, &evaluator, &result);
}

void ShowTooFewPoints(ombrix_data::CUserIO& io, const char* caption) {
  char needed[48];
  std::snprintf(needed, sizeof needed, "At last %zu points needed for fit.", kMinMinimumFitPoints);
  io.ShowMessage(TUserMessage{caption, {"Series contains too little points.", needed, nullptr},
                              TMessageIcon::stop});
}

// Times are normalised by the window's length, and the time of minimum may
// lie beyond either end by a third of it (the bounds of x0). A length that is
// not positive, or ends so far apart that the length or those times overflow,
// would give non-finite times and a non-finite time of minimum.
bool IsUsableWindow(const TMinimumFitTab& tab) {
  const double length = tab.end - tab.start;
  return std::isfinite(length) && length > 0.0 &&
         std::isfinite(tab.start + kLower[mmPhase] * length) &&
         std::isfinite(tab.start + kUpper[mmPhase] * length);
}

void ShowUnusableWindow(ombrix_data::CUserIO& io, const char* caption) {
  io.ShowMessage(TUserMessage{caption,
                              {"Time window is not valid.",
                               "Its ends must be finite, in order and not too far apart.", nullptr},
                              TMessageIcon::stop});
}

// An additive lagged-Fibonacci generator of 55 words, the kind the shared
// runbase generator uses, owned by one bootstrap worker.
class CLaggedFibonacci {
 public:
  explicit CLaggedFibonacci(std::uint32_t seed) {
    for (std::uint32_t& w : word_) {
      seed = seed * 3141592621u + 17u;
      w = seed >> 16;
    }
  }
  std::uint32_t Next(std::uint32_t n) {
    j_ = j_ == 0 ? 54 : j_ - 1;
    k_ = k_ == 0 ? 54 : k_ - 1;
    word_[j_] += word_[k_];
    return n == 0 ? word_[j_] : word_[j_] % n;
  }

 private:
  std::uint32_t word_[55];
  std::uint32_t j_ = 54;
  std::uint32_t k_ = 23;
};

// Spreads the bits of a worker's seed so that neighbouring seeds start
// unrelated streams (the splitmix finaliser).
std::uint32_t MixSeed(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>(z ^ (z >> 31));
}

class CTimeElem : public vlist::CListElem {
 public:
  double time = 0.0;
};

// What every worker shares read-only.
struct TBootstrapShared {
  const std::vector<TFitPoint>* points;
  const double* start;  // the fitted parameters
  const bool* free;
  double windowStart;
  double windowLength;
  vlist_ex::CSynchronizedList* times;
};

void RunResamples(const TBootstrapShared& shared, std::uint32_t count, std::uint32_t seed) {
  CLaggedFibonacci random(seed);
  const std::vector<TFitPoint>& points = *shared.points;
  const auto n = static_cast<std::uint32_t>(points.size());
  std::vector<TFitPoint> resample(n);
  mp_par pars[kMinimumParameterCount];
  mp_result result;
  CMinimumEvaluator evaluator;
  for (std::uint32_t r = 0; r < count; ++r) {
    for (std::uint32_t i = 0; i < n; ++i) resample[i] = points[random.Next(n)];
    double x[kMinimumParameterCount];
    std::memcpy(x, shared.start, sizeof x);
    FillDescriptors(shared.free, pars);
    if (RunMinimumFit(resample, evaluator, x, pars, result) <= 0) continue;
    auto* elem = new CTimeElem;
    elem->time = x[mmPhase] * shared.windowLength + shared.windowStart;
    shared.times->Append(elem);
  }
}

// Runs `workers` threads of `perWorker` resamples each (on the calling thread
// when there is one worker), dispatching the tab's input while waiting.
void RunBootstrap(TMinimumFitTab& tab, const TBootstrapShared& shared, unsigned workers,
                  std::uint32_t perWorker, std::uint32_t baseSeed) {
  if (workers <= 1) {
    RunResamples(shared, perWorker, MixSeed(baseSeed));
    return;
  }
  std::mutex mutex;
  std::condition_variable done;
  unsigned running = workers;
  std::vector<std::thread> threads;
  threads.reserve(workers);
  for (unsigned w = 0; w < workers; ++w) {
    const std::uint32_t seed = MixSeed((std::uint64_t(baseSeed) << 8) + w);
    threads.emplace_back([&, seed] {
      RunResamples(shared, perWorker, seed);
      std::lock_guard lock(mutex);
      --running;
      done.notify_one();
    });
  }
  {
    std::unique_lock lock(mutex);
    while (!done.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; })) {
      lock.unlock();
      tab.DispatchPendingInput();
      lock.lock();
    }
  }
  for (std::thread& t : threads) t.join();
}

std::uint32_t ClockSeed() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<std::uint32_t>(now ^ (now >> 32)) ^ std::random_device{}();
}

// Refits kBootstrapResamples resamples of the window's points (rounded up to
// a multiple of the workers), spread over the workers, and gives the times of
// minimum of those that fitted, in the order the workers delivered them.
std::vector<double> ResampledTimesOfMinimum(TMinimumFitTab& tab, const TBootstrapOptions& options,
                                            std::uint32_t& resamples) {
  const std::vector<TFitPoint> window = NormalisedWindow(tab);
  vlist_ex::CSynchronizedList times;
  times.Init(nullptr);
  const TBootstrapShared shared{&window, tab.parameters.value, tab.free, tab.start,
                                tab.end - tab.start, &times};
  const unsigned workers = options.processors ? options.processors : ProcessorCount();
  const std::uint32_t perWorker = (kBootstrapResamples + workers - 1) / workers;
  RunBootstrap(tab, shared, workers, perWorker, options.seed ? *options.seed : ClockSeed());
  resamples = perWorker * workers;

  std::vector<double> found;
  vlist::CListElem* elem = nullptr;
  for (bool more = times.GetFirst(elem); more; more = times.GetNext(elem))
    found.push_back(static_cast<CTimeElem*>(elem)->time);
  times.DisposeList();
  times.Done();
  return found;
}

}  // namespace

unsigned ProcessorCount() {
  static const unsigned count = std::max(1u, std::thread::hardware_concurrency());
  return count;
}

void PrepareMinimumModel(TMinimumParameters& p) {
  const double d = p.value[mmD];
  p.curvature = p.value[mmC] / (d * d);
  p.inverseWidth = 1.0 / d;
}

namespace {

// The eclipse profile 1 - (1 - exp(1 - cosh(u/D)))^G.
double MinimumProfile(const TMinimumParameters& p, double u) {
  return ombrix_model::EclipseProfile(u * p.inverseWidth, p.value[mmG]);
}

double MinimumFromProfile(const TMinimumParameters& p, double u, double profile) {
  return profile * (1.0 + p.curvature * u * u) * p.value[mmA] + (u * p.value[mmTrend] + p.value[mmMag0]);
}

}  // namespace

double EvaluateMinimumModel(const TMinimumParameters& p, double x) {
  const double u = x - p.value[mmPhase];
  return MinimumFromProfile(p, u, MinimumProfile(p, u));
}

void CMinimumEvaluator::Reset(const TFitPoint* points, std::size_t count) {
  points_ = points;
  count_ = count;
  profile_.Clear();
}

void CMinimumEvaluator::Residuals(const double* x, double* fvec) {
  TMinimumParameters model;
  std::memcpy(model.value, x, sizeof model.value);
  PrepareMinimumModel(model);
  const double minimum = model.value[mmPhase];
  const double* profile = profile_.Get({minimum, x[mmD], x[mmG]}, count_, [&](double* out) {
    for (std::size_t i = 0; i < count_; ++i) out[i] = MinimumProfile(model, points_[i].phase - minimum);
  });
  for (std::size_t i = 0; i < count_; ++i) {
    const TFitPoint& p = points_[i];
    fvec[i] = (p.value - MinimumFromProfile(model, p.phase - minimum, profile[i])) / p.error;
  }
}

int CMinimumEvaluator::Residual(int /*m*/, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                                void* privateData) {
  static_cast<CMinimumEvaluator*>(privateData)->Residuals(x, fvec);
  return 0;
}

int MinimumResidual(int m, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                    void* privateData) {
  TMinimumParameters model;
  std::memcpy(model.value, x, sizeof model.value);
  PrepareMinimumModel(model);
  const auto* points = static_cast<const TFitPoint*>(privateData);
  for (int i = 0; i < m; ++i)
    fvec[i] = (points[i].value - EvaluateMinimumModel(model, points[i].phase)) / points[i].error;
  return 0;
}

void StartMinimumFromWindow(TMinimumFitTab& tab) {
  double smallest = 0.0, largest = 0.0, timeOfLargest = tab.start;
  bool any = false;
  for (std::size_t i = 0; i < tab.pointCount; ++i) {
    const TFitPoint& p = tab.points[i];
    if (p.phase < tab.start || p.phase > tab.end) continue;
    if (!any || p.value < smallest) smallest = p.value;
    if (!any || p.value > largest) largest = p.value, timeOfLargest = p.phase;
    any = true;
  }
  const double span = tab.end - tab.start;
  double* f = tab.fields;
  f[mmMag0] = smallest;
  f[mmPhase] = span > 0 ? (timeOfLargest - tab.start) / span : 0.5;
  f[mmTrend] = 0.0;
  f[mmA] = largest - smallest;
  f[mmD] = 0.1;
  f[mmG] = 1.0;
  f[mmC] = 0.0;
}

bool FitMinimum(TMinimumFitTab& tab, ombrix_data::CUserIO& io) {
  if (CountInWindow(tab) < kMinMinimumFitPoints) {
    ShowTooFewPoints(io, "Cannot perform minimum fit");
    tab.fitted = false;
    tab.Redraw();
    return false;
  }
  if (!IsUsableWindow(tab)) {
    ShowUnusableWindow(io, "Cannot perform minimum fit");
    tab.fitted = false;
    tab.Redraw();
    return false;
  }
  tab.SetBusy(true);
  double x[kMinimumParameterCount];
  std::memcpy(x, tab.fields, sizeof x);
  mp_par pars[kMinimumParameterCount];
  FillDescriptors(tab.free, pars);
  std::vector<TFitPoint> window = NormalisedWindow(tab);
  mp_result result;
  CMinimumEvaluator evaluator;
  const int status = RunMinimumFit(window, evaluator, x, pars, result);
  if (status > 0) {
    const double length = tab.end - tab.start;
    std::memcpy(tab.fields, x, sizeof x);
    std::memcpy(tab.parameters.value, x, sizeof x);
    PrepareMinimumModel(tab.parameters);
    tab.widthDays = length * x[mmD];
    tab.fitPointCount = window.size();
    tab.chi2 = result.bestnorm;
    tab.minimumTime = tab.start + x[mmPhase] * length;
    tab.fitted = true;
  } else {
    char text[64];
    FitStatusText(status, sizeof text, text);
    io.ShowMessage(TUserMessage{"Minimum fitting failed", {text, nullptr, nullptr}, TMessageIcon::stop});
    tab.fitted = false;
  }
  tab.Redraw();
  tab.SetBusy(false);
  return status > 0;
}

void SummariseBootstrapTimes(const std::vector<double>& times, TBootstrapOutcome& outcome) {
  outcome.accepted = static_cast<std::uint32_t>(times.size());
  outcome.mean = 0.0;
  outcome.sigma = 0.0;
  if (times.empty()) return;
  double sum = 0.0;
  for (double t : times) sum += t;
  outcome.mean = sum / outcome.accepted;
  double squares = 0.0;
  for (double t : times) {
    const double d = t - outcome.mean;
    squares += d * d;
  }
  outcome.sigma = std::sqrt(squares / outcome.accepted);
}

bool EstimateMinimumError(TMinimumFitTab& tab, ombrix_data::CUserIO& io,
                          const TBootstrapOptions& options, TBootstrapOutcome* outcome) {
  if (!tab.fitted) {
    io.ShowMessage(TUserMessage{"Cannot Estimate Error",
                                {"Minimum must be properly fitted", "prior to error estimation.", nullptr},
                                TMessageIcon::stop});
    return false;
  }
  if (CountInWindow(tab) < kMinMinimumFitPoints) {
    ShowTooFewPoints(io, "Cannot Estimate Error");
    return false;
  }
  if (!IsUsableWindow(tab)) {
    ShowUnusableWindow(io, "Cannot Estimate Error");
    return false;
  }
  tab.SetBusy(true);
  const auto began = std::chrono::steady_clock::now();
  TBootstrapOutcome result;
  const std::vector<double> times = ResampledTimesOfMinimum(tab, options, result.resamples);
  SummariseBootstrapTimes(times, result);
  tab.errorShown = result.accepted > 0 && result.sigma < kMaxShownBootstrapError;
  if (tab.errorShown) {
    tab.minimumError = result.sigma;
  } else if (result.accepted > 0) {
    Diag::Printf("Error > %g, list of Times\r\n", kMaxShownBootstrapError);
    for (double t : times) Diag::Printf("  %.7f\r\n", t);
  }
  if (outcome) *outcome = result;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  Diag::Printf("Bootstrap time = %.4f s\r\n", seconds);
  tab.Redraw();
  tab.SetBusy(false);
  return tab.errorShown;
}

}  // namespace ombrix_analysis
