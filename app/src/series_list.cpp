// The series list of the pane and the commands that work on the series.
#include <string>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "ombrix_app/pane.h"

namespace ombrix_app {

// ---------------------------------------------------------------- series

void COmbrixPane::RefreshSeriesList() {
  const std::int32_t keep = series.list.Selection();
  series.list.Clear();
  shownSeries.clear();
  if (selected) {
    char line[64];
    for (ombrix_data::CSeriesTreeElem* s = selected->FirstSeries(); s; s = selected->NextSeries(s)) {
      ombrix_data::GetSeriesListLine(*s, owner->filters, sizeof line - 1, line);
      series.list.AddItem(line);
      ShowEnabledMark(series.list, static_cast<std::int32_t>(shownSeries.size()), s->enabled);
      shownSeries.push_back(s);
    }
  }
  if (keep >= 0 && keep < static_cast<std::int32_t>(shownSeries.size())) series.list.SetSelection(keep);
  // Series came or went: the meta-data page may have to show another source.
  if (metaDataPage.Object() != selected ||
      metaDataPage.SourceSeries() != (selected ? selected->MetaDataSourceSeries() : nullptr))
    metaDataPage.ShowObject(selected);
  RefreshMinimaList();
}

ombrix_data::CSeriesTreeElem* COmbrixPane::SelectedSeries() const {
  const std::int32_t at = series.list.Selection();
  return at >= 0 && at < static_cast<std::int32_t>(shownSeries.size()) ? shownSeries[at] : nullptr;
}

std::uint32_t COmbrixPane::SeriesCount() const { return static_cast<std::uint32_t>(shownSeries.size()); }

std::uint32_t COmbrixPane::EnabledSeriesCount() const {
  std::uint32_t n = 0;
  for (const ombrix_data::CSeriesTreeElem* s : shownSeries) n += s->enabled ? 1 : 0;
  return n;
}

void COmbrixPane::SelectSeries(std::int32_t index) {
  series.list.SetSelection(index);
  RefreshMinimaList();
  UpdateStatus();
}

void COmbrixPane::StepSeries(int step) {
  const std::int32_t at = series.list.Selection() < 0 ? 0 : series.list.Selection() + step;
  if (at >= 0 && at < static_cast<std::int32_t>(shownSeries.size())) SelectSeries(at);
}

void COmbrixPane::ToggleSeries(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(shownSeries.size())) return;
  ombrix_data::CSeriesTreeElem* s = shownSeries[index];
  s->enabled = !s->enabled;
  RefreshSeriesList();
  ReportChanged();
}

void COmbrixPane::SetAllSeries(bool enabled) {
  bool changed = false;
  for (ombrix_data::CSeriesTreeElem* s : shownSeries) {
    changed |= s->enabled != enabled;
    s->enabled = enabled;
  }
  if (!changed) return;
  RefreshSeriesList();
  ReportChanged();
}

void COmbrixPane::ClearOffsets() {
  if (!selected || shownSeries.empty()) return;
  if (vdlg::DoMessageBox("Clear series offsets", "Offsets of selected object series", "will be cleared.",
                         "Do you want to continue?", vdlg::mbYesNo, vstock::siQuestion) != vdlg::mrYes)
    return;
  for (ombrix_data::CSeriesTreeElem* s : shownSeries) s->offset = selected->fluxFlag ? 1.0 : 0.0;
  RefreshSeriesList();
  ReportChanged();
}

}  // namespace ombrix_app
