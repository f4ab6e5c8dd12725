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
#include <winkit/winkit.h>

#include "ombrix_app/settings.h"

namespace ombrix_app {

class COmbrix;

// Commands the window forwards to the pane besides the object-list ones of
// commands.h: the text blocks of fit parameters, object data and offsets.
enum TPaneCommand : std::uint32_t {
  cmLoadOffsets = 1050, cmSaveOffsets = 1051, cmPasteOffsets = 1052, cmCopyOffsets = 1053,
  cmClearOffsets = 1054,
  cmLoadFit = 1060, cmSaveFit = 1061, cmPasteFit = 1062, cmCopyFit = 1063,
  cmLoadObjectData = 1065, cmSaveObjectData = 1066, cmPasteObjectData = 1067, cmCopyObjectData = 1068,
};

// True for the commands COmbrixPane::Command handles.
bool IsPaneCommand(std::uint32_t command);

// A modal dialog of labelled one-line edit fields (object names and the like).
class CTextFieldsDialog : public vwin::COKCancelDialog {
 public:
  // The fields' texts are shown on entry and, on OK, hold what was typed.
  bool Init(const char* title, ombrix_data::TTextField* fields, std::uint32_t count);
  void Done() override;
  bool CanOK() override;
  std::uint32_t FieldCount() const { return static_cast<std::uint32_t>(edits.size()); }
  // Types into a field as the user would (scripted tests).
  void SetFieldText(std::uint32_t index, const char* text);
  std::string FieldText(std::uint32_t index) const;

 private:
  std::vector<vcont::CStaticText*> labels;  // owned, one per field
  std::vector<vcont::CEditBox*> edits;      // owned, one per field
  ombrix_data::TTextField* target = nullptr;  // the caller's fields, not owned
};

// The model's questions and messages as winkit message boxes and dialogs, so
// that the scripted dialog driver answers them in tests.
class CDialogUserIO : public ombrix_data::CUserIO {
 public:
  void ShowMessage(const ombrix_data::TUserMessage& message) override;
  ombrix_data::TAnswer Ask(const ombrix_data::TUserMessage& question, ombrix_data::TButtons buttons) override;
  bool EditTexts(const char* title, ombrix_data::TTextField* fields, std::uint32_t count) override;
};

// The twelve tabs of the object pane, in order.
inline constexpr int kTabCount = 12;
extern const char* const kTabLabels[kTabCount];

// A list box above a one-line hint ("<F3>Prev <F4>Next").
class CListColumn : public view::CNodeView {
 public:
  bool Init(view::CNodeView* parent, const vcom::CRect& rect, std::uint32_t id, const char* hint);
  void NewRect(const vcom::CRect& rect) override;
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
  // Runs a forwarded command; false when it is not one of the pane's.
  bool Command(std::uint32_t command);
  // The Delete key: removes the selected object while the object list has
  // the focus, otherwise does nothing. True when it was the pane's key.
  bool DeleteKey();

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
  void ReportChanged();
  void UpdateStatus();
  bool ObjectCommand(std::uint32_t command);
  bool TextBlockCommand(std::uint32_t command);
  void AddObject(bool insert);
  void RemoveObject();
  void RenameObject();
  void SortObjects(ombrix_data::TObjectSortKey key);
  void ClearOffsets();

  COmbrix* owner = nullptr;                            // the window, not owned
  CDialogUserIO io;                                    // questions of the model
  ombrix_data::CObjectListElem* selected = nullptr;    // in field, not owned
  std::vector<ombrix_data::CSeriesTreeElem*> shownSeries;  // series list rows, not owned
  double m0AtSelection = 0.0;                          // M0 when the object was selected
  double periodAtSelection = 0.0;                      // period when it was selected
};

}  // namespace ombrix_app
