// The "Minimum Fit" tab: the selected series with the fit window and the
// fitted minimum, the seven fields of the minimum model, the window sliders
// and the commands that time minima ("Fit Min.", "Est. Err.", "Fit all
// minima", "Add Min.").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <ombrix_analysis/find_minima.h>
#include <ombrix_analysis/minimum_fit.h>
#include <ombrix_present/chart_page.h>

#include "ombrix_app/dialog_user_io.h"

namespace ombrix_app {

// Control ids of the minimum page. The page reports its changes of the field
// upwards as evControl with kMinimumEditedId (data cnChanged).
enum TMinimumPageControl : std::uint32_t {
  kMinFieldId = 2850,                                                  // 7 edit boxes
  kMinFreeId = kMinFieldId + ombrix_analysis::kMinimumParameterCount,  // 7 check boxes
  kMinWidthDaysId = kMinFreeId + ombrix_analysis::kMinimumParameterCount,
  kWindowStartSliderId,
  kWindowEndSliderId,
  kWindowToZoomId,
  kMinFreezeMinimumId,
  kMinMinimumBoxId,
  kMinFreezeErrorId,
  kMinErrorBoxId,
  kFitMinimumId,
  kEstimateErrorId,
  kFitAllMinimaId,
  kMinUndefinedTypeId,
  kMinPrimaryTypeId,
  kMinSecondaryTypeId,
  kAddMinId,
  kMinimumEditedId,
  kMinMethodId,  // "Model fit" or "KvW"
};

// Window sliders: positions 0 to kWindowSliderLast across the visible range.
inline constexpr int kWindowSliderLast = 2999;

extern const char* const kMinimumFieldLabels[ombrix_analysis::kMinimumParameterCount];

// "Find all minima in series".
class CFindMinimaDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_analysis::TFindMinimaDialog& values);
  void Done() override;
  // The entries; an empty or unreadable number is 0.
  void Store(ombrix_analysis::TFindMinimaDialog& values) const;

  vcont::CStaticText labels[6];  // M0, Period, branch points, the three ranges and phase
  vcont::CEditBox m0, period;
  vcont::CIntegerCountBox branchPoints;
  vcont::CCheckBox fitPrimary, fitSecondary;
  vcont::CEditBox primaryRange, secondaryPhase, secondaryRange;
};

class CMinimumFitPage : public ombrix_lc::CChartPage {
 public:
  CMinimumFitPage();
  ~CMinimumFitPage() override;
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Shows the request's selected series; a new series starts with the window
  // over its whole span.
  void Show(const ombrix_lc::TBuildRequest& request);

  // The fit window; moving it clears the fit result and starts the fields
  // from the window's points.
  void SetWindow(double start, double end);
  double WindowStart() const { return tab.start; }
  double WindowEnd() const { return tab.end; }
  // The sliders moved (positions 0 to kWindowSliderLast across the visible range).
  void MoveStartSlider(int position);
  void MoveEndSlider(int position);
  // "<>": the window covers the visible range.
  void WindowToZoom();

  // The commands of the buttons.
  bool FitMin();
  bool EstimateError();
  int FitAllMinima();
  bool AddMin();
  void ToggleFreezeMinimum() { freezeMinimum.SetChecked(!freezeMinimum.IsChecked()); }
  void ToggleFreezeError() { freezeError.SetChecked(!freezeError.IsChecked()); }
  bool Fitted() const { return tab.fitted; }
  // Called on the GUI thread while the bootstrap workers run (tests count it).
  std::uint64_t DispatchCount() const { return dispatches; }

  vcont::CCheckBox free[ombrix_analysis::kMinimumParameterCount];
  vcont::CEditBox fields[ombrix_analysis::kMinimumParameterCount];
  vcont::CStaticText widthLabel;
  vcont::CEditBox widthBox;  // "D[d]:"
  vcont::CSlider startSlider, endSlider;
  vcont::CButton windowToZoom;  // "<>"
  vcont::CToggleButton freezeMinimum, freezeError;
  vcont::CEditBox minimumBox, errorBox;
  vcont::CButton fitMinimum, estimateError, fitAllMinima, addMinimum;
  vcont::CRadioButton undefinedType, primaryType, secondaryType;
  vcont::CComboBox method;  // "Model fit" or "KvW" (Kwee-van Woerden): how "Fit Min." and "Fit all minima" time

 protected:
  int ControlsHeight() const override;
  void LayoutControls(int width) override;

 private:
  class CTab;
  class CView;

  void Rebuild(bool keepZoom);
  void ReadFields();
  void ShowFields();
  void ShowResults();
  void ClearResults();
  void StartFields();
  void PlaceSliders();
  double SliderTime(int position) const;
  void ViewRangeChanged();
  void ReportEdit();
  double FittedMinimum() const;

  ombrix_lc::TBuildRequest request;                // what is shown; not owned
  std::vector<ombrix_analysis::TFitPoint> points;  // the selected series
  std::unique_ptr<CTab> tabState;                  // the engine's view of the tab
  ombrix_analysis::TMinimumFitTab& tab;            // *tabState
  CDialogUserIO io;
  bool filling = false;           // controls are being filled
  bool viewRangePending = false;  // a view-range event is queued
  bool running = false;           // a command works on the tab: input waits
  std::uint64_t dispatches = 0;
};

}  // namespace ombrix_app
