// The series and minima lists of the pane and the commands that work on them.
#include <cstdio>
#include <string>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "ombrix_app/pane.h"

namespace ombrix_app {

namespace {

const char* Mark(bool enabled) { return enabled ? kEnabledMark : kDisabledMark; }

std::string MinimumLine(const ombrix_data::CMinimaListElem& m) {
  static const char* const kTypes[] = {"Und.", "Pri.", "Sec."};
  const int type = m.type >= 0 && m.type <= 2 ? m.type : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.5f %s", m.time, kTypes[type]);
  return std::string(Mark(m.enabled)) + text;
}

ombrix_data::CMinimaListElem* MinimumAt(const ombrix_data::CMinimaList& list, std::int32_t index) {
  auto* m = static_cast<ombrix_data::CMinimaListElem*>(list.first);
  for (; m && index > 0; --index) m = static_cast<ombrix_data::CMinimaListElem*>(m->next);
  return index == 0 ? m : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- series

void COmbrixPane::RefreshSeriesList() {
  const std::int32_t keep = series.list.Selection();
  series.list.Clear();
  shownSeries.clear();
  if (selected) {
    char line[64];
    for (ombrix_data::CSeriesTreeElem* s = selected->FirstSeries(); s; s = selected->NextSeries(s)) {
      ombrix_data::GetSeriesListLine(*s, owner->filters, sizeof line - 1, line);
      series.list.AddItem((std::string(Mark(s->enabled)) + line).c_str());
      shownSeries.push_back(s);
    }
  }
  if (keep >= 0 && keep < static_cast<std::int32_t>(shownSeries.size())) series.list.SetSelection(keep);
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

// ---------------------------------------------------------------- minima

void COmbrixPane::RefreshMinimaList() {
  const std::int32_t keep = minima.list.Selection();
  minima.list.Clear();
  const ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  if (!s) return;
  std::int32_t count = 0;
  for (auto* m = static_cast<ombrix_data::CMinimaListElem*>(s->minima.first); m;
       m = static_cast<ombrix_data::CMinimaListElem*>(m->next), ++count)
    minima.list.AddItem(MinimumLine(*m).c_str());
  if (keep >= 0 && keep < count) minima.list.SetSelection(keep);
}

ombrix_data::CMinimaListElem* COmbrixPane::SelectedMinimum() const {
  const ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  const std::int32_t at = minima.list.Selection();
  return s && at >= 0 ? MinimumAt(s->minima, at) : nullptr;
}

bool COmbrixPane::MinimaCommand(std::uint32_t command) {
  switch (command) {
    case cmSelectAllMinima: SetAllMinima(true); break;
    case cmDeselectAllMinima: SetAllMinima(false); break;
    case cmRemoveMinimum: RemoveMinimum(); break;
    default: return false;
  }
  return true;
}

void COmbrixPane::SetAllMinima(bool enabled) {
  ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  if (!s) return;
  bool changed = false;
  for (auto* m = static_cast<ombrix_data::CMinimaListElem*>(s->minima.first); m;
       m = static_cast<ombrix_data::CMinimaListElem*>(m->next)) {
    changed |= m->enabled != enabled;
    m->enabled = enabled;
  }
  if (!changed) return;
  RefreshMinimaList();
  ReportChanged();
}

void COmbrixPane::ToggleMinimum(std::int32_t index) {
  ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  ombrix_data::CMinimaListElem* m = s ? MinimumAt(s->minima, index) : nullptr;
  if (!m) return;
  m->enabled = !m->enabled;
  RefreshMinimaList();
  ReportChanged();
}

void COmbrixPane::RemoveMinimum() {
  ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  ombrix_data::CMinimaListElem* m = SelectedMinimum();
  if (!m) return;
  if (vdlg::DoMessageBox("Remove Minimum", "Are you sure to remove selected minumum?", nullptr, nullptr,
                         vdlg::mbYesNo, vstock::siQuestion) != vdlg::mrYes)
    return;
  if (s->minima.Find(m)) {
    s->minima.Remove();
    delete m;
  }
  RefreshMinimaList();
  ReportChanged();
}

}  // namespace ombrix_app
