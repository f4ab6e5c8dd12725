// Tab pages of the object pane that hold a chart: the chart with its
// horizontal scroll bar, and the Minimum Mirror page with its window slider,
// minimum boxes and buttons.
#pragma once

#include <cstdint>
#include <memory>

#include <ombrix_field/object.h>
#include <winkit/vcalcon.h>
#include <winkit/vcont.h>
#include <winkit/view.h>

#include "ombrix_present/chart_pane.h"
#include "ombrix_present/curve_data.h"

namespace ombrix_lc {

enum TChartKind { ckPlain, ckPhased, ckMinimumFit, ckPrediction };

// A chart filling the page above its scroll bar.
class CChartPage : public view::CNodeView {
 public:
  explicit CChartPage(TChartKind kind = ckPlain);
  ~CChartPage() override;
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void NewRect(const vcom::CRect& rect) override;
  void ReceiveEvent(vcore::TEvent& event) override;

  CLightCurvePane& Chart() { return *chart; }
  // The chart as a phased one, or null.
  CLightCurveFitPane* PhasedChart() { return kind == ckPhased ? static_cast<CLightCurveFitPane*>(chart.get()) : nullptr; }
  CPredictionPane* PredictionChart() {
    return kind == ckPrediction ? static_cast<CPredictionPane*>(chart.get()) : nullptr;
  }
  vcont::CScrollBar scrollBar;

 protected:
  // A page around a chart pane of a kind of its own (the ETV page's).
  explicit CChartPage(std::unique_ptr<CLightCurvePane> ownChart);
  // Height of the controls above the chart (none here).
  virtual int ControlsHeight() const { return 0; }
  virtual void LayoutControls(int width) { (void)width; }

 private:
  TChartKind kind;
  std::unique_ptr<CLightCurvePane> chart;  // owned
};

// Control ids of the Minimum Mirror page; the page reports its own edits of
// the field upwards as evControl with kMirrorEditedId (data cnChanged).
enum TMirrorControl : std::uint32_t {
  kMirrorSliderId = 2601,
  kFreezeMinimumId,
  kMinimumBoxId,
  kFreezeErrorId,
  kErrorBoxId,
  kAddMinimumId,
  kMinimumToM0Id,
  kUndefinedTypeId,
  kPrimaryTypeId,
  kSecondaryTypeId,
  kMirrorEditedId,
};

class CMirrorPage : public CChartPage {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Shows the request's selected series with the window reset to its span.
  void Show(const TBuildRequest& request);
  // Moves the window end by slider position and redraws.
  void MoveWindow(int position);
  // "Add Minimum" and "Minimum to M0"; false when the boxes hold no number
  // or there is no series or object.
  bool AddMinimum();
  bool MinimumToM0();
  void ToggleFreezeMinimum() { freezeMinimum.SetChecked(!freezeMinimum.IsChecked()); }
  void ToggleFreezeError() { freezeError.SetChecked(!freezeError.IsChecked()); }
  double WindowStart() const { return t1; }
  double WindowEnd() const { return t2; }

  vcont::CSlider slider;
  vcont::CToggleButton freezeMinimum, freezeError;
  vcont::CEditBox minimumBox, errorBox;
  vcont::CButton addMinimum, minimumToM0;
  vcont::CRadioButton undefinedType, primaryType, secondaryType;

 protected:
  int ControlsHeight() const override;
  void LayoutControls(int width) override;

 private:
  void Rebuild();
  void UpdateBoxes();
  void ReportEdit();

  TBuildRequest request;  // what is shown; the object and series are not owned
  double t1 = 0, t2 = 0;  // the mirror window
};

// Control ids of the Prediction page; after a change of the span length,
// site or limits it reports kPredictionSettingsId (data cnChanged) upwards
// so that the settings keep them.
enum TPredictionControl : std::uint32_t {
  kFromPickerId = 2620,
  kEndPickerId,
  kFromNowId,
  kRangeBoxId,
  kLatitudeDegId, kLatitudeMinId, kLatitudeSecId,
  kLongitudeDegId, kLongitudeMinId, kLongitudeSecId,
  kStarAltToggleId, kStarAltBoxId,
  kSunAltToggleId, kSunAltBoxId,
  kPredictionSettingsId,
};

// The Prediction tab: the span, the site and the limits above the chart.
class CPredictionPage : public CChartPage {
 public:
  CPredictionPage();
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // The kept settings into the controls (the start stays where it is).
  void SetSettings(const TPredictionSite& site, double days);
  const TPredictionSite& Site() const { return site; }
  double Days() const { return days; }
  double Start() const { return start; }
  double End() const { return end; }
  // Shows the object (null: none) over the span.
  void Show(const ombrix_data::CObjectListElem* object);

  // Edits as the controls make them; each redraws.
  void SetStart(double jd);
  void SetEnd(double jd);
  void SetDays(double d);
  void FromNow();
  // Reads the degree, minute and second boxes and the limits.
  void ReadSite();

  vcont::CStaticText fromLabel, rangeLabel, latitudeLabel, longitudeLabel, hint;
  vcalcon::CDateTimePicker fromPicker, endPicker;
  vcont::CButton fromNow;
  vcont::CRealCountBox rangeBox;
  vcont::CEditBox latitude[3], longitude[3];  // degrees, minutes, seconds
  vcont::CToggleButton starAltToggle, sunAltToggle;
  vcont::CRealCountBox starAltBox, sunAltBox;

 protected:
  int ControlsHeight() const override;
  void LayoutControls(int width) override;

 private:
  void ShowSpan();
  void ShowSite();
  // A degree box holding a fraction fills its minute and second boxes.
  void SplitDegrees(vcont::CEditBox (&boxes)[3]);
  void Rebuild();
  void ReportSettings();

  const ombrix_data::CObjectListElem* object = nullptr;  // not owned
  TPredictionSite site;
  double days = 1.0;
  double start = 0.0, end = 0.0;  // Julian dates (UTC)
  bool filling = false;           // controls are being filled: no edits
};

}  // namespace ombrix_lc
