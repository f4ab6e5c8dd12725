// Times of minima of a series.
#pragma once

#include <corekit/vlist.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_field/records.h"

namespace ombrix_data {

// One time of minimum.
class CMinimaListElem : public vlist::CListElem {
 public:
  TMinimumType type = minUndefined;  // primary, secondary or undefined
  double time = 0.0;                 // Julian date of the minimum
  double error = 0.0;                // error of time, days
  bool enabled = true;               // used by the analyses
  // The time scale of `time` when stated. A minimum read from a field file
  // without a scale is in its series' legacy scale
  // (CSeriesTreeElem::LegacyTimeScale); MinimumTimeScale tells either.
  bool scaleStated = false;
  ombrix_model::TTimeScale timeScale = ombrix_model::tsHJD;

  // States the scale.
  void SetTimeScale(ombrix_model::TTimeScale scale) {
    timeScale = scale;
    scaleStated = true;
  }
};

// Minima in insertion order. Owns its elements.
class CMinimaList : public vlist::CList {
 public:
  // Three reals copied with the list and never stored in the field file.
  double param1 = 0.1;
  double param2 = 0.5;
  double param3 = 0.999;

  CMinimaList() = default;
  CMinimaList(const CMinimaList& other);
  CMinimaList& operator=(const CMinimaList& other);
  ~CMinimaList();

  // Sets the three reals to their defaults; the list must be empty.
  void Init();
  // Frees every minimum.
  void Done();
  // Replaces the content by a copy of `source` (minima and the three reals).
  void Assign(const CMinimaList& source);

  // Appends a new minimum (scale not stated) and returns it.
  CMinimaListElem* Add(TMinimumType type, double time, double error, bool enabled = true);
  // Appends a copy of `minimum`, its scale included.
  CMinimaListElem* AddCopy(const CMinimaListElem& minimum);
};

}  // namespace ombrix_data
