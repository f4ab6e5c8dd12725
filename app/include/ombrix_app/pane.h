// The main pane of the window: the object list, the series list and the
// minima list side by side with splitters, then the twelve tab pages of the
// selected object. The pane owns the field and runs the object, series and
// minima commands the window forwards to it.
#pragma once

#include <cstdint>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_field/user_io.h>
#include <winkit/winkit.h>

#include "ombrix_app/dialog_user_io.h"
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

// Marks in front of the series and minima lines: enabled or not.
inline constexpr const char* kEnabledMark = "\u2611 ";
inline constexpr const char* kDisabledMark = "\u2610 ";
inline const char* EnabledMark(bool enabled) { return enabled ? kEnabledMark : kDisabledMark; }

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

// A list box above a one-line hint ("<F3>Prev <F4>Next").
class CListColumn : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, std::uint32_t id, const char* hint);
  void NewRect(const vcom::CRect& rect) override;
  // Key events from the list carry the column as their source on the way up.
  void ReceiveEvent(vcore::TEvent& event) override;
  vcont::CListBox list;
  vcont::CStaticText hint;
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

  // Notes of the selected object. The Notes tab has no editor yet, so it
  // never holds unsaved edits and storing finds nothing to store.
  bool NotesModified() const { return false; }
  void StoreNotes() {}

  // Rebuilds the selected object's label, the series list and the minima list.
  void RefreshObjectLabel();
  void RefreshSeriesList();
  void RefreshMinimaList();

  CListColumn objects;  // labels of the field's objects
  CListColumn series;   // lines of the selected object's series
  CListColumn minima;   // minima of the selected series
  vtab::CTab tabs;      // the twelve pages
  view::CView pages[kTabCount];

 private:
  void ReloadObjectList();
  void ShowObject(ombrix_data::CObjectListElem* object);
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
};

}  // namespace ombrix_app
