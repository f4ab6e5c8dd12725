// Phase-curve fit: the light-curve model fitted to the phased points of one
// object by bounded Levenberg-Marquardt least squares (mpfit). GUI-free: the
// fit tab hands in its sixteen fields, check boxes and phased points, and
// receives the results through TPhaseFitPane and CUserIO.
#pragma once

#include <cstddef>
#include <cstdint>

#include <ombrix_field/object.h>
#include <ombrix_field/user_io.h>
#include <ombrix_model/light_curve_model.h>

namespace ombrix_analysis {

// One point of a phased curve (or, for the minimum fit, of a time window).
struct TFitPoint {
  double phase;         // phase, or time for the minimum fit
  double value;         // in the series' value unit
  double error;         // 0 counts as 1 in the fits
  double seriesOffset;  // offset (magnitudes) or multiplier (fluxes) of the point's series
  std::uint32_t colour;
  const ombrix_data::CSeriesTreeElem* series;
};

// Fewest phased points a phase-curve fit accepts.
inline constexpr std::size_t kMinPhaseFitPoints = 15;

// The state of the fit tab that a phase-curve fit reads and writes. The GUI
// derives from it to redraw; tests use it as it is.
class TPhaseFitPane {
 public:
  virtual ~TPhaseFitPane() = default;

  const TFitPoint* points = nullptr;  // the phased curve, phases in [-0.25, 0.75)
  std::size_t pointCount = 0;
  double fields[ombrix_model::FitParameterCount] = {};  // the sixteen parameter fields
  bool free[ombrix_model::FitParameterCount] = {};      // check boxes: parameter is free

  // Busy cursor on (true) and off (false).
  virtual void SetBusy(bool /*busy*/) {}
  // The object's parameters changed after a successful fit: the pane copies
  // them into its model, recomputes the drawn curve and its extremes, shows
  // them and repaints. Called before the success message is shown.
  virtual void FitAccepted(const ombrix_model::TFitParameters& /*fit*/) {}
};

// Limits the fit keeps each of the sixteen parameters within, storage order.
extern const double PhaseFitLowerBounds[ombrix_model::FitParameterCount];
extern const double PhaseFitUpperBounds[ombrix_model::FitParameterCount];

// What the last FitPhaseCurve did.
struct TPhaseFitOutcome {
  int status = 0;            // mpfit status; 0 also when no fit ran
  std::size_t pointCount = 0;
  double initialChi2 = 0.0;  // mp_result::orignorm
  double finalChi2 = 0.0;    // mp_result::bestnorm
};

// The mpfit user function of the phase-curve fit; privateData is the
// TFitPoint array (phases in [0, 1), errors not 0). The residual of a point
// is (value + seriesOffset - model) / error. Returns 0.
int PhaseCurveResidual(int m, int n, double* x, double* fvec, double** dvec, void* privateData);

// The text of a failed mpfit status, cut to bufferSize - 1 characters.
void FitStatusText(int status, std::size_t bufferSize, char* buffer);

// Fits the checked parameters of the pane to its phased curve, whose values
// count as the charts show them: plus the series offset for magnitudes, times
// the series multiplier for a flux object. On success the fields and the
// object's fit parameters get the fitted values and the user sees the point
// count and both chi^2 values; on failure a stop message says why and nothing
// changes. Returns true on success.
bool FitPhaseCurve(TPhaseFitPane& pane, ombrix_data::CObjectListElem& object,
                   ombrix_data::CUserIO& io, TPhaseFitOutcome* outcome = nullptr);

// Copies the points into `folded` (pointCount entries) ready for a fit: an
// error of exactly 0 becomes 1 and a negative phase gets 1 added.
void FoldFitPoints(const TFitPoint* points, std::size_t pointCount, TFitPoint* folded);

}  // namespace ombrix_analysis
