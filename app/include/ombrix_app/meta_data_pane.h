// The "Meta-Data" tab page: the selected object's names, variability type,
// comment, M0 and period with their backup, magnitude limits and meta-data
// source, and three columns of meta-data (the object's own, the source
// series' stated meta-data and the meta-data read from that series' file)
// with the variable, comparison and check stars. Every edit goes into the
// model at once; the page scrolls, as it is taller than the tab.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <ombrix_field/object.h>
#include <winkit/winkit.h>

namespace ombrix_app {

// What the page tells its owner: after every edit it sends one evControl
// event upwards (data cnChanged) with one of these codes. Each of them means
// the field changed (the window's cmFieldChanged); some ask for more:
enum TMetaDataPaneEvent : std::uint32_t {
  kMetaDataEditedId = 3100,   // the object or its source series changed
  kMetaDataLabelEditedId,     // name, alternate name or comment: rebuild the object's label
  kMetaDataTypeEditedId,      // variability type: the tool box's combo box follows
  kMetaDataElementsEditedId,  // M0 or period: the controls above the tabs and the charts follow
  kMetaDataSourceEditedId,    // meta-data source: the panes redraw (the page rebuilt itself)
};

// The columns of the meta-data grid.
enum TMetaDataColumn : int { mcObject = 0, mcSeries = 1, mcFile = 2 };
inline constexpr int kMetaDataColumnCount = 3;

// Ids of the page's fixed controls; the grid's cells get ids from
// kMetaDataFirstCellId on as the page builds them.
enum TMetaDataControl : std::uint32_t {
  kMetaNameId = 3110, kMetaAltNameId, kMetaTypeId, kMetaCommentId, kMetaM0Id, kMetaPeriodId,
  kMetaSavedM0Id, kMetaSavedPeriodId, kMetaBackupId, kMetaRestoreId, kMetaMaxMagId, kMetaMinMagId,
  kMetaSourceId, kMetaCmpCountId, kMetaChkCountId,
  kMetaDataFirstCellId = 3200,
};

// Labels of the fixed rows, top to bottom.
enum TMetaDataLabel : int {
  mlName, mlAltName, mlType, mlComment, mlM0, mlPeriod, mlSavedM0, mlSavedPeriod, mlMaxMag, mlMinMag, mlSource,
  kMetaDataLabelCount,
};

// Star records a count box can hold: field files keep indices 0 to 9.
inline constexpr std::uint32_t kMaxFieldStars = 10;

// Sexagesimal text of a right ascension ("12 30 05.123") or declination
// ("+45 10 05.12") in radians; empty when unknown.
std::string RightAscensionText(double radians);
std::string DeclinationText(double radians);
// Reads such text (any separators the series files allow) into radians;
// text that does not parse gives the unknown marker.
double ParseRightAscension(const std::string& text);
double ParseDeclination(const std::string& text);

// A model field a cell shows and edits (defined with the page).
struct TMetaDataTarget;

class CMetaDataPane : public view::CDBNodeView {
 public:
  CMetaDataPane();
  ~CMetaDataPane() override;
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void NewRect(const vcom::CRect& rect) override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Shows an object, or none (null: empty, disabled controls). The page keeps
  // the pointer and pointers into the object's source series: show null
  // before the object is freed, and show it again (or LoadData) after its
  // series, meta-data or M0 and period changed elsewhere.
  void ShowObject(ombrix_data::CObjectListElem* object);
  ombrix_data::CObjectListElem* Object() const { return object_; }
  // The series the two series columns show, or null.
  ombrix_data::CSeriesTreeElem* SourceSeries() const { return source_; }
  // Rebuilds every control from the shown object.
  void LoadData() override;
  // Shows the fields above the grid again (names, type, M0, period, their
  // backups, magnitudes) after they changed elsewhere; cheaper than LoadData.
  void RefreshFixedFields();

  // "Backup M0, Period": M0 and period into their saved copies.
  void BackupElements();
  // "Restore M0, Period": the saved copies back into M0 and period.
  void RestoreElements();

  // A cell of the grid by the texts the user sees: section "" for the rows
  // above the stars and the star counts, "VAR", "CMP0", ..., "CHK0", ... for
  // the star groups; label as shown ("R.A.:"). Null when the column has no
  // such cell.
  view::CView* Cell(const std::string& section, const std::string& label, int column) const;
  vcont::CEditBox* EditCell(const std::string& section, const std::string& label, int column) const;
  vcont::CComboBox* ListCell(const std::string& section, const std::string& label, int column) const;
  // Group headers of the star groups in order ("VAR", "CMP0", ...).
  std::vector<std::string> Sections() const;
  // Size of the scrolled content.
  int ContentWidth() const;
  int ContentHeight() const { return contentHeight_; }

  view::CScrollerView scroller;  // fills the page
  view::CNodeView content;       // everything below, scrolled
  vcont::CStaticText labels[kMetaDataLabelCount];
  vcont::CEditBox name, altName, comment;
  vcont::CComboBox variabilityType;  // the 18 types, or free text
  vcont::CEditBox m0, period, savedM0, savedPeriod;
  vcont::CButton backupButton, restoreButton;
  vcont::CEditBox maxMagnitude, minMagnitude;
  vcont::CComboBox source;  // "Manual entry" ... "Newest series file date"
  vcont::CStaticText columnTitles[kMetaDataColumnCount];
  // "Number of CMP stars:" and "Number of CHK stars:" of the object column.
  vcont::CIntegerCountBox cmpCount, chkCount;

 private:
  // One row of the grid and its cells (null where a column shows nothing).
  struct TGridRow {
    std::string section;
    std::string label;
    view::CView* cells[kMetaDataColumnCount] = {};
  };
  // Stores a control's content into the model; the event to report, or 0
  // when the model did not change.
  using TEditor = std::function<std::uint32_t()>;
  // The record a column shows and whether the user may edit it.
  struct TColumnRecord {
    ombrix_data::CMetaData* meta = nullptr;
    bool editable = false;
  };

  void BindFixedControls();
  void ShowFixedControls();
  void ClearGrid();
  void BuildGrid();
  int AddMetaDataRows(int y);
  int AddStarGroup(const std::string& section, ombrix_data::TStarData* const (&stars)[kMetaDataColumnCount], int y);
  int AddCountRow(const char* label, vcont::CIntegerCountBox& box, bool comparison, int y);
  vcont::CStaticText* AddLabel(const std::string& text, int y);
  view::CView* AddCell(const TMetaDataTarget& target, bool editable, int column, int y);
  void Place(view::CView& view, int gridColumn, int y, int span = 1);
  void LayoutFixedControls();
  void SetStarCount(bool comparison, std::uint32_t count);
  void ChangeSource(int index);
  void Report(std::uint32_t code);

  ombrix_data::CObjectListElem* object_ = nullptr;  // not owned
  ombrix_data::CSeriesTreeElem* source_ = nullptr;  // the object's, not owned
  std::vector<std::unique_ptr<view::CView>> built_;  // the grid's labels and cells, owned
  std::vector<TGridRow> rows_;
  std::map<std::uint32_t, TEditor> editors_;  // by control id
  TColumnRecord columns_[kMetaDataColumnCount];
  // Shown, read-only, by a column without a record: all defaults, so empty.
  ombrix_data::CMetaData blank_;
  std::uint32_t nextCellId_ = kMetaDataFirstCellId;
  int gridTop_ = 0;        // y of the column titles
  int contentHeight_ = 0;
  bool showing_ = false;   // controls are being filled: their changes are no edits
};

}  // namespace ombrix_app
