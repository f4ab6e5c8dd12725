// Chart panes of the object pane: points with error bars, vertical markers
// and axes (CLightCurvePane), with a phased model curve (CLightCurveFitPane)
// or a fitted minimum (CMinimumFitPane). A pane keeps its chart data in chart
// units, lays it out into integer pixels once per change of the visible range
// and paints from those pixels only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <ombrix_model/light_curve_model.h>
#include <winkit/vcont.h>
#include <winkit/vgr.h>
#include <winkit/view.h>
#include <winkit/vimage.h>

namespace ombrix_data {
class CSeriesTreeElem;
}

namespace ombrix_lc {

using vcolor::TColor;
using ombrix_data::CSeriesTreeElem;

void Init_();

// Colours of the charts.
inline constexpr TColor kGridColour = vcolor::RGBA(216, 216, 216);       // tick crosses, series boundaries
inline constexpr TColor kModelColour = vcolor::RGBA(31, 63, 255);        // model and minimum curves
inline constexpr TColor kSelectionColour = vcolor::RGBA(255, 0, 0);      // circles round selected points
inline constexpr TColor kNowColour = vcolor::RGBA(255, 192, 128);        // "now" line
inline constexpr TColor kChosenTimeColour = vcolor::RGBA(128, 192, 255); // chosen date/time line
inline constexpr TColor kUnmirroredColour = vcolor::RGBA(0, 0, 0);
inline constexpr TColor kMirroredColour = vcolor::RGBA(255, 0, 0);
inline constexpr TColor kMirrorAxisColour = vcolor::RGBA(0, 127, 0);
inline constexpr TColor kFitWindowColour = vcolor::RGBA(0, 127, 0);
inline constexpr TColor kFittedMinimumColour = vcolor::RGBA(0, 0, 127);
inline constexpr TColor kPrimaryColour = vcolor::RGBA(216, 0, 0);
inline constexpr TColor kSecondaryColour = vcolor::RGBA(0, 216, 0);
inline constexpr TColor kUndefinedColour = vcolor::RGBA(0, 0, 216);

// Sizes of a chart at 96 dpi: margins round the plot, the inset between the
// axes and the outermost data, and the spacing of the y ticks.
inline constexpr int kChartLeftMargin = 60;
inline constexpr int kChartTopMargin = 24;
inline constexpr int kChartTopMarginTitled = 48;
inline constexpr int kChartRightMargin = 16;
inline constexpr int kChartBottomMargin = 40;
inline constexpr int kChartInset = 6;
inline constexpr int kChartYTickSpacing = 30;

// Values of this size or more mark a missing measurement.
inline constexpr double kMissingValue = 100.0;
// Scroll bar of a chart: positions 0 to kScrollUnits - 1 across the data range.
inline constexpr int kScrollUnits = 5000;

enum TMarkerKind : std::uint8_t {
  mkPlain = 0,       // series boundaries, prediction events
  mkMinimum = 1,     // a time of minimum
  mkFitStart = 2,    // start of the minimum-fit window
  mkFitEnd = 3,      // end of the minimum-fit window
  mkNow = 4,         // the current time
  mkChosenTime = 5,  // the date/time chosen on the main window
};

struct TChartPoint {
  double x;                        // Julian date, days or phase
  double value;                    // magnitude or flux as stored
  double error;                    // standard deviation, 0 without
  double adjust;                   // series offset (magnitudes) or multiplier (fluxes)
  TColor colour;
  const CSeriesTreeElem* series;   // owning series or null
};

struct TChartMarker {
  double x;                        // in the chart's x unit
  double date;                     // Julian date shown at the top, 0 for none
  TColor colour;
  TMarkerKind kind;
  const CSeriesTreeElem* series;   // owning series or null
};

// A point laid out in pixels; y is -1 for a missing value.
struct TScreenPoint {
  std::int32_t x, y;
  std::int32_t error;              // half-height of the error bar
  TColor colour;
  bool selected;
};

struct TScreenMarker {
  std::int32_t x;
  bool selected;
};

struct TTick {
  std::int32_t pixel;
  double value;
};

// A lighter shade of a colour for error bars; alpha is kept.
TColor LightenColour(TColor colour);
// The tick step for a raw step: 2, 5 or 10 times the power of ten at or
// below it (twice the power when the raw step is that power exactly).
double TickStep(double rawStep);
// Decimals of the y tick labels for a step.
int TickDecimals(double step);
// The text of a marker's date: local time as "YYYY-MM-DD hh:mm:ss".
std::string MarkerDateText(double julianDate);
// The value as drawn: offset added to magnitudes, fluxes multiplied.
inline double DisplayedValue(const TChartPoint& p, bool flux) { return flux ? p.value * p.adjust : p.value + p.adjust; }

class CLightCurvePane : public view::CView {
 public:
  CLightCurvePane();
  ~CLightCurvePane() override;

  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;
  void NewRect(const vcom::CRect& rect) override;
  void PaintView(vgr::CDeviceContext& dc) override;
  // Saves the chart drawn at width x height with a title (empty: none) as an
  // SVG document or an image file. Failures are shown in an "Error" box;
  // nothing is left at path unless the whole file was written.
  virtual bool ExportSVG(const char* path, int width, int height, const char* title);
  virtual bool ExportImage(const char* path, int width, int height, const char* title, vimage::TImageFormat format);
  // Draws the chart at width x height into image (export, batch plots); the
  // pane's own size and layout are restored afterwards.
  bool ExportImage(int width, int height, vimage::CImage& image) { return DrawImage(width, height, "", image); }
  bool DrawImage(int width, int height, const char* title, vimage::CImage& image);
  // The SVG document of the chart at width x height, in memory.
  bool DrawSVG(int width, int height, const char* title, std::string& document);
  // Frees points, markers, pixel arrays and ticks: axes only.
  virtual void ClearCurve();
  // Data, value and visible ranges from the points, then the layout.
  virtual void AutoScale(double xmin, double xmax, bool explicitRange, bool keepZoom, bool updateScrollBar);
  // Lays out the chart for the visible x range [a, b].
  virtual void SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar);

  // Empty the lists and make room.
  void ReservePoints(std::uint32_t count);
  void ReserveMarkers(std::uint32_t count);
  void AppendPoint(double x, double value, double error, double adjust, TColor colour, const CSeriesTreeElem* series);
  void AppendMarker(double x, TColor colour, TMarkerKind kind, double date, const CSeriesTreeElem* series);
  // Marks the points and markers of series as selected, every other not.
  void SelectSeries(const CSeriesTreeElem* series);

  // Commands of the chart.
  void ZoomIn();
  void ZoomOut();
  void ClearZoom();
  // Wheel steps (positive forward: in) about pixel column x.
  void WheelZoom(int x, int steps);
  // The scroll bar moved to position.
  void ScrollTo(int position);
  // Pans by dx pixels of mouse motion.
  void PanBy(int dx);

  // The scroll bar the pane keeps in step with its visible range (not owned).
  void SetScrollBar(vcont::CScrollBar* bar) { scrollBar = bar; }
  void SetXLabel(const char* text) { xLabel = std::string(text).substr(0, 7); }
  void SetYLabel(const char* text) { yLabel = std::string(text).substr(0, 7); }
  void SetTitle(const char* text) { title = std::string(text).substr(0, 127); }
  void SetFlux(bool on) { flux = on; }
  void SetShowErrors(bool on) { showErrors = on; }
  void SetShowMinima(bool on) { showMinima = on; }
  void SetShowNow(bool on) { showNow = on; }
  void SetShowTime(bool on) { showTime = on; }
  void SetZeroLine(bool on) { zeroLine = on; }
  // Point radius and x label spacing at 96 dpi (ETV and prediction charts).
  void SetPointRadius96(int r) {
    pointRadius96 = r;
    radius = vcore::ScaleH(r);
  }
  void SetLabelSpacing96(int spacing) { labelSpacing96 = spacing; }

  const std::vector<TChartPoint>& Points() const { return points; }
  const std::vector<TChartMarker>& Markers() const { return markers; }
  const std::vector<TScreenPoint>& ScreenPoints() const { return screenPoints; }
  const std::vector<TScreenMarker>& ScreenMarkers() const { return screenMarkers; }
  const std::vector<TTick>& XTicks() const { return xTicks; }
  const std::vector<TTick>& YTicks() const { return yTicks; }
  int YDecimals() const { return yDecimals; }
  const std::string& Title() const { return title; }
  double DataMin() const { return dataMin; }
  double DataMax() const { return dataMax; }
  double VisibleMin() const { return visibleMin; }
  double VisibleMax() const { return visibleMax; }
  double ValueMin() const { return valueMin; }
  double ValueMax() const { return valueMax; }
  bool IsFlux() const { return flux; }
  const std::string& XLabel() const { return xLabel; }
  const std::string& YLabel() const { return yLabel; }
  // The plot rectangle (between the margins) and the inset inside it.
  vcom::CRect PlotRect() const { return plot; }
  int Inset() const { return inset; }
  int PointRadius() const { return radius; }
  // Pixel column of x and pixel row of a displayed value under the current layout.
  int PixelX(double x) const;
  int PixelY(double value) const;

 protected:
  // The base drawing; subclasses add their curve after it.
  void PaintChart(vgr::CDeviceContext& dc);
  // A model or fitted curve in the model colour, clipped to the plot.
  void PaintCurve(vgr::CDeviceContext& dc, const std::vector<int>& xs, const std::vector<int>& ys);
  void PaintAxes(vgr::CDeviceContext& dc);
  void PaintMarkers(vgr::CDeviceContext& dc);
  void PaintTitle(vgr::CDeviceContext& dc);
  void LayoutXTicks(double span);
  void LayoutYTicks();
  // Re-lays the chart out for a view of width x height with a title (export)
  // and back; returns the size laid out before.
  void LayoutForExport(int width, int height, const char* title, int& oldWidth, int& oldHeight);
  void RestoreAfterExport(int oldWidth, int oldHeight);
  void UpdateScrollBar();
  bool PlotTooSmall() const { return 2 * inset >= plot.width || 2 * inset >= plot.height; }
  void Repaint();

  std::vector<TChartPoint> points;         // chart data, chart units
  std::vector<TChartMarker> markers;
  std::vector<TScreenPoint> screenPoints;  // layout of points, one per point
  std::vector<TScreenMarker> screenMarkers;
  std::vector<TTick> xTicks, yTicks;
  double dataMin = 0, dataMax = 0;         // x range of the data
  double visibleMin = 0, visibleMax = 0;   // x range shown
  double valueMin = 0, valueMax = 0;       // displayed values, with errors when shown
  int yDecimals = 3;                       // of the y tick labels
  vcom::CRect plot;                        // between the margins
  int inset = 6;                           // between the axes and the outermost data
  int radius = 2;                          // point radius in pixels
  bool hasMargins = true;                  // false when the plot takes the whole view

  int viewWidth = 0, viewHeight = 0;       // size of the view laid out for
  int labelSpacing96 = 80;

 private:
  void ComputeRects(int width, int height);
  void LayoutPoints(bool keepSelection);
  void PaintPoints(vgr::CDeviceContext& dc);
  bool MarkerShown(TMarkerKind kind) const;

  vcont::CScrollBar* scrollBar = nullptr;  // not owned
  std::string xLabel, yLabel, title;
  bool flux = false;
  bool showErrors = true, showMinima = true, showNow = true, showTime = true, zeroLine = false;
  int zeroY = -1;                          // pixel row of value 0 (zero line)
  int pointRadius96 = 2;
  bool dragging = false;                   // left button held over the chart
  int dragX = 0;                           // last mouse column while dragging
};

// Adds a phased model curve sampled every two pixels after each layout.
class CLightCurveFitPane : public CLightCurvePane {
 public:
  void PaintView(vgr::CDeviceContext& dc) override;
  void ClearCurve() override;
  void SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) override;
  // The model to show (its derived values prepared here), or none.
  void SetModel(const ombrix_model::TFitParameters& parameters);
  void ClearModel();
  bool HasModel() const { return hasModel; }
  // Samples the model across the visible phase range into pixels.
  void BuildModelCurve();
  const std::vector<int>& CurveX() const { return curveX; }
  const std::vector<int>& CurveY() const { return curveY; }
  // Largest and smallest model values of the last curve.
  double ModelMax() const { return modelMax; }
  double ModelMin() const { return modelMin; }

 private:
  ombrix_model::TFitParameters model{};  // parameters of the model shown
  bool hasModel = false;
  std::vector<int> curveX, curveY;       // the poly-line, pixels
  double modelMax = 0, modelMin = 0;
};

// The Minimum Fit chart: adds the fitted minimum curve over the fit window,
// sampled every two pixels after each layout.
class CMinimumFitPane : public CLightCurvePane {
 public:
  // The minimum model as a function of the normalised time (t - from) / (to - from).
  using TMinimumModel = std::function<double(double)>;

  void PaintView(vgr::CDeviceContext& dc) override;
  // Also forgets the minimum model.
  void ClearCurve() override;
  void SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) override;
  // The fitted minimum over the window [from, to] (curve built and repainted
  // at once), or none.
  void SetMinimumModel(double from, double to, TMinimumModel model);
  void ClearMinimumModel();
  bool HasMinimumModel() const { return static_cast<bool>(minimumModel); }
  // Samples the model across the window clipped to the visible range; no
  // curve with 6 points or fewer or a window left of nothing.
  void BuildMinimumCurve();
  const std::vector<int>& CurveX() const { return curveX; }
  const std::vector<int>& CurveY() const { return curveY; }
  // Called after every layout for a new visible range (the page keeps its
  // window inside it).
  void SetViewRangeListener(std::function<void()> listener) { viewRangeListener = std::move(listener); }

 private:
  TMinimumModel minimumModel;
  double modelFrom = 0, modelTo = 0;   // the window the model was fitted in
  std::vector<int> curveX, curveY;     // the poly-line, pixels
  std::function<void()> viewRangeListener;
};

}  // namespace ombrix_lc
