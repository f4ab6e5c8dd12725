#include "fit_input.h"

#include <cmath>
#include <cstring>

#include "field_commands/object_choice.h"

namespace ombrix_cli {

using ombrix_analysis::TFitPoint;
using namespace ombrix_data;

bool LoadFieldObject(const char* command, const char* path, const char* objectText, CField& field,
                     CObjectListElem*& object, std::ostream& out, std::ostream& err) {
  if (!LoadFieldForCli(path, field, out, err)) return false;
  object = ChooseObject(command, field, objectText, err);
  return object != nullptr;
}

std::vector<TFitPoint> PhasedFitPoints(const CObjectListElem& object) {
  std::vector<TFitPoint> points;
  if (object.m0 == 0.0 || object.period == 0.0) return points;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->enabled) continue;
    for (std::uint32_t i = 0; i < s->pointCount; ++i) {
      const double phase = PhaseInWindow(s->time[i], object.m0, object.period, kFitWindowLead);
      points.push_back({phase, s->value[i], s->error[i], s->offset, 0, s});
    }
  }
  return points;
}

std::vector<TFitPoint> SeriesFitPoints(const CSeriesTreeElem& series) {
  std::vector<TFitPoint> points;
  points.reserve(series.pointCount);
  for (std::uint32_t i = 0; i < series.pointCount; ++i)
    points.push_back({series.time[i], series.value[i], series.error[i], series.offset, 0, &series});
  return points;
}

bool ParseFreeMask(const char* command, const char* text, int count, bool* free, std::ostream& err) {
  const bool wellFormed = std::strlen(text) == static_cast<std::size_t>(count) &&
                          std::strspn(text, "01") == static_cast<std::size_t>(count);
  if (!wellFormed) {
    err << "ombrix-cli " << command << ": --free needs " << count
        << " characters 0 (fixed) or 1 (free), not \"" << text << "\"\n";
    return false;
  }
  for (int i = 0; i < count; ++i) free[i] = text[i] == '1';
  return true;
}

int ReportFailure(const CPrintingUserIO& io, std::ostream& err) {
  err << io.lastText << '\n';
  return kExitFailure;
}

}  // namespace ombrix_cli
