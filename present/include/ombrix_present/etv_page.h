// The "ETV Diagram" tab: the O-C chart of the object's minima with the
// weighted linear or quadratic ephemeris fitted to them drawn over the
// points, the fit's numbers and "Apply ephemeris".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <ombrix_analysis/ephemeris_fit.h>
#include <winkit/vcont.h>

#include "ombrix_present/chart_page.h"

namespace ombrix_lc {

// The ETV chart with a fitted O-C curve, sampled every two pixels after each
// layout.
class CETVPane : public CLightCurvePane {
 public:
  // O-C in days at a time of the chart's x axis.
  using TFittedCurve = std::function<double(double)>;

  void PaintView(vgr::CDeviceContext& dc) override;
  // Also forgets the fitted curve.
  void ClearCurve() override;
  void SetViewRange(double a, double b, bool keepSelection, bool updateScrollBar) override;
  // The curve to draw (built and repainted at once), or none.
  void SetFittedCurve(TFittedCurve curve);
  bool HasFittedCurve() const { return static_cast<bool>(fitted); }
  const std::vector<int>& CurveX() const { return curveX; }
  const std::vector<int>& CurveY() const { return curveY; }

 private:
  void BuildFittedCurve();

  TFittedCurve fitted;
  std::vector<int> curveX, curveY;  // the poly-line, pixels
};

// Control ids of the ETV page. After "Apply ephemeris" has stored M0 and P
// in the object the page reports kETVEphemerisAppliedId (data cnChanged)
// upwards, so that the window marks the field changed and refreshes.
enum TETVControl : std::uint32_t {
  kETVLinearId = 2640,
  kETVQuadraticId,
  kETVApplyId,
  kETVEphemerisAppliedId,
};

class CETVPage : public CChartPage {
 public:
  CETVPage();
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Shows the request's object (null: none), always over the full range.
  void Show(const TBuildRequest& request);
  // "Linear" or "Quadratic": the fit drawn and described; rebuilds.
  void SetQuadratic(bool quadratic);
  bool Quadratic() const { return quadratic; }
  // "Apply ephemeris": the chosen fit's M0 and P into the object, reported
  // upwards, then the page is rebuilt. False without a valid fit.
  bool ApplyEphemeris();

  CETVPane& ETVChart() { return static_cast<CETVPane&>(Chart()); }
  // The last analysis; valid only when Analysed().
  const ombrix_analysis::TOCAnalysis& Analysis() const { return analysis; }
  bool Analysed() const { return analysed; }
  // The three result lines as shown: the fitted elements (or why there is
  // no fit), the residuals and the scale, the cycles of the selected series.
  std::string ResultLine(int index) const { return results[index].Text(); }

  vcont::CRadioButton linearChoice, quadraticChoice;
  vcont::CButton applyButton;
  vcont::CStaticText results[3];

 protected:
  int ControlsHeight() const override;
  void LayoutControls(int width) override;

 private:
  void Rebuild();
  const ombrix_analysis::TEphemerisSolution& Chosen() const {
    return quadratic ? analysis.quadratic : analysis.linear;
  }
  void ShowResults(const std::string& first, const std::string& second, const std::string& third);

  TBuildRequest request;  // what is shown; the object is not owned
  ombrix_analysis::TOCAnalysis analysis;
  bool analysed = false;
  bool quadratic = false;
};

// Texts of the fit as the page shows them (numbers in C notation).
// "M0 = 2459000.000120 ± 0.000050  P = 0.80000012 ± 0.00000003", the
// quadratic one adds "  dP/dE = 1.23e-09 ± 4.0e-11".
std::string EphemerisText(const ombrix_analysis::TEphemerisSolution& solution);
// "RMS = 0.00012 d  reduced chi-square = 1.04  BJD_TDB" ("n/a" without
// timing errors).
std::string ResidualText(const ombrix_analysis::TEphemerisSolution& solution, ombrix_model::TTimeScale scale);
// "Cycles: E = 0, 12.5, 25" for the minima of `series` in the analysis.
std::string CycleText(const ombrix_analysis::TOCAnalysis& analysis, const CSeriesTreeElem* series);

}  // namespace ombrix_lc
