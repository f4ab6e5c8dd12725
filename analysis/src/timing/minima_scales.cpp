#include "ombrix_analysis/minima_scales.h"

#include <ombrix_field/series_file.h>

namespace ombrix_analysis {

using ombrix_model::TTimeScale;

namespace {

TScaleRefusal Refusal(TTimeScale from, TTimeScale to, const char* why) {
  return {std::string("Minima in ") + ombrix_model::TimeScaleLabel(from) + " and " +
              ombrix_model::TimeScaleLabel(to) + " cannot be combined",
          why};
}

}  // namespace

TTimeScale CommonMinimaScale(const ombrix_data::CObjectListElem& object) {
  if (object.m0 != 0.0) return object.m0Scale;
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    for (vlist::CListElem* e = s->minima.first; e; e = e->next) {
      const auto* m = static_cast<const ombrix_data::CMinimaListElem*>(e);
      if (m->enabled) return ombrix_data::MinimumTimeScale(*m, *s);
    }
  }
  return ombrix_data::FieldTimeScale();
}

bool ConvertObjectTime(const ombrix_data::CObjectListElem& object, double time, TTimeScale from, TTimeScale to,
                       double& converted, TScaleRefusal& refusal) {
  if (from == to) {
    converted = time;
    return true;
  }
  double ra = ombrix_data::kUnknownRA, dec = ombrix_data::kUnknownDec;
  ombrix_data::GetConversionCoordinates(object, true, ra, dec);
  if (!ombrix_data::IsRAKnown(ra) || !ombrix_data::IsDecKnown(dec)) {
    refusal = Refusal(from, to, "without the object's coordinates (RA, Dec).");
    return false;
  }
  if (ombrix_model::ConvertTimeScale(time, from, to, ra, dec, converted)) return true;
  refusal = Refusal(from, to, "for dates before 1960 (no UTC leap seconds).");
  return false;
}

bool CollectMinimaInScale(const ombrix_data::CObjectListElem& object, TTimeScale scale, TSeriesChoice choice,
                          std::vector<TScaledMinimum>& minima, TScaleRefusal& refusal) {
  minima.clear();
  for (auto* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (choice == TSeriesChoice::enabledOnly && !s->enabled) continue;
    for (vlist::CListElem* e = s->minima.first; e; e = e->next) {
      const auto* m = static_cast<const ombrix_data::CMinimaListElem*>(e);
      if (!m->enabled) continue;
      const TTimeScale stored = ombrix_data::MinimumTimeScale(*m, *s);
      TScaledMinimum scaled{m->time, m->error, m->type, stored, s, m};
      if (!ConvertObjectTime(object, m->time, stored, scale, scaled.time, refusal)) return false;
      minima.push_back(scaled);
    }
  }
  return true;
}

}  // namespace ombrix_analysis
