// Period search from times of minima: every pair of minima proposes the
// periods that fit a whole (or whole plus secondary phase) number of cycles
// between them, and each proposal is scored by how well all minima line up.
// GUI-free: the command talks to the user through CUserIO and hands the
// found periods to the pane through TPeriodComboPane.
#pragma once

#include <cstdint>

#include <corekit/vlist.h>
#include <ombrix_field/object.h>
#include <ombrix_field/records.h>
#include <ombrix_field/user_io.h>

#include "ombrix_analysis/minima_scales.h"

namespace ombrix_analysis {

// One time of minimum as the search sees it.
struct TMinimumInstance {
  double time;                      // Julian date
  ombrix_data::TMinimumType type;   // primary, secondary or undefined
};

// Most minima the command collects, and the range the search accepts.
inline constexpr std::uint32_t kMaxCollectedMinima = 8;
inline constexpr std::uint32_t kMinSearchMinima = 3;
inline constexpr std::uint32_t kMaxSearchMinima = 31;
// Most entries the search leaves in the period list.
inline constexpr std::uint32_t kMaxFoundPeriods = 20;

// Key of a period: thousandths of a day, rounded.
std::int64_t PeriodKey(double period);

// Length of the mean phase vector of the minima for `period` (1 when every
// minimum falls exactly at its expected phase). `primary[l]` says whether
// minimum l counts as primary; the phase of minimum 0 is the origin.
double MinimaPhaseScore(const TMinimumInstance* minima, const bool* primary, std::uint32_t count,
                        double period, double secondaryPhase);

// Empties `periods` and fills it with at most kMaxFoundPeriods
// CPeriodListElem, best score first, each scoring at least `limit`. Minima
// of undefined type are tried both as primary and as secondary. With fewer
// than 3 or more than 31 minima, or a minimal period that is not positive,
// the list is left empty.
void SearchPeriodsFromMinima(const TMinimumInstance* minima, std::uint32_t count, double minPeriod,
                             double secondaryPhase, double limit, vlist::CList& periods);

// The enabled minima of the object, series by series in tree order and in
// list order within a series, at most `capacity`, with their times in one
// scale (CommonMinimaScale). `truncated` is set when an enabled minimum had
// to be left out. False, with `refusal` set, when minima of different
// scales cannot be converted.
bool CollectEnabledMinima(const ombrix_data::CObjectListElem& object, TMinimumInstance* minima,
                          std::uint32_t capacity, std::uint32_t& count, bool& truncated,
                          TScaleRefusal& refusal);

// Inserts an entry holding the object's period (key and score 0) at the front
// of its period list, when that period is set.
void PrependObjectPeriod(ombrix_data::CObjectListElem& object);

// What the period commands need from the object pane. The GUI derives from it.
class TPeriodComboPane {
 public:
  virtual ~TPeriodComboPane() = default;
  // Busy cursor on (true) and off (false).
  virtual void SetBusy(bool /*busy*/) {}
  // Refills the combo box "P:" with the periods of the list, in list order.
  virtual void RefillPeriods(const vlist::CList& /*periods*/) {}
};

// The command "find periods from minima instances": collects the minima, asks
// for the minimal period, phase-difference limit and secondary phase, runs the
// search into the object's period list and reports the outcome. Returns true
// when the search ran (even if it found nothing).
bool FindPeriodsFromMinima(ombrix_data::CObjectListElem& object, ombrix_data::CUserIO& io,
                           TPeriodComboPane& pane);

}  // namespace ombrix_analysis
