// The minima list of the pane: the minima of the selected series, with the
// commands and the dialog that work on them.
#include <cstdio>
#include <string>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "ombrix_app/pane.h"

namespace ombrix_app {

namespace {

const char* const kMinimumTypes[] = {"Undefined", "Primary", "Secondary"};
const char* const kMinimumTypeShort[] = {"Und.", "Pri.", "Sec."};

int TypeIndex(ombrix_data::TMinimumType type) { return type >= 0 && type <= 2 ? type : 0; }

std::string MinimumLine(const ombrix_data::CMinimaListElem& m) {
  char text[64];
  std::snprintf(text, sizeof text, "%.5f %s", m.time, kMinimumTypeShort[TypeIndex(m.type)]);
  return text;
}

ombrix_data::CMinimaListElem* MinimumAt(const ombrix_data::CMinimaList& list, std::int32_t index) {
  auto* m = static_cast<ombrix_data::CMinimaListElem*>(list.first);
  for (; m && index > 0; --index) m = static_cast<ombrix_data::CMinimaListElem*>(m->next);
  return index == 0 ? m : nullptr;
}

constexpr int kLabelWidth = 100;
constexpr int kBoxWidth = 160;
constexpr int kRow = 28;
constexpr int kGap = 8;

}  // namespace

bool CMinimumParametersDialog::Init(const ombrix_data::CMinimaListElem& minimum) {
  const int width = vcore::ScaleH(kLabelWidth + kBoxWidth + 3 * kGap);
  if (!COKCancelDialog::Init("Minimum parameters", width, vcore::ScaleV(3 * kRow + kGap))) return false;
  static const char* const kLabels[] = {"Minimum:", "Error:", "Minimum type:"};
  for (int i = 0; i < 3; ++i) {
    const vcom::CRect row(vcore::ScaleH(kGap), vcore::ScaleV(kGap + i * kRow), vcore::ScaleH(kLabelWidth),
                          vcore::ScaleV(kRow - 4));
    labels[i].Init(this, row, kLabels[i]);
  }
  const auto box = [](int i) {
    return vcom::CRect(vcore::ScaleH(2 * kGap + kLabelWidth), vcore::ScaleV(kGap + i * kRow), vcore::ScaleH(kBoxWidth),
                       vcore::ScaleV(kRow - 4));
  };
  time.Init(this, box(0), 1, 0.0, 1.0e7, minimum.time, 0.001, 6);
  error.Init(this, box(1), 2, 0.0, 1.0e3, minimum.error, 0.0001, 6);
  type.Init(this, box(2), 3);
  for (const char* t : kMinimumTypes) type.AddItem(t);
  type.SetSelection(TypeIndex(minimum.type));
  return true;
}

void CMinimumParametersDialog::Done() {
  type.Done();
  error.Done();
  time.Done();
  for (vcont::CStaticText& l : labels) l.Done();
  COKCancelDialog::Done();
}

void CMinimumParametersDialog::Store(ombrix_data::CMinimaListElem& minimum) const {
  minimum.time = time.Value();
  minimum.error = error.Value();
  const int chosen = type.Selection();
  minimum.type = static_cast<ombrix_data::TMinimumType>(chosen >= 0 ? chosen : 0);
}

void COmbrixPane::RefreshMinimaList() {
  FillMinimaList();
  controls.ShowSeries(SelectedSeries());
  ShowActiveChart(false);
}

void COmbrixPane::FillMinimaList() {
  const std::int32_t keep = minima.list.Selection();
  minima.list.Clear();
  const ombrix_data::CSeriesTreeElem* s = SelectedSeries();
  if (!s) return;
  std::int32_t count = 0;
  for (auto* m = static_cast<ombrix_data::CMinimaListElem*>(s->minima.first); m;
       m = static_cast<ombrix_data::CMinimaListElem*>(m->next), ++count) {
    minima.list.AddItem(MinimumLine(*m).c_str());
    ShowEnabledMark(minima.list, count, m->enabled);
  }
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
    case cmMinimumParameters: EditMinimum(); break;
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

void COmbrixPane::EditMinimum() {
  ombrix_data::CMinimaListElem* m = SelectedMinimum();
  if (!m) return;
  CMinimumParametersDialog dialog;
  if (!dialog.Init(*m)) return;
  if (dialog.Exec()) {
    dialog.Store(*m);
    RefreshMinimaList();
    ReportChanged();
  }
  dialog.Done();
}

}  // namespace ombrix_app
