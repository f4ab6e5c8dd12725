// "Fit all minima": walks through a series, predicts every primary and
// secondary minimum from M0 and the period, fits those with enough points on
// both branches, estimates their errors and offers to add them.
#pragma once

#include <ombrix_field/object.h>
#include <ombrix_field/series.h>
#include <ombrix_field/user_io.h>

#include "ombrix_analysis/minimum_fit.h"

namespace ombrix_analysis {

// The values of the dialog "Find all minima in series". An empty field is 0.
struct TFindMinimaDialog {
  double m0 = 0.0;
  double period = 0.0;
  int minBranchPoints = 5;  // 3 to 99
  bool fitPrimary = false;
  double primaryRange = 0.0;  // days
  bool fitSecondary = false;
  double secondaryPhase = 0.0;
  double secondaryRange = 0.0;  // days
};

inline constexpr int kMinBranchPointsLow = 3;
inline constexpr int kMinBranchPointsHigh = 99;

// What the command works on. The GUI implements the dialog and the zoom.
class CFindMinimaView {
 public:
  virtual ~CFindMinimaView() = default;

  ombrix_data::CObjectListElem* object = nullptr;  // the selected object
  ombrix_data::CSeriesTreeElem* series = nullptr;  // the selected series
  TMinimumFitTab* tab = nullptr;                   // minimum-fit tab showing that series

  // Shows the dialog with the given values; true on OK (values then hold
  // the user's entries), false on Cancel.
  virtual bool EditFindMinimaDialog(TFindMinimaDialog& dialog) = 0;
  // Zooms the minimum-fit tab to its new window.
  virtual void ZoomTab(double /*start*/, double /*end*/) {}
};

// Fills every stored time range of the object that is not positive from its
// fitted light curve (the width at 5 % of the primary depth above the
// brightest level).
void DeriveFitTimeRanges(ombrix_data::CObjectListElem& object);

// The dialog's starting values for the object; derives missing ranges first
// (storing them into the object) when the object has a fit.
TFindMinimaDialog InitialFindMinimaDialog(ombrix_data::CObjectListElem& object);

// Stores a minimum of the given type on the series, in the series' time
// scale.
void AddMinimum(ombrix_data::CSeriesTreeElem& series, double time, double error,
                ombrix_data::TMinimumType type);

// The command "Fit all minima". Returns the number of minima added.
int FindAllMinima(CFindMinimaView& view, ombrix_data::CUserIO& io);

}  // namespace ombrix_analysis
