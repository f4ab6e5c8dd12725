// Minimum timing: a local model of one eclipse fitted to the points of one
// series inside a time window, and a bootstrap estimate of the error of the
// time of minimum. GUI-free: the minimum-fit tab is TMinimumFitTab, messages
// go through CUserIO.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <ombrix_field/user_io.h>

#include "ombrix_analysis/phase_fit.h"

namespace ombrix_analysis {

// Index of each minimum-model parameter; also the fitter's parameter order.
enum TMinimumParameterIndex : int {
  mmMag0 = 0,  // level outside the eclipse at the minimum
  mmPhase,     // normalised time of minimum x0 (always free)
  mmTrend,     // linear slope of the level per window length
  mmA,         // eclipse amplitude
  mmD,         // width in window units
  mmG,         // shape exponent
  mmC,         // curvature correction
};

inline constexpr int kMinimumParameterCount = 7;
// Fewest points in the window that a minimum fit accepts.
inline constexpr std::size_t kMinMinimumFitPoints = 7;
// Resamples of one bootstrap (rounded up to a multiple of the worker count).
inline constexpr std::uint32_t kBootstrapResamples = 1000;

// How the minimum-fit tab times a minimum: by fitting the minimum model
// (with a bootstrap error) or by the Kwee-van Woerden method ("KvW").
enum class TMinimumMethod { model, kvw };
// Reflections of the KvW method by default; the original method used 3.
inline constexpr int kDefaultKvWReflections = 5;

struct TMinimumParameters {
  double value[kMinimumParameterCount];
  double curvature;     // C / D^2, derived
  double inverseWidth;  // 1 / D, derived
};

// Recomputes the two derived values.
void PrepareMinimumModel(TMinimumParameters& parameters);
// The model at normalised time x; the derived values must be current.
double EvaluateMinimumModel(const TMinimumParameters& parameters, double x);

// The mpfit user function of the minimum fit: privateData is a TFitPoint
// array whose phase field holds the normalised time. Returns 0.
int MinimumResidual(int m, int n, double* x, double* fvec, double** dvec, void* privateData);

// The state of the minimum-fit tab. The GUI derives from it to draw.
class TMinimumFitTab {
 public:
  virtual ~TMinimumFitTab() = default;

  const TFitPoint* points = nullptr;  // the selected series; phase holds the time (JD)
  std::size_t pointCount = 0;
  double start = 0.0;  // time window, JD
  double end = 0.0;
  double fields[kMinimumParameterCount] = {};  // the seven parameter fields
  bool free[kMinimumParameterCount] = {};      // check boxes; Phase is free whatever its box
  TMinimumMethod method = TMinimumMethod::model;  // the method choice
  int kvwReflections = kDefaultKvWReflections;    // reflections of the KvW method

  // Results of the last fit.
  bool fitted = false;
  TMinimumParameters parameters = {};
  std::size_t fitPointCount = 0;
  double chi2 = 0.0;
  double widthDays = 0.0;     // "D[d]:"
  double minimumTime = 0.0;   // "Freeze Minimum <F9>:"
  double minimumError = 0.0;  // "Freeze Error <F10>:", meaningful when errorShown
  bool errorShown = false;    // false: the error field is empty

  virtual void SetBusy(bool /*busy*/) {}
  virtual void Redraw() {}
  // Called now and then on the calling thread while the bootstrap workers run.
  virtual void DispatchPendingInput() {}
};

// Fills the seven fields with a start from the window's points: the level at
// the smallest value, the minimum at the time of the largest (magnitudes grow
// in eclipse), the depth between them, no trend, and a plain profile a tenth
// of the window wide.
void StartMinimumFromWindow(TMinimumFitTab& tab);

// The command "Fit Min.": true when the fit succeeded.
bool FitMinimum(TMinimumFitTab& tab, ombrix_data::CUserIO& io);

struct TBootstrapOptions {
  unsigned processors = 0;               // 0: the processor count of the machine
  std::optional<std::uint32_t> seed;     // none: seeded from the clock
};

// What the last bootstrap did.
struct TBootstrapOutcome {
  std::uint32_t resamples = 0;  // resamples attempted
  std::uint32_t accepted = 0;   // successful fits among them
  double mean = 0.0;
  double sigma = 0.0;           // population standard deviation, days
};

// The accepted count, mean and population standard deviation of the times of
// minimum of a bootstrap's successful resamples (mean and sigma 0 without
// any); `resamples` is left as it is.
void SummariseBootstrapTimes(const std::vector<double>& times, TBootstrapOutcome& outcome);
// A bootstrap spread of this many days or more is not shown as the error.
inline constexpr double kMaxShownBootstrapError = 1.0;

// The command "Est. Err.": resamples the window's points with replacement,
// refits each resample and writes the spread of the times of minimum into
// the error field. True when the error field was set.
bool EstimateMinimumError(TMinimumFitTab& tab, ombrix_data::CUserIO& io,
                          const TBootstrapOptions& options = {},
                          TBootstrapOutcome* outcome = nullptr);

// Processors of the machine, taken once.
unsigned ProcessorCount();

}  // namespace ombrix_analysis
