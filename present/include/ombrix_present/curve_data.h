// Chart data of an object: the builders that turn its series, minima and fit
// into the points and markers of the chart tabs, and the formulas of the
// object pane's sliders.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <ombrix_field/filters.h>
#include <ombrix_field/object.h>
#include <ombrix_model/light_curve_model.h>

#include "ombrix_present/chart_pane.h"
#include "ombrix_present/prediction.h"

namespace ombrix_analysis {
struct TScaleRefusal;
}

namespace ombrix_lc {

// The chart tabs of the object pane, numbered from 1 as the tabs are.
enum TChartTab : int {
  ctTimeSeries = 1,
  ctCompressedSeries = 2,
  ctPhasedCurve = 3,
  ctPhasedCurveFit = 4,
  ctMinimumMirror = 5,
  ctMinimumFit = 6,
  ctETV = 7,
  ctPrediction = 11,
};

// The display settings and times the builders read.
struct TDisplayOptions {
  bool showDev = true;       // error bars
  bool showMinima = true;    // minimum markers
  bool showNow = true;       // "now" line on the phased charts
  bool showTime = true;      // chosen-time line on the phased charts
  double chosenTime = 0.0;   // Julian date (UTC) chosen on the main window; 0 for none
  double now = 0.0;          // the current Julian date (UTC); 0: read the clock
};

// Every builder ends by repainting the chart. keepZoom keeps the visible
// range (clipped to the new data) for rebuilds after edits on the shown object.
struct TBuildRequest {
  const ombrix_data::CObjectListElem* object = nullptr;
  const ombrix_data::CFilterTable* filters = nullptr;  // null: every series black
  TDisplayOptions options;
  const CSeriesTreeElem* selected = nullptr;           // series selected in the list
  bool keepZoom = false;
  // The Prediction: site and limits, start (Julian date, 0: now) and length.
  TPredictionSite site;
  double predictionStart = 0.0;
  double predictionDays = 1.0;
};

// A series takes part when it is enabled and holds points.
bool TakesPart(const CSeriesTreeElem& series);
// Points of the taking-part series of an object.
std::uint32_t TakingPartPoints(const ombrix_data::CObjectListElem& object);
TColor MinimumColour(ombrix_data::TMinimumType type);
// The current UTC time as a Julian date.
double CurrentJulianDate();

void ShowTimeSeries(CLightCurvePane& chart, const TBuildRequest& request);
void ShowCompressedSeries(CLightCurvePane& chart, const TBuildRequest& request);
// tab is ctPhasedCurve (two cycles, the stored fit when it is kept with the
// field) or ctPhasedCurveFit (one cycle, editedFit when given).
void ShowPhasedCurve(CLightCurveFitPane& chart, const TBuildRequest& request, TChartTab tab,
                     const ombrix_model::TFitParameters* editedFit = nullptr);
// The selected series and its mirror image about the middle of [t1, t2].
void ShowMinimumMirror(CLightCurvePane& chart, const TBuildRequest& request, double t1, double t2);

// The Minimum Fit of the request's selected series: its points in black, its
// enabled minima, the fit window [t1, t2] as its two limit markers and, when
// fittedMinimum is not 0, a marker at the fitted time. The x range is the
// series' span; keepZoom keeps the visible range. The fitted minimum curve
// is forgotten: the caller sets it again when there is one.
void ShowMinimumFit(CMinimumFitPane& chart, const TBuildRequest& request, double t1, double t2,
                    double fittedMinimum);

// O-C of a minimum at time t for epoch m0 and period (non-zero): a
// secondary minimum is counted from m0 + period/2, the epoch is rounded to
// the nearest integer with halves away from zero.
double ObservedMinusComputed(double t, ombrix_data::TMinimumType type, double m0, double period);
// The ETV Diagram: O-C of every enabled minimum of the enabled series,
// coloured by type, with the times in the object's common minima scale
// (the x label names it). A period of 0 leaves an empty chart with its
// axes. Minima of scales that cannot be combined leave it empty too: false,
// with the reason in `refusal` when given.
bool ShowETV(CLightCurvePane& chart, const TBuildRequest& request,
             ombrix_analysis::TScaleRefusal* refusal = nullptr);

// The Prediction of object (null: none) over [start, end] seen from site:
// its ephemeris, the model when its fit is defined and its position.
void ShowPrediction(CPredictionPane& chart, const ombrix_data::CObjectListElem* object, const TPredictionSite& site,
                    double start, double end);

using ombrix_model::PhaseInWindow;

// Sliders of the object pane, positions -3000 to 3000.
inline constexpr int kSliderHalfRange = 3000;
double PeriodFromSlider(double savedPeriod, double range, int position);
int SliderFromPeriod(double period, double savedPeriod, double range);
double OffsetFromSlider(double savedOffset, double range, int position);
double MultiplierFromSlider(double savedMultiplier, double range, int position);
// The moved end of the mirror window: [t1, t2] from the series' first and
// last time and the slider position.
void MirrorWindow(double first, double last, int position, double& t1, double& t2);

// Draws chart tab `tab` of the request's object off-screen at width x height
// through the panes the object pane uses (the Minimum Mirror shows the
// request's selected series over its whole span). False with a one-line
// reason in `why` for tabs without a chart here or a failed drawing.
// The chart of tab `tab` built for the request in a pane of its kind, or
// null with a one-line reason in `why` for tabs without a chart here.
std::unique_ptr<CLightCurvePane> BuildChartTab(int tab, const TBuildRequest& request, std::string& why);
bool DrawChartTab(int tab, const TBuildRequest& request, int width, int height, vimage::CImage& image,
                  std::string& why);

}  // namespace ombrix_lc
