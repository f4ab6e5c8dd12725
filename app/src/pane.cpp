// The main pane: columns, tabs, selection of objects and the routing of
// forwarded commands and keys.
#include "ombrix_app/pane.h"

#include <algorithm>

#include <ombrix_icons/icon_table.h>
#include <ombrix_present/curve_data.h>
#include <runbase/fixed_text.h>
#include <runbase/os.h>

#include "chart_export_commands.h"
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

constexpr std::uint32_t kObjectListId = 2001;
constexpr std::uint32_t kSeriesListId = 2002;
constexpr std::uint32_t kMinimaListId = 2003;
constexpr std::uint32_t kTabsId = 2004;
constexpr int kHintHeight = 18;
constexpr int kMinimaColumn = 2;  // columns: objects, series, minima, tabs
constexpr int kPhasedTab = 3;
constexpr int kPhasedFitTab = 4;
constexpr int kETVTab = 7;

}  // namespace

const char* const kTabLabels[kTabCount] = {
    "Time Series",  "Compressed Series", "Phased Curve", "Phased Curve Fit", "Minimum Mirror", "Minimum Fit",
    "ETV Diagram",  "Image",             "Meta-Data",    "Notes",            "Prediction",     "Table",
};

bool IsPaneCommand(std::uint32_t command) {
  switch (command) {
    case cmAddObject: case cmInsertObject: case cmRemoveObject: case cmRenameObject:
    case cmSortByName: case cmSortByRA: case cmSortByDec:
    case cmSelectAllSeries: case cmDeselectAllSeries:
    case cmSelectAllMinima: case cmDeselectAllMinima: case cmRemoveMinimum: case cmMinimumParameters:
    case cmLoadOffsets: case cmSaveOffsets: case cmPasteOffsets: case cmCopyOffsets: case cmClearOffsets:
    case cmLoadFit: case cmSaveFit: case cmPasteFit: case cmCopyFit:
    case cmLoadObjectData: case cmSaveObjectData: case cmPasteObjectData: case cmCopyObjectData:
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------ list column

bool CListColumn::Init(view::CNodeView* parent, const vcom::CRect& rect, std::uint32_t id, const char* hintText) {
  if (!view::CNodeView::Init(parent, rect)) return false;
  const int hintHeight = hintText ? kHintHeight : 0;
  list.Init(this, vcom::CRect(0, 0, rect.width, rect.height - hintHeight), id);
  if (hintText) hint.Init(this, vcom::CRect(0, rect.height - hintHeight, rect.width, hintHeight), hintText);
  return true;
}

void CListColumn::NewRect(const vcom::CRect& rect) {
  const int hintHeight = hint.IsInitialized() ? kHintHeight : 0;
  const int listHeight = std::max(0, rect.height - hintHeight - footerHeight);
  list.SetRect(vcom::CRect(0, 0, rect.width, listHeight));
  if (hint.IsInitialized()) hint.SetRect(vcom::CRect(0, listHeight, rect.width, hintHeight));
  if (footer) footer->SetRect(vcom::CRect(0, listHeight + hintHeight, rect.width, footerHeight));
}

void CListColumn::SetFooter(view::CView* view, int height) {
  footer = view;
  footerHeight = height;
  NewRect(GetRect());
}

void CListColumn::ReceiveEvent(vcore::TEvent& event) {
  if ((event.kind & vcore::evKeyboard) && !event.source) event.source = this;
}

// ------------------------------------------------------------------ pane

COmbrixPane::COmbrixPane() { field.Init(); }

COmbrixPane::~COmbrixPane() { Done(); }

bool COmbrixPane::Init(COmbrix& window, const vcom::CRect& rect) {
  owner = &window;
  if (!view::CSplitterView::Init(&window, rect)) return false;
  const TSettings& s = window.settings;
  columnWidths[0] = s.splitter1;
  columnWidths[1] = s.splitter2;
  columnWidths[2] = s.splitter3;
  const vcom::CRect column(0, 0, 0, rect.height);
  objects.Init(this, column, kObjectListId, "<F3>Prev <F4>Next");
  const int markSize = vcore::ScaleV(16);
  vgr::InitSvgIconWD(shareIcons[0], window.IconPath(ombrix_icons::kPublishedMark).c_str(), markSize, false);
  vgr::InitSvgIconWD(shareIcons[1], window.IconPath(ombrix_icons::kImportedMark).c_str(), markSize, false);
  vgr::InitSvgIconWD(enabledIcons[0], window.IconPath(ombrix_icons::kSeriesEnabledMark).c_str(), markSize, false);
  vgr::InitSvgIconWD(enabledIcons[1], window.IconPath(ombrix_icons::kSeriesDisabledMark).c_str(), markSize, false);
  repositoryStatus.Init(&objects, vcom::CRect(0, 0, 0, CRepositoryStatusPanel::kHeight));
  objects.SetFooter(&repositoryStatus, CRepositoryStatusPanel::kHeight);
  repositoryStatus.Show(nullptr, s);
  series.Init(this, column, kSeriesListId, "<F5>Prev <F6>Next");
  minima.Init(this, column, kMinimaListId, nullptr);
  AddColumn(&objects, columnWidths[0]);
  AddColumn(&series, columnWidths[1]);
  AddColumn(&minima, columnWidths[2]);

  chartColumn.pane = this;
  chartColumn.Init(this, column);
  controls.Init(&chartColumn, vcom::CRect(0, 0, 0, 0));
  tabs.Init(&chartColumn, vcom::CRect(0, 0, 0, 0), kTabsId);
  for (int i = 0; i < kTabCount; ++i) {
    view::CView* page = PageOfTab(i + 1);
    page->Init(&tabs, tabs.PageRect());
    tabs.AddPage(kTabLabels[i], page);
  }
  AddColumn(&chartColumn, 0);
  predictionPage.SetSettings(PredictionSite(s), s.predictionDays);
  LayoutChartColumn();
  ShowColumn(kMinimaColumn, window.menuBar.IsChecked(cmMinimaList));
  return true;
}

void COmbrixPane::Done() {
  if (IsInitialized()) {
    for (int tab : kChartTabs) ChartPage(tab)->Done();
    tablePage.Done();
    notesPage.Done();
    metaDataPage.Done();
    imagePage.Done();
    tabs.Done();
    controls.Done();
    chartColumn.Done();
    minima.Done();
    series.Done();
    repositoryStatus.Done();
    objects.Done();
  }
  selected = nullptr;
  shownSeries.clear();
  field.Done();
  view::CSplitterView::Done();
}

void COmbrixPane::ReportChanged() {
  if (owner) owner->Command(cmFieldChanged);
  // The table shows the whole field: it follows every change while shown.
  if (ActiveTab() == kTableTab) tablePage.Refresh(field);
}

void COmbrixPane::UpdateStatus() {
  if (owner) owner->Command(cmUpdateStatus);
}

void COmbrixPane::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl) {
    if (event.code == kObjectListId && event.data == vcore::cnSelected) {
      // A click can take the selection away (Ctrl on the selected line);
      // some object stays selected while the field has any.
      const std::int32_t at = objects.list.Selection();
      SelectObject(at >= 0 ? at : field.IndexOf(selected));
    } else if (event.code == kSeriesListId && event.data == vcore::cnSelected) {
      SelectSeries(series.list.Selection());
    } else if (event.code == kSeriesListId && event.data == vcore::cnActivated) {
      ToggleSeries(series.list.Selection());
    } else if (event.code == kMinimaListId && event.data == vcore::cnActivated) {
      ToggleMinimum(minima.list.Selection());
    } else if (event.code == kTabsId && event.data == vcore::cnTabChanged) {
      OnTabChanged();
    } else if (event.code == ombrix_lc::kMirrorEditedId) {
      FillMinimaList();
      controls.ShowNumbers();
      ReportChanged();
    } else if (event.code == ombrix_lc::kETVEphemerisAppliedId) {
      // "Apply ephemeris" stored M0 and P; the page has rebuilt itself.
      controls.ShowNumbers();
      metaDataPage.RefreshFixedFields();
      ReportChanged();
    } else if (event.code == kFitEditedId) {
      ReportChanged();
    } else if (event.code == kMinimumEditedId) {
      FillMinimaList();
      ReportChanged();
    } else if (event.code == ombrix_lc::kPredictionSettingsId) {
      if (owner) StorePredictionSettings(predictionPage, owner->settings);
    } else if (event.code == kControlsChangedId) {
      ControlsChanged(static_cast<std::uint32_t>(event.data));
      metaDataPage.RefreshFixedFields();
    } else if (event.code >= kMetaDataEditedId && event.code <= kMetaDataSourceEditedId) {
      MetaDataEdited(event.code);
    } else {
      return;
    }
    StopEvent(event);
    return;
  }
  if (event.kind != vcore::evKeyDown || event.modifiers != 0) return;
  switch (event.code) {
    case vcore::vkDelete:
      if (event.source == &objects) {
        RemoveObject();
      } else if (event.source == &minima) {
        RemoveMinimum();
      } else if (event.source != &series) {
        DeleteKey();
      }
      break;
    case vcore::vkF3: StepObject(-1); break;
    case vcore::vkF4: StepObject(1); break;
    case vcore::vkF5: StepSeries(-1); break;
    case vcore::vkF6: StepSeries(1); break;
    case vcore::vkF9:
      if (ActiveTab() == ombrix_lc::ctMinimumFit) minimumPage.ToggleFreezeMinimum();
      else mirrorPage.ToggleFreezeMinimum();
      break;
    case vcore::vkF10:
      if (ActiveTab() == ombrix_lc::ctMinimumFit) minimumPage.ToggleFreezeError();
      else mirrorPage.ToggleFreezeError();
      break;
    default: return;
  }
  StopEvent(event);
}

void COmbrixPane::DeleteKey() {
  if (objects.list.HasFocus()) {
    RemoveObject();
  } else if (minima.list.HasFocus()) {
    RemoveMinimum();
  }
}

bool COmbrixPane::Command(std::uint32_t command) {
  if (!IsPaneCommand(command)) return false;
  if (!ObjectCommand(command) && !MinimaCommand(command)) TextBlockCommand(command);
  return true;
}

// ---------------------------------------------------------------- charts

void CChartColumn::NewRect(const vcom::CRect&) {
  if (pane) pane->LayoutChartColumn();
}

void COmbrixPane::LayoutChartColumn() {
  const vcom::CRect r = chartColumn.ClientRect();
  const int h = controls.Height();
  controls.SetRect(vcom::CRect(0, 0, r.width, h));
  tabs.SetRect(vcom::CRect(0, h, r.width, std::max(0, r.height - h)));
}

ombrix_lc::CChartPage* COmbrixPane::ChartPage(int tab) {
  switch (tab) {
    case ombrix_lc::ctTimeSeries: return &timeSeriesPage;
    case ombrix_lc::ctCompressedSeries: return &compressedPage;
    case ombrix_lc::ctPhasedCurve: return &phasedPage;
    case ombrix_lc::ctPhasedCurveFit: return &phasedFitPage;
    case ombrix_lc::ctMinimumMirror: return &mirrorPage;
    case ombrix_lc::ctMinimumFit: return &minimumPage;
    case ombrix_lc::ctETV: return &etvPage;
    case ombrix_lc::ctPrediction: return &predictionPage;
    default: return nullptr;
  }
}

view::CView* COmbrixPane::PageOfTab(int tab) {
  switch (tab) {
    case kImageTab: return &imagePage;
    case kMetaDataTab: return &metaDataPage;
    case kNotesTab: return &notesPage;
    case kTableTab: return &tablePage;
    default: return ChartPage(tab);
  }
}

ombrix_lc::TBuildRequest COmbrixPane::BuildRequest(bool keepZoom) {
  ombrix_lc::TBuildRequest r;
  r.object = selected;
  r.selected = SelectedSeries();
  r.keepZoom = keepZoom;
  if (owner) {
    const TSettings& s = owner->settings;
    r.filters = &owner->filters;
    r.options.showDev = s.showDev;
    r.options.showMinima = s.showMinima;
    r.options.showNow = s.showNow;
    r.options.showTime = s.showTime;
    if (owner->dateTimePicker.IsInitialized()) {
      const vcalcon::TDateTime t = owner->dateTimePicker.Value();
      r.options.chosenTime = os::JD(t.year, t.month, t.day, os::HMS2fd(t.hour, t.minute, t.second, 0));
    }
  }
  return r;
}

void COmbrixPane::ShowActiveChart(bool keepZoom) {
  if (!tabs.IsInitialized()) return;
  const ombrix_lc::TBuildRequest r = BuildRequest(keepZoom);
  switch (ActiveTab()) {
    case ombrix_lc::ctTimeSeries: ombrix_lc::ShowTimeSeries(timeSeriesPage.Chart(), r); break;
    case ombrix_lc::ctCompressedSeries: ombrix_lc::ShowCompressedSeries(compressedPage.Chart(), r); break;
    case ombrix_lc::ctPhasedCurve: ombrix_lc::ShowPhasedCurve(*phasedPage.PhasedChart(), r, ombrix_lc::ctPhasedCurve); break;
    case ombrix_lc::ctPhasedCurveFit:
      phasedFitPage.Show(r);
      break;
    case ombrix_lc::ctMinimumMirror: mirrorPage.Show(r); break;
    case ombrix_lc::ctMinimumFit: minimumPage.Show(r); break;
    case ombrix_lc::ctETV: etvPage.Show(r); break;
    case ombrix_lc::ctPrediction: predictionPage.Show(selected); break;
    case kImageTab: {
      const std::string file = SelectedSeriesFile();
      imagePage.ShowSeriesPicture(file.empty() ? nullptr : file.c_str());
      break;
    }
    case kTableTab: tablePage.Refresh(field); break;
    default: break;
  }
}

std::string COmbrixPane::SelectedSeriesFile() const {
  const auto* local = dynamic_cast<const ombrix_data::CLocalSeriesTreeElem*>(SelectedSeries());
  return local ? std::string(FixedText::View(kPathHigh, local->absolutePath)) : std::string();
}

void COmbrixPane::OnTabChanged() {
  ShowActiveChart(false);
  const int tab = ActiveTab();
  // M0, period and names may have changed on other tabs meanwhile.
  if (tab == kMetaDataTab) metaDataPage.RefreshFixedFields();
  const bool phased = tab == kPhasedTab || tab == kPhasedFitTab;
  if (owner) vcore::CreateEventA(owner, vcore::evApplication, kTabChangedEvent, phased ? 1 : 0);
}

void COmbrixPane::ZoomCommand(std::uint32_t command) {
  if (ActiveTab() == kImageTab) {  // the picture zooms by whole steps
    if (command == cmClearZoom)
      imagePage.image.SetZoom(0);
    else
      imagePage.image.ZoomCentred(command == cmZoomIn ? 1 : -1);
    return;
  }
  ombrix_lc::CChartPage* page = ChartPage(ActiveTab());
  if (!page) return;
  switch (command) {
    case cmZoomIn: page->Chart().ZoomIn(); break;
    case cmZoomOut: page->Chart().ZoomOut(); break;
    case cmClearZoom: page->Chart().ClearZoom(); break;
    default: break;
  }
}

void COmbrixPane::MetaDataEdited(std::uint32_t code) {
  switch (code) {
    case kMetaDataLabelEditedId: RefreshObjectLabel(); break;
    case kMetaDataTypeEditedId: ShowVariabilityType(); break;
    case kMetaDataElementsEditedId:
      controls.ShowNumbers();
      ShowActiveChart(true);
      break;
    case kMetaDataSourceEditedId: ShowActiveChart(true); break;
    default: break;
  }
  ReportChanged();
}

void COmbrixPane::ControlsChanged(std::uint32_t id) {
  const int tab = ActiveTab();
  if (IsOffsetControl(id)) {
    if (tab == ombrix_lc::ctTimeSeries || tab == ombrix_lc::ctCompressedSeries || tab == kPhasedTab)
      ShowActiveChart(true);
  } else if (tab == kPhasedTab || tab == kETVTab) {
    ShowActiveChart(true);
  }
  ReportChanged();
}

// ------------------------------------------------------------- selection

void COmbrixPane::FieldReplaced() {
  selected = nullptr;
  shownSeries.clear();
  ReloadObjectList();
  ShowObject(field.First());
}

void COmbrixPane::ClearField() {
  selected = nullptr;
  shownSeries.clear();
  objects.list.Clear();
  series.list.Clear();
  minima.list.Clear();
  ForgetShownData();
  field.Clear();
}

void COmbrixPane::ForgetShownData() {
  if (!IsInitialized()) return;
  controls.ShowObject(nullptr);
  metaDataPage.ShowObject(nullptr);
  for (int tab : kChartTabs) ChartPage(tab)->Chart().ClearCurve();
  mirrorPage.Show(ombrix_lc::TBuildRequest{});
  phasedFitPage.Show(ombrix_lc::TBuildRequest{});
  minimumPage.Show(ombrix_lc::TBuildRequest{});
  predictionPage.Show(nullptr);
}

void COmbrixPane::ReloadObjectList() {
  objects.list.Clear();
  std::int32_t row = 0;
  for (ombrix_data::CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o), ++row) {
    objects.list.AddItem("");
    ShowObjectRow(row, *o);
  }
}

void COmbrixPane::ShowObjectRow(std::int32_t row, const ombrix_data::CObjectListElem& object) {
  char label[512];
  object.GetLabel(sizeof label - 1, label);
  objects.list.SetItemText(row, label);
  const char* user = owner ? owner->settings.webRepositoryUser : "";
  const std::string configured(FixedText::View(kUserHigh, user));
  switch (ombrix_web::ShareIconOf(object, configured.c_str())) {
    case ombrix_web::TShareIcon::own: objects.list.SetItemIcon(row, &shareIcons[0], riOwnShare); break;
    case ombrix_web::TShareIcon::someoneElse: objects.list.SetItemIcon(row, &shareIcons[1], riOtherShare); break;
    default: objects.list.SetItemIcon(row, nullptr); break;
  }
}

void COmbrixPane::ShowEnabledMark(vcont::CListBox& list, std::int32_t row, bool enabled) {
  list.SetItemIcon(row, &enabledIcons[enabled ? 0 : 1], enabled ? riEnabled : riDisabled);
}

bool COmbrixPane::SelectObject(std::int32_t index) {
  ombrix_data::CObjectListElem* next = index >= 0 ? field.At(static_cast<std::uint32_t>(index)) : nullptr;
  if (next == selected) {
    objects.list.SetSelection(field.IndexOf(selected));
    return true;
  }
  if (selected && !ombrix_data::ConfirmM0PeriodChange(io, *selected, m0AtSelection, periodAtSelection,
                                                       owner && owner->settings.autoAcceptM0Period)) {
    objects.list.SetSelection(field.IndexOf(selected));
    return false;
  }
  StoreNotes();
  ShowObject(next);
  return true;
}

void COmbrixPane::ShowObject(ombrix_data::CObjectListElem* object) {
  // Nothing may keep pointing into the previous object (it may be gone).
  ForgetShownData();
  selected = object;
  objects.list.SetSelection(object ? field.IndexOf(object) : -1);
  m0AtSelection = object ? object->m0 : 0.0;
  periodAtSelection = object ? object->period : 0.0;
  if (object) {
    object->savedM0 = object->m0;
    object->savedPeriod = object->period;
  }
  ShowVariabilityType();
  LoadNotes(object);
  metaDataPage.ShowObject(object);
  controls.ShowObject(object);
  RefreshSeriesList();
  UpdateStatus();
}

// ------------------------------------------------------------------ notes

namespace {

std::string WithCRLFLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

void COmbrixPane::LoadNotes(const ombrix_data::CObjectListElem* object) {
  if (!notesPage.IsInitialized()) return;
  notesPage.Clear();
  if (object && object->notes && object->notes->length > 0) {
    notesPage.InsertText(object->notes->chars(), object->notes->length);
    notesPage.SetLineIndex(0, 0);
  }
  notesPage.ClearUndoBuffer();
  notesPage.Container()->MarkSaved();
}

bool COmbrixPane::NotesModified() const { return notesPage.IsInitialized() && notesPage.IsModified(); }

void COmbrixPane::StoreNotes() {
  if (!NotesModified()) return;
  if (selected) {
    // The whole text, without moving the user's cursor; notes separate their
    // lines by CR LF, so line ends typed or pasted as LF alone become CR LF.
    const std::string text = WithCRLFLineEnds(notesPage.Text());
    if (text.empty())
      vdstr::FreeDStrA(selected->notes);
    else
      vdstr::CopyBufferToDStrA(selected->notes, text.data(), static_cast<std::uint32_t>(text.size()));
  }
  notesPage.Container()->MarkSaved();
  if (selected) ReportChanged();
}

void COmbrixPane::ShowVariabilityType() {
  if (owner) owner->variabilityTypes.SetText(selected ? selected->variabilityType : "");
}

void COmbrixPane::StepObject(int step) {
  const std::int32_t at = selected ? field.IndexOf(selected) + step : 0;
  if (at >= 0 && at < static_cast<std::int32_t>(field.Count())) SelectObject(at);
}

void COmbrixPane::RefreshObjectList() {
  ReloadObjectList();
  objects.list.SetSelection(selected ? field.IndexOf(selected) : -1);
}

void COmbrixPane::RefreshObjectLabel() {
  const std::int32_t at = field.IndexOf(selected);
  if (at >= 0) ShowObjectRow(at, *selected);
}

// ------------------------------------------------------------- splitters

void COmbrixPane::StoreSplitters(TSettings& settings) const {
  std::int32_t widths[3];
  for (int i = 0; i <= kMinimaColumn; ++i) {
    const int shown = IsColumnShown(i) ? ColumnWidth(i) : 0;
    widths[i] = shown > 0 ? shown : columnWidths[i];
  }
  settings.splitter1 = widths[0];
  settings.splitter2 = widths[1];
  settings.splitter3 = widths[2];
}

void COmbrixPane::ShowMinimaList(bool shown) {
  if (!shown && IsColumnShown(kMinimaColumn) && ColumnWidth(kMinimaColumn) > 0)
    columnWidths[kMinimaColumn] = ColumnWidth(kMinimaColumn);
  ShowColumn(kMinimaColumn, shown);
  if (shown) SetColumnWidth(kMinimaColumn, columnWidths[kMinimaColumn]);
}

bool COmbrixPane::IsMinimaListShown() const { return IsColumnShown(kMinimaColumn); }

}  // namespace ombrix_app
