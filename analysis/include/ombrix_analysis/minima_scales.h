// Times of minima of one object in one time scale: minima measured in HJD,
// BJD_TDB or uncorrected geocentric JD are converted to a common scale
// through the object's coordinates before an O-C diagram, an ephemeris fit
// or a period search combines them; without coordinates they are refused,
// never mixed.
#pragma once

#include <string>
#include <vector>

#include <ombrix_field/object.h>
#include <ombrix_model/time_scales.h>

namespace ombrix_analysis {

// Why minima of two scales cannot be combined, as two message lines.
struct TScaleRefusal {
  std::string first;   // "Minima in HJD and BJD_TDB cannot be combined"
  std::string second;  // "without the object's coordinates (RA, Dec)."
  std::string Text() const { return first + ' ' + second; }
};

// One enabled minimum of the object with its time in the common scale.
struct TScaledMinimum {
  double time;                               // in the common scale
  double error;                              // days, 0 when not given
  ombrix_data::TMinimumType type;
  ombrix_model::TTimeScale storedScale;      // the scale it is stored in
  const ombrix_data::CSeriesTreeElem* series;
  const ombrix_data::CMinimaListElem* minimum;
};

// The scale an object's minima are combined in: that of its M0 when M0 is
// set (the ephemeris they are compared with), else that of its first
// enabled minimum, else the field's time scale.
ombrix_model::TTimeScale CommonMinimaScale(const ombrix_data::CObjectListElem& object);

// Which series take part: every series (the period search), or only the
// enabled ones (the ETV diagram and the ephemeris fit).
enum class TSeriesChoice { all, enabledOnly };

// The enabled minima of the object, series by series in tree order and in
// list order within a series, with their times converted to `scale`. False
// with `refusal` set when a minimum is in another scale and the object's
// coordinates (those its series are converted with) are unknown, or the
// conversion fails.
bool CollectMinimaInScale(const ombrix_data::CObjectListElem& object, ombrix_model::TTimeScale scale,
                          TSeriesChoice choice, std::vector<TScaledMinimum>& minima,
                          TScaleRefusal& refusal);

// One time of the object converted between scales with the same rule.
bool ConvertObjectTime(const ombrix_data::CObjectListElem& object, double time, ombrix_model::TTimeScale from,
                       ombrix_model::TTimeScale to, double& converted, TScaleRefusal& refusal);

}  // namespace ombrix_analysis
