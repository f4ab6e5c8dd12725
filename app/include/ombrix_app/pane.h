// The main pane of the window: the object list, the series list and the
// minima list side by side with splitters, then the twelve tab pages of the
// selected object. The pane owns the field and runs the object, series and
// minima commands the window forwards to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_field/user_io.h>
#include <lectern/text_view.h>
#include <ombrix_present/chart_page.h>
#include <ombrix_present/etv_page.h>
#include <ombrix_views/image_view.h>
#include <ombrix_views/observation_sheet.h>
#include <winkit/winkit.h>

#include "ombrix_app/dialog_user_io.h"
#include "ombrix_app/fit_page.h"
#include "ombrix_app/meta_data_pane.h"
#include "ombrix_app/minimum_page.h"
#include "ombrix_app/repository.h"
#include "ombrix_app/settings.h"

namespace ombrix_app {

class COmbrix;

// Commands the window forwards to the pane besides those of commands.h: the
// series offsets and the text blocks of fit parameters and object data.
enum TPaneCommand : std::uint32_t {
  cmLoadOffsets = 1050, cmSaveOffsets = 1051, cmPasteOffsets = 1052, cmCopyOffsets = 1053,
  cmClearOffsets = 1054,
  cmLoadFit = 1060, cmSaveFit = 1061, cmPasteFit = 1062, cmCopyFit = 1063,
  cmLoadObjectData = 1065, cmSaveObjectData = 1066, cmPasteObjectData = 1067, cmCopyObjectData = 1068,
};

// True for the commands COmbrixPane::Command handles.
bool IsPaneCommand(std::uint32_t command);

// Icon tags of the list rows (vcont::CListBox::ItemIconTag): the enabled
// and disabled marks of series and minima, the share marks of objects.
enum TRowIcon : int { riNone = 0, riEnabled = 1, riDisabled = 2, riOwnShare = 3, riOtherShare = 4 };

// "Minimum parameters...": time, error and type of one minimum.
class CMinimumParametersDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_data::CMinimaListElem& minimum);
  void Done() override;
  // Copies the controls' values into the minimum.
  void Store(ombrix_data::CMinimaListElem& minimum) const;

  vcont::CStaticText labels[3];  // "Minimum:", "Error:", "Minimum type:"
  vcont::CRealCountBox time;     // Julian date of the minimum
  vcont::CRealCountBox error;    // days
  vcont::CComboBox type;         // "Undefined", "Primary", "Secondary"
};

// The twelve tabs of the object pane, in order.
inline constexpr int kTabCount = 12;
extern const char* const kTabLabels[kTabCount];

// A list box above a one-line hint ("<F3>Prev <F4>Next") and, optionally,
// a footer view of fixed height below the hint.
class CListColumn : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, std::uint32_t id, const char* hint);
  void NewRect(const vcom::CRect& rect) override;
  // The footer is a child of this column, made by the caller.
  void SetFooter(view::CView* view, int height);
  // Key events from the list carry the column as their source on the way up.
  void ReceiveEvent(vcore::TEvent& event) override;
  vcont::CListBox list;
  vcont::CStaticText hint;

 private:
  view::CView* footer = nullptr;  // not owned
  int footerHeight = 0;
};

// Controls above the tabs. After a change they send kControlsChangedId
// upwards with the id of the control that changed as data.
enum TObjectControl : std::uint32_t {
  kM0BoxId = 2701, kPeriodBoxId, kPeriodRangeId, kPeriodSliderId, kDoublePeriodId, kHalvePeriodId,
  kAcceptPeriodId, kRestorePeriodId,
  kOffsetBoxId, kOffsetRangeId, kOffsetSliderId, kAcceptOffsetId, kRestoreOffsetId,
  kControlsChangedId,
};
inline bool IsOffsetControl(std::uint32_t id) { return id >= kOffsetBoxId && id <= kRestoreOffsetId; }

class COmbrixPane;

// The column of the controls and the tabs; keeps them laid out.
class CChartColumn : public view::CNodeView {
 public:
  void NewRect(const vcom::CRect& rect) override;
  COmbrixPane* pane = nullptr;  // owner, not owned
};

// Event number of the application event queued after a tab change; its data
// is 1 when the new tab is a phased one.
inline constexpr std::uint32_t kTabChangedEvent = 1161;

// The object's controls above the tabs: M0 and period with the period slider
// and buttons, and the selected series' offset (or multiplier) with its slider.
class CObjectControls : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect);
  void Done() override;
  void NewRect(const vcom::CRect& rect) override;
  void ReceiveEvent(vcore::TEvent& event) override;
  // Shows an object (null: none) and its selected series (null: none).
  void ShowObject(ombrix_data::CObjectListElem* object);
  void ShowSeries(ombrix_data::CSeriesTreeElem* series);
  int Height() const;
  // Shows the object's M0 and period again (after they changed elsewhere).
  void ShowNumbers();
  // Refills the list below "P:" from the object's period list.
  void ShowPeriods();

  // Sets the period as typed (slider follows) or from the slider.
  void SetPeriod(double period, bool moveSlider);
  void MovePeriodSlider(int position);
  void MoveOffsetSlider(int position);

  vcont::CStaticText m0Label, periodLabel, offsetLabel;
  vcont::CComboBox m0Box, periodBox;            // editable numbers; the period list below P
  vcont::CEditBox periodRange, offsetRange;     // "-+" half-ranges of the sliders
  vcont::CStaticText periodRangeLabel, offsetRangeLabel;
  vcont::CSlider periodSlider, offsetSlider;
  vcont::CButton doublePeriod, halvePeriod, acceptPeriod, restorePeriod;
  vcont::CEditBox offsetBox;
  vcont::CButton acceptOffset, restoreOffset;

 private:
  void Layout(int width);
  void ShowOffset();
  void TypedNumber(std::uint32_t id);
  void Changed(std::uint32_t id);

  ombrix_data::CObjectListElem* object = nullptr;  // not owned
  ombrix_data::CSeriesTreeElem* series = nullptr;  // not owned
  double savedOffset = 0.0;                        // offset or multiplier the slider starts from
  bool showing = false;                            // boxes are being filled: no change events
};

class COmbrixPane : public view::CSplitterView {
 public:
  ombrix_data::CField field;  // the document: objects in field order; owned

  COmbrixPane();
  ~COmbrixPane() override;

  // Builds the three list columns (widths from the owner's Splitter1-3) and
  // the tab pages inside the owner's interior at rect.
  bool Init(COmbrix& owner, const vcom::CRect& rect);
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // After New or Load: rebuilds the object list and selects the first object
  // (no M0/period question: the previous objects are gone).
  void FieldReplaced();
  // Forgets the selection, empties the lists and frees every object (New
  // Field, and before a field is loaded).
  void ClearField();
  // Runs a forwarded command; false when it is not one of the pane's.
  bool Command(std::uint32_t command);
  // The Delete key: removes the selected object while the object list has
  // the focus and the selected minimum while the minima list has it;
  // otherwise nothing.
  void DeleteKey();

  // Selects an object as a click in the object list does, with the M0/period
  // question for the previous one; false when the user cancelled (the old
  // selection stays). index -1 selects nothing.
  bool SelectObject(std::int32_t index);
  // Selects a series of the selected object (-1: none) as a click would.
  void SelectSeries(std::int32_t index);

  ombrix_data::CObjectListElem* SelectedObject() const { return selected; }
  ombrix_data::CSeriesTreeElem* SelectedSeries() const;
  // The status bar's counts: enabled series and all series of the selected object.
  std::uint32_t EnabledSeriesCount() const;
  std::uint32_t SeriesCount() const;

  // Splitter positions: the widths of the three list columns.
  void StoreSplitters(TSettings& settings) const;
  void ShowMinimaList(bool shown);
  bool IsMinimaListShown() const;

  // The Notes tab holds edits of the selected object's notes not stored yet.
  bool NotesModified() const;
  // Stores edited notes into the selected object (an empty text removes
  // them) and reports the field changed; without edits nothing happens.
  void StoreNotes();

  // Rebuilds the labels of the object list, keeping the selection.
  void RefreshObjectList();
  // Charts, pages and controls let go of the shown object's series (before
  // series are removed or replaced; RefreshSeriesList shows them again).
  void ForgetShownData();
  // Rebuilds the selected object's label, the series list and the minima list.
  void RefreshObjectLabel();
  void RefreshSeriesList();
  void RefreshMinimaList();

  CListColumn objects;  // labels of the field's objects
  CListColumn series;   // lines of the selected object's series
  CListColumn minima;   // minima of the selected series
  CRepositoryStatusPanel repositoryStatus;  // footer of the object list
  // Puts the enabled or disabled mark in front of a series or minimum row.
  void ShowEnabledMark(vcont::CListBox& list, std::int32_t row, bool enabled);
  // The chart column: the object's controls above the tabs.
  CChartColumn chartColumn;
  CObjectControls controls;
  vtab::CTab tabs;      // the twelve pages
  // Chart pages of tabs 1 to 7 and 11; the other tabs are plain pages for now.
  ombrix_lc::CChartPage timeSeriesPage{ombrix_lc::ckPlain};
  ombrix_lc::CChartPage compressedPage{ombrix_lc::ckPlain};
  ombrix_lc::CChartPage phasedPage{ombrix_lc::ckPhased};
  CPhasedFitPage phasedFitPage;
  ombrix_lc::CMirrorPage mirrorPage;
  CMinimumFitPage minimumPage;
  ombrix_lc::CETVPage etvPage;
  ombrix_lc::CPredictionPage predictionPage;
  ombrix_img::CImagePage imagePage;        // tab 8: the selected series' picture
  CMetaDataPane metaDataPage;              // tab 9: names, elements and meta-data
  lectern::CTextView notesPage;            // tab 10: the selected object's notes
  ombrix_sht::CObservationSheet tablePage; // tab 12: the field's objects and nights
  static constexpr int kImageTab = 8;
  static constexpr int kMetaDataTab = 9;
  static constexpr int kNotesTab = 10;
  static constexpr int kTableTab = 12;
  // The page of a tab (1 to 12).
  view::CView* PageOfTab(int tab);
  // Tabs with a chart page, in tab order.
  static constexpr int kChartTabs[] = {1, 2, 3, 4, 5, 6, 7, 11};

  // The active tab, counted from 1 as the tabs are numbered.
  int ActiveTab() const { return tabs.ActivePage() + 1; }
  // The chart page of a tab, or null for the other tabs.
  ombrix_lc::CChartPage* ChartPage(int tab);
  // Runs the builder of the active tab. keepZoom keeps the visible range
  // (edits on the shown object).
  void ShowActiveChart(bool keepZoom = false);
  // The file of the selected series (local series only), or "".
  std::string SelectedSeriesFile() const;
  // A tab became active: its builder, then the application event 1161.
  void OnTabChanged();
  // Zoom in, zoom out and clear zoom of the active chart.
  void ZoomCommand(std::uint32_t command);
  // What the builders read from the window's settings and the selection.
  ombrix_lc::TBuildRequest BuildRequest(bool keepZoom);
  // Places the controls and the tabs in the chart column.
  void LayoutChartColumn();

 private:
  void ReloadObjectList();
  // The object's row in the object list: label and share icon.
  void ShowObjectRow(std::int32_t row, const ombrix_data::CObjectListElem& object);
  // The minima lines of the selected series, without rebuilding the chart.
  void FillMinimaList();
  // The object controls changed M0, P or an offset.
  void ControlsChanged(std::uint32_t id);
  // The meta-data page edited the object (one of its kMetaData...Id codes).
  void MetaDataEdited(std::uint32_t code);
  void ShowObject(ombrix_data::CObjectListElem* object);
  // Fills the Notes tab with the object's notes, unedited.
  void LoadNotes(const ombrix_data::CObjectListElem* object);
  // The tool box's variability-type combo box shows the selected object's.
  void ShowVariabilityType();
  void ReportChanged();
  void UpdateStatus();
  bool ObjectCommand(std::uint32_t command);
  void TextBlockCommand(std::uint32_t command);
  void AddObject(bool insert);
  void RemoveObject();
  void RenameObject();
  void SortObjects(ombrix_data::TObjectSortKey key);
  void ClearOffsets();
  void SetAllSeries(bool enabled);
  void ToggleSeries(std::int32_t index);
  bool MinimaCommand(std::uint32_t command);
  void SetAllMinima(bool enabled);
  void ToggleMinimum(std::int32_t index);
  void RemoveMinimum();
  void EditMinimum();
  ombrix_data::CMinimaListElem* SelectedMinimum() const;
  void StepObject(int step);
  void StepSeries(int step);

  COmbrix* owner = nullptr;                            // the window, not owned
  CDialogUserIO io;                                    // questions of the model
  ombrix_data::CObjectListElem* selected = nullptr;    // in field, not owned
  std::vector<ombrix_data::CSeriesTreeElem*> shownSeries;  // series list rows, not owned
  double m0AtSelection = 0.0;                          // M0 when the object was selected
  double periodAtSelection = 0.0;                      // period when it was selected
  std::int32_t columnWidths[3] = {};                   // list widths, kept while a column is hidden
  vgr::CIcon shareIcons[2];                            // own, someone else's
  vgr::CIcon enabledIcons[2];                          // enabled, disabled
};

}  // namespace ombrix_app
