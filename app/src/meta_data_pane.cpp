// The "Meta-Data" tab page: the fixed controls on top, then the grid of
// meta-data and star rows in three columns, all on one scrolled view. The
// grid is rebuilt whenever the object, its source or its star counts change;
// each editable control has an editor that stores its content in the model.
#include "ombrix_app/meta_data_pane.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <iterator>

#include <ombrix_field/series_file.h>
#include <ombrix_model/angles.h>
#include <ombrix_exports/copy_info.h>
#include <runbase/fixed_text.h>
#include <runbase/storage.h>
#include <runbase/str.h>

namespace ombrix_app {

using ombrix_data::CMetaData;
using ombrix_data::TStarData;

enum class TCellKind { text, number, rightAscension, declination, jdType, valueUnit };

struct TMetaDataTarget {
  TCellKind kind = TCellKind::text;
  std::uint32_t high = 0;   // text: highest index of the array
  char* text = nullptr;
  double* number = nullptr;  // number and coordinates
  double unset = 0.0;        // number: the value an empty box stands for
  ombrix_data::TJDType* jdType = nullptr;
  ombrix_data::TValueUnit* unit = nullptr;
};

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr int kMargin = 8;
constexpr int kCellWidth = 200;   // the label column and each meta-data column
constexpr int kSectionGap = 12;   // space above the column titles and each star block
constexpr int kNumberLength = 32;
constexpr vcolor::TColor kHeaderColour = vcolor::RGBA(0, 0, 128);  // column titles and star groups

const char* const kLabelTexts[kMetaDataLabelCount] = {
    "Name:",      "Alternate name:", "Variability type:",  "Comment:",           "M0:", "Period:",
    "Backup M0:", "Backup Period:",  "Maximal magnitude:", "Minimal magnitude:", "Source of Object meta-data:"};
const char* const kColumnTitles[kMetaDataColumnCount] = {"Object meta-data:", "Series meta-data:",
                                                         "Series file meta-data:"};
// Meta-data sources 0 to 4.
const char* const kSourceNames[] = {"Manual entry", "Oldest series", "Newest series", "Oldest series file date",
                                    "Newest series file date"};
// List entries of the JD types 1, 2 and the units 1, 2.
const char* const kJDTypeNames[] = {"Geocentric", "Heliocentric"};
const char* const kUnitNames[] = {"Magnitude", "Flux"};
constexpr int kChoiceCount = 2;

// ------------------------------------------------------------ targets

template <std::size_t N>
TMetaDataTarget Text(char (&text)[N]) {
  TMetaDataTarget t;
  t.high = N - 1;
  t.text = text;
  return t;
}

TMetaDataTarget Number(double& value, double unset) {
  TMetaDataTarget t;
  t.kind = TCellKind::number;
  t.number = &value;
  t.unset = unset;
  return t;
}

TMetaDataTarget Coordinate(double& value, TCellKind kind) {
  TMetaDataTarget t;
  t.kind = kind;
  t.number = &value;
  return t;
}

TMetaDataTarget JDType(ombrix_data::TJDType& value) {
  TMetaDataTarget t;
  t.kind = TCellKind::jdType;
  t.jdType = &value;
  return t;
}

TMetaDataTarget Unit(ombrix_data::TValueUnit& value) {
  TMetaDataTarget t;
  t.kind = TCellKind::valueUnit;
  t.unit = &value;
  return t;
}

bool IsList(const TMetaDataTarget& t) { return t.kind == TCellKind::jdType || t.kind == TCellKind::valueUnit; }

// Rows of the meta-data record and of a star record, top to bottom.
struct TMetaDataRow {
  const char* label;
  TMetaDataTarget (*target)(CMetaData&);
};
const TMetaDataRow kMetaDataRows[] = {
    {"Var aperture:", [](CMetaData& m) { return Number(m.varAperture, 0.0); }},
    {"Cmp aperture:", [](CMetaData& m) { return Number(m.cmpAperture, 0.0); }},
    {"Chk aperture:", [](CMetaData& m) { return Number(m.chkAperture, 0.0); }},
    {"JD type:", [](CMetaData& m) { return JDType(m.jdType); }},
    {"Brightness unit", [](CMetaData& m) { return Unit(m.valueUnit); }},
    {"Filter:", [](CMetaData& m) { return Text(m.filter); }},
};

struct TStarRow {
  const char* label;
  TMetaDataTarget (*target)(TStarData&);
};
const TStarRow kStarRows[] = {
    {"Name:", [](TStarData& s) { return Text(s.name); }},
    {"R.A.:", [](TStarData& s) { return Coordinate(s.ra, TCellKind::rightAscension); }},
    {"Dec.:", [](TStarData& s) { return Coordinate(s.dec, TCellKind::declination); }},
    {"Catalog:", [](TStarData& s) { return Text(s.catalog); }},
    {"Catalog Id: ", [](TStarData& s) { return Text(s.catalogId); }},
    {"Catalog R.A.:", [](TStarData& s) { return Coordinate(s.catalogRA, TCellKind::rightAscension); }},
    {"Catalog Dec.:", [](TStarData& s) { return Coordinate(s.catalogDec, TCellKind::declination); }},
    {"Catalog Mag.:", [](TStarData& s) { return Number(s.catalogMag, ombrix_data::kUnknownMagnitude); }},
    {"Catalog B-V:", [](TStarData& s) { return Number(s.catalogBV, ombrix_data::kUnknownMagnitude); }},
    {"Catalog J-K:", [](TStarData& s) { return Number(s.catalogJK, ombrix_data::kUnknownMagnitude); }},
};

// ------------------------------------------------------------ texts

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Shortest text that reads back as the same number, whatever the locale;
// empty for the field's "not set" value.
std::string NumberText(double value, double unset) {
  if (value == unset || !std::isfinite(value)) return "";
  char text[40];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return result.ec == std::errc() ? std::string(text, result.ptr) : "";
}

// The number of a box: empty text stands for `unset`; false for text that
// is no number.
bool ReadNumber(const std::string& boxText, double unset, double& value) {
  const std::string text = Trimmed(boxText);
  if (text.empty()) {
    value = unset;
    return true;
  }
  bool ok = false;
  const double read = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  if (!ok || !std::isfinite(read)) return false;
  value = read;
  return true;
}

// Trimmed sexagesimal text in hours or degrees; false when it does not parse.
bool ParseUnits(const std::string& text, double& units) {
  const std::string trimmed = Trimmed(text);
  return !trimmed.empty() && ombrix_data::ParseSexagesimal(trimmed.c_str(), trimmed.size(), units);
}

// What a cell shows of its field.
std::string CellText(const TMetaDataTarget& t) {
  switch (t.kind) {
    case TCellKind::text: return std::string(FixedText::View(t.high, t.text));
    case TCellKind::number: return NumberText(*t.number, t.unset);
    case TCellKind::rightAscension: return RightAscensionText(*t.number);
    case TCellKind::declination: return DeclinationText(*t.number);
    case TCellKind::jdType:
      return *t.jdType >= 1 && *t.jdType <= kChoiceCount ? kJDTypeNames[*t.jdType - 1] : "";
    case TCellKind::valueUnit: return *t.unit >= 1 && *t.unit <= kChoiceCount ? kUnitNames[*t.unit - 1] : "";
  }
  return "";
}

// The list entry a JD type or unit selects; -1 for none.
int CellChoice(const TMetaDataTarget& t) {
  const int value = t.kind == TCellKind::jdType ? static_cast<int>(*t.jdType) : static_cast<int>(*t.unit);
  return value >= 1 && value <= kChoiceCount ? value - 1 : -1;
}

template <class T>
bool Replace(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// Stores a box's text into the field; true when the field changed. Text
// that is no number leaves a number as it is; a coordinate that does not
// parse becomes unknown.
bool StoreText(const TMetaDataTarget& t, const std::string& text) {
  switch (t.kind) {
    case TCellKind::text: {
      const std::string_view cut = std::string_view(text).substr(0, t.high + 1);
      if (FixedText::View(t.high, t.text) == cut) return false;
      FixedText::Assign(t.high, t.text, cut);
      return true;
    }
    case TCellKind::number: {
      double value = 0;
      return ReadNumber(text, t.unset, value) && Replace(*t.number, value);
    }
    case TCellKind::rightAscension: return Replace(*t.number, ParseRightAscension(text));
    case TCellKind::declination: return Replace(*t.number, ParseDeclination(text));
    case TCellKind::jdType:
    case TCellKind::valueUnit: return false;
  }
  return false;
}

// Stores a list's selection; nothing selected leaves the field.
bool StoreChoice(const TMetaDataTarget& t, int selection) {
  if (selection < 0 || selection >= kChoiceCount) return false;
  if (t.kind == TCellKind::jdType) return Replace(*t.jdType, static_cast<ombrix_data::TJDType>(selection + 1));
  return Replace(*t.unit, static_cast<ombrix_data::TValueUnit>(selection + 1));
}

// Resizes an object's comparison or check array: new records take the star
// defaults, 0 frees the array.
void ResizeStars(CMetaData& meta, bool comparison, std::uint32_t wanted) {
  std::uint32_t& count = comparison ? meta.cmpCount : meta.chkCount;
  if (wanted > count) {
    if (comparison) meta.ComparisonStar(wanted - 1);
    else meta.CheckStar(wanted - 1);
    return;
  }
  TStarData*& stars = comparison ? meta.cmp : meta.chk;
  Storage::Reallocate(stars, sizeof(TStarData) * wanted);  // the record's own heap; 0 frees
  count = wanted;
}

// A fixed box that edits a field of the object, with what it reports.
struct TFixedEdit {
  vcont::CEditBox* box;
  TMetaDataTarget target;
  std::uint32_t report;
};

int Row() { return vcore::ScaleV(kRowHeight); }
int RowStep() { return vcore::ScaleV(kRowHeight) + kGap; }

}  // namespace

// ------------------------------------------------------------ coordinates

std::string RightAscensionText(double radians) {
  return ombrix_export::RightAscensionText(radians, ombrix_export::TCoordinateForm::spaced);
}

std::string DeclinationText(double radians) {
  return ombrix_export::DeclinationText(radians, ombrix_export::TCoordinateForm::spaced);
}

double ParseRightAscension(const std::string& text) {
  double hours = 0;
  return ParseUnits(text, hours) ? ombrix_model::HoursToRadians(hours) : ombrix_data::kUnknownRA;
}

double ParseDeclination(const std::string& text) {
  double degrees = 0;
  return ParseUnits(text, degrees) ? ombrix_model::DegreesToRadians(degrees) : ombrix_data::kUnknownDec;
}

// ------------------------------------------------------------ page

CMetaDataPane::CMetaDataPane() = default;

CMetaDataPane::~CMetaDataPane() { Done(); }

bool CMetaDataPane::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!view::CDBNodeView::Init(parent, rect)) return false;
  scroller.Init(this, vcom::CRect(0, 0, rect.width, rect.height));
  content.Init(&scroller, vcom::CRect(0, 0, ContentWidth(), rect.height));
  scroller.SetContent(&content);
  const vcom::CRect r(0, 0, 10, Row());
  for (int i = 0; i < kMetaDataLabelCount; ++i) labels[i].Init(&content, r, kLabelTexts[i]);
  name.Init(&content, r, kMetaNameId, "", ombrix_data::kObjectNameHigh);
  altName.Init(&content, r, kMetaAltNameId, "", ombrix_data::kObjectNameHigh);
  variabilityType.Init(&content, r, kMetaTypeId, true);
  for (const char* type : ombrix_data::kVariabilityTypes) variabilityType.AddItem(type);
  comment.Init(&content, r, kMetaCommentId, "", ombrix_data::kCommentHigh);
  m0.Init(&content, r, kMetaM0Id, "", kNumberLength);
  period.Init(&content, r, kMetaPeriodId, "", kNumberLength);
  savedM0.Init(&content, r, kMetaSavedM0Id, "", kNumberLength);
  savedPeriod.Init(&content, r, kMetaSavedPeriodId, "", kNumberLength);
  backupButton.Init(&content, r, kMetaBackupId, "Backup M0, Period");
  restoreButton.Init(&content, r, kMetaRestoreId, "Restore M0, Period");
  maxMagnitude.Init(&content, r, kMetaMaxMagId, "", kNumberLength);
  minMagnitude.Init(&content, r, kMetaMinMagId, "", kNumberLength);
  source.Init(&content, r, kMetaSourceId, false);
  for (const char* s : kSourceNames) source.AddItem(s);
  for (int c = 0; c < kMetaDataColumnCount; ++c) {
    columnTitles[c].Init(&content, r, kColumnTitles[c]);
    columnTitles[c].SetColor(kHeaderColour);
  }
  cmpCount.Init(&content, r, kMetaCmpCountId, 0, kMaxFieldStars, 0);
  chkCount.Init(&content, r, kMetaChkCountId, 0, kMaxFieldStars, 0);
  LayoutFixedControls();
  LoadData();
  return true;
}

void CMetaDataPane::Done() {
  if (IsInitialized()) {
    ClearGrid();
    for (vcont::CStaticText& label : labels) label.Done();
    for (vcont::CStaticText& title : columnTitles) title.Done();
    for (view::CView* v : std::initializer_list<view::CView*>{
             &name, &altName, &variabilityType, &comment, &m0, &period, &savedM0, &savedPeriod, &backupButton,
             &restoreButton, &maxMagnitude, &minMagnitude, &source, &cmpCount, &chkCount})
      v->Done();
    content.Done();
    scroller.Done();
  }
  editors_.clear();
  object_ = nullptr;
  source_ = nullptr;
  view::CDBNodeView::Done();
}

void CMetaDataPane::NewRect(const vcom::CRect& rect) {
  if (scroller.IsInitialized()) scroller.SetRect(vcom::CRect(0, 0, rect.width, rect.height));
}

int CMetaDataPane::ContentWidth() const { return 2 * kMargin + 4 * vcore::ScaleH(kCellWidth) + 3 * kGap; }

void CMetaDataPane::Place(view::CView& view, int gridColumn, int y, int span) {
  const int cell = vcore::ScaleH(kCellWidth);
  const int x = kMargin + (gridColumn + 1) * (cell + kGap);
  view.SetRect(vcom::CRect(x, y, span * cell + (span - 1) * kGap, Row()));
}

// The fixed controls in pairs of label and box; grid column -1 holds the
// labels of the grid below.
void CMetaDataPane::LayoutFixedControls() {
  int y = kMargin;
  auto pair = [&](int label, view::CView& box, int column, int span = 1) {
    Place(labels[label], column - 1, y, 1);
    Place(box, column, y, span);
  };
  pair(mlName, name, 0);
  pair(mlAltName, altName, 2);
  y += RowStep();
  pair(mlType, variabilityType, 0);
  y += RowStep();
  pair(mlComment, comment, 0, 3);
  y += RowStep();
  pair(mlM0, m0, 0);
  pair(mlPeriod, period, 2);
  y += RowStep();
  pair(mlSavedM0, savedM0, 0);
  pair(mlSavedPeriod, savedPeriod, 2);
  y += RowStep();
  Place(backupButton, 0, y);
  Place(restoreButton, 1, y);
  y += RowStep();
  pair(mlMaxMag, maxMagnitude, 0);
  pair(mlMinMag, minMagnitude, 2);
  y += RowStep();
  pair(mlSource, source, 0);
  y += RowStep() + kSectionGap;
  for (int c = 0; c < kMetaDataColumnCount; ++c) Place(columnTitles[c], c, y);
  gridTop_ = y + RowStep();
}

void CMetaDataPane::ShowObject(ombrix_data::CObjectListElem* object) {
  object_ = object;
  LoadData();
}

void CMetaDataPane::LoadData() {
  if (!IsInitialized()) return;
  showing_ = true;
  source_ = object_ ? object_->MetaDataSourceSeries() : nullptr;
  ClearGrid();
  editors_.clear();
  nextCellId_ = kMetaDataFirstCellId;
  ShowFixedControls();
  if (object_) BindFixedControls();
  BuildGrid();
  showing_ = false;
  SetDataChanged(false);
}

void CMetaDataPane::ShowFixedControls() {
  ombrix_data::CObjectListElem* o = object_;
  const bool shown = o != nullptr;
  auto text = [&](vcont::CEditBox& box, const TMetaDataTarget& target) { box.SetText(CellText(target).c_str()); };
  if (o) {
    text(name, Text(o->name));
    text(altName, Text(o->altName));
    text(comment, Text(o->comment));
    text(m0, Number(o->m0, 0.0));
    text(period, Number(o->period, 0.0));
    text(savedM0, Number(o->savedM0, 0.0));
    text(savedPeriod, Number(o->savedPeriod, 0.0));
    text(maxMagnitude, Number(o->maxMagnitude, ombrix_data::kUnknownMagnitude));
    text(minMagnitude, Number(o->minMagnitude, ombrix_data::kUnknownMagnitude));
    variabilityType.SetSelection(-1);  // a free text must not keep the last item chosen
    variabilityType.SetText(std::string(FixedText::View(ombrix_data::kVariabilityTypeHigh, o->variabilityType)).c_str());
    source.SetSelection(o->metaDataSource >= 0 && o->metaDataSource < static_cast<int>(std::size(kSourceNames))
                            ? o->metaDataSource
                            : -1);
  } else {
    for (vcont::CEditBox* box : {&name, &altName, &comment, &m0, &period, &savedM0, &savedPeriod, &maxMagnitude,
                                 &minMagnitude})
      box->SetText("");
    variabilityType.SetText("");
    source.SetSelection(-1);
  }
  for (view::CView* v : std::initializer_list<view::CView*>{
           &name, &altName, &variabilityType, &comment, &m0, &period, &savedM0, &savedPeriod, &backupButton,
           &restoreButton, &maxMagnitude, &minMagnitude, &source})
    v->SetEnabled(shown);
}

void CMetaDataPane::BindFixedControls() {
  ombrix_data::CObjectListElem& o = *object_;
  const TFixedEdit edits[] = {
      {&name, Text(o.name), kMetaDataLabelEditedId},
      {&altName, Text(o.altName), kMetaDataLabelEditedId},
      {&comment, Text(o.comment), kMetaDataLabelEditedId},
      {&m0, Number(o.m0, 0.0), kMetaDataElementsEditedId},
      {&period, Number(o.period, 0.0), kMetaDataElementsEditedId},
      {&savedM0, Number(o.savedM0, 0.0), kMetaDataEditedId},
      {&savedPeriod, Number(o.savedPeriod, 0.0), kMetaDataEditedId},
      {&maxMagnitude, Number(o.maxMagnitude, ombrix_data::kUnknownMagnitude), kMetaDataEditedId},
      {&minMagnitude, Number(o.minMagnitude, ombrix_data::kUnknownMagnitude), kMetaDataEditedId},
  };
  for (const TFixedEdit& e : edits)
    editors_[e.box->Id()] = [e] { return StoreText(e.target, e.box->Text()) ? e.report : 0u; };
  // Choosing an item of the editable list also changes its text: the
  // second store finds nothing new.
  editors_[kMetaTypeId] = [this, target = Text(o.variabilityType)] {
    return StoreText(target, variabilityType.Text()) ? kMetaDataTypeEditedId : 0u;
  };
}

void CMetaDataPane::RefreshFixedFields() {
  if (!IsInitialized()) return;
  showing_ = true;
  ShowFixedControls();
  showing_ = false;
}

// ------------------------------------------------------------ grid

void CMetaDataPane::ClearGrid() {
  for (auto it = built_.rbegin(); it != built_.rend(); ++it) (*it)->Done();
  built_.clear();
  rows_.clear();
}

void CMetaDataPane::BuildGrid() {
  columns_[mcObject] = {object_ ? &object_->metaData : &blank_, object_ != nullptr};
  columns_[mcSeries] = {source_ ? &source_->fieldMetaData : &blank_, source_ != nullptr};
  columns_[mcFile] = {source_ ? &source_->dataMetaData : &blank_, false};
  int y = AddMetaDataRows(gridTop_) + kSectionGap;
  TStarData* variables[kMetaDataColumnCount];
  for (int c = 0; c < kMetaDataColumnCount; ++c) variables[c] = &columns_[c].meta->var;
  y = AddStarGroup("VAR", variables, y) + kSectionGap;
  for (const bool comparison : {true, false}) {
    y = AddCountRow(comparison ? "Number of CMP stars:" : "Number of CHK stars:", comparison ? cmpCount : chkCount,
                    comparison, y);
    std::uint32_t groups = 0;
    for (const TColumnRecord& column : columns_)
      groups = std::max(groups, comparison ? column.meta->cmpCount : column.meta->chkCount);
    for (std::uint32_t i = 0; i < groups; ++i) {
      TStarData* stars[kMetaDataColumnCount];
      for (int c = 0; c < kMetaDataColumnCount; ++c) {
        const CMetaData& meta = *columns_[c].meta;
        const std::uint32_t count = comparison ? meta.cmpCount : meta.chkCount;
        stars[c] = i < count ? (comparison ? &meta.cmp[i] : &meta.chk[i]) : nullptr;
      }
      y = AddStarGroup((comparison ? "CMP" : "CHK") + std::to_string(i), stars, y);
    }
    y += kSectionGap;
  }
  contentHeight_ = y + kMargin;
  content.SetRect(vcom::CRect(0, 0, ContentWidth(), contentHeight_));
  scroller.SetContentSize(ContentWidth(), contentHeight_);
}

int CMetaDataPane::AddMetaDataRows(int y) {
  for (const TMetaDataRow& row : kMetaDataRows) {
    AddLabel(row.label, y);
    TGridRow grid{"", row.label};
    for (int c = 0; c < kMetaDataColumnCount; ++c)
      grid.cells[c] = AddCell(row.target(*columns_[c].meta), columns_[c].editable, c, y);
    rows_.push_back(grid);
    y += RowStep();
  }
  return y;
}

int CMetaDataPane::AddStarGroup(const std::string& section, TStarData* const (&stars)[kMetaDataColumnCount],
                                int y) {
  AddLabel(section, y)->SetColor(kHeaderColour);
  y += RowStep();
  for (const TStarRow& row : kStarRows) {
    AddLabel(row.label, y);
    TGridRow grid{section, row.label};
    for (int c = 0; c < kMetaDataColumnCount; ++c)
      if (stars[c]) grid.cells[c] = AddCell(row.target(*stars[c]), columns_[c].editable, c, y);
    rows_.push_back(grid);
    y += RowStep();
  }
  return y;
}

// The object's count is a number box, usable with "Manual entry" only; the
// series columns show theirs.
int CMetaDataPane::AddCountRow(const char* label, vcont::CIntegerCountBox& box, bool comparison, int y) {
  AddLabel(label, y);
  TGridRow grid{"", label};
  const std::uint32_t objectCount = comparison ? columns_[mcObject].meta->cmpCount : columns_[mcObject].meta->chkCount;
  box.SetValue(objectCount);
  box.SetEnabled(object_ && object_->metaDataSource == ombrix_data::mdsManualEntry);
  Place(box, mcObject, y);
  grid.cells[mcObject] = &box;
  for (int c = mcSeries; c < kMetaDataColumnCount; ++c) {
    const CMetaData& meta = *columns_[c].meta;
    auto count = std::make_unique<vcont::CEditBox>();
    count->Init(&content, vcom::CRect(0, 0, 10, Row()), 0,
                source_ ? std::to_string(comparison ? meta.cmpCount : meta.chkCount).c_str() : "");
    count->SetReadOnly(true);
    Place(*count, c, y);
    grid.cells[c] = count.get();
    built_.push_back(std::move(count));
  }
  rows_.push_back(grid);
  return y + RowStep();
}

vcont::CStaticText* CMetaDataPane::AddLabel(const std::string& text, int y) {
  auto label = std::make_unique<vcont::CStaticText>();
  label->Init(&content, vcom::CRect(0, 0, 10, Row()), text.c_str());
  Place(*label, -1, y);
  vcont::CStaticText* shown = label.get();
  built_.push_back(std::move(label));
  return shown;
}

view::CView* CMetaDataPane::AddCell(const TMetaDataTarget& target, bool editable, int column, int y) {
  const vcom::CRect r(0, 0, 10, Row());
  const std::uint32_t id = editable ? nextCellId_++ : 0;
  std::unique_ptr<view::CView> cell;
  if (IsList(target) && column != mcFile) {
    auto list = std::make_unique<vcont::CComboBox>();
    list->Init(&content, r, id, false);
    for (const char* item : target.kind == TCellKind::jdType ? kJDTypeNames : kUnitNames) list->AddItem(item);
    list->SetSelection(CellChoice(target));
    list->SetEnabled(editable);
    if (editable)
      editors_[id] = [target, box = list.get()] { return StoreChoice(target, box->Selection()) ? kMetaDataEditedId : 0u; };
    cell = std::move(list);
  } else {
    auto box = std::make_unique<vcont::CEditBox>();
    const int length = target.kind == TCellKind::text ? static_cast<int>(target.high) : kNumberLength;
    box->Init(&content, r, id, CellText(target).c_str(), length);
    box->SetReadOnly(!editable);
    if (editable)
      editors_[id] = [target, edit = box.get()] { return StoreText(target, edit->Text()) ? kMetaDataEditedId : 0u; };
    cell = std::move(box);
  }
  Place(*cell, column, y);
  view::CView* shown = cell.get();
  built_.push_back(std::move(cell));
  return shown;
}

// ------------------------------------------------------------ lookups

view::CView* CMetaDataPane::Cell(const std::string& section, const std::string& label, int column) const {
  if (column < 0 || column >= kMetaDataColumnCount) return nullptr;
  for (const TGridRow& row : rows_)
    if (row.section == section && row.label == label) return row.cells[column];
  return nullptr;
}

vcont::CEditBox* CMetaDataPane::EditCell(const std::string& section, const std::string& label, int column) const {
  return dynamic_cast<vcont::CEditBox*>(Cell(section, label, column));
}

vcont::CComboBox* CMetaDataPane::ListCell(const std::string& section, const std::string& label, int column) const {
  return dynamic_cast<vcont::CComboBox*>(Cell(section, label, column));
}

std::vector<std::string> CMetaDataPane::Sections() const {
  std::vector<std::string> sections;
  for (const TGridRow& row : rows_)
    if (!row.section.empty() && (sections.empty() || sections.back() != row.section)) sections.push_back(row.section);
  return sections;
}

// ------------------------------------------------------------ edits

void CMetaDataPane::BackupElements() {
  if (!object_) return;
  const bool changed = Replace(object_->savedM0, object_->m0) | Replace(object_->savedPeriod, object_->period);
  RefreshFixedFields();
  if (changed) Report(kMetaDataEditedId);
}

void CMetaDataPane::RestoreElements() {
  if (!object_) return;
  const bool changed = Replace(object_->m0, object_->savedM0) | Replace(object_->period, object_->savedPeriod);
  RefreshFixedFields();
  if (changed) Report(kMetaDataElementsEditedId);
}

void CMetaDataPane::ChangeSource(int index) {
  if (!object_ || index < 0 || index >= static_cast<int>(std::size(kSourceNames)) ||
      index == object_->metaDataSource)
    return;
  object_->metaDataSource = static_cast<ombrix_data::TMetaDataSource>(index);
  LoadData();
  Report(kMetaDataSourceEditedId);
}

void CMetaDataPane::SetStarCount(bool comparison, std::uint32_t count) {
  if (!object_) return;
  CMetaData& meta = object_->metaData;
  const std::uint32_t current = comparison ? meta.cmpCount : meta.chkCount;
  // The arrays are sized by hand only while the object's own meta-data is used.
  if (object_->metaDataSource != ombrix_data::mdsManualEntry || count == current) {
    LoadData();
    return;
  }
  ResizeStars(meta, comparison, count);
  LoadData();
  Report(kMetaDataEditedId);
}

void CMetaDataPane::Report(std::uint32_t code) {
  if (code == 0) return;
  SetDataChanged(true);
  Send(vcore::evControl, code, vcore::cnChanged);
}

void CMetaDataPane::ReceiveEvent(vcore::TEvent& event) {
  // The page's own reports go on to the owner.
  if (event.kind != vcore::evControl || event.source == this) return;
  const bool edit = event.data == vcore::cnChanged || event.data == vcore::cnSelected;
  switch (event.code) {
    case kMetaBackupId:
      if (event.data == vcore::cnPressed) BackupElements();
      break;
    case kMetaRestoreId:
      if (event.data == vcore::cnPressed) RestoreElements();
      break;
    case kMetaSourceId:
      if (edit && !showing_) ChangeSource(source.Selection());
      break;
    case kMetaCmpCountId:
    case kMetaChkCountId:
      if (edit && !showing_) {
        const bool comparison = event.code == kMetaCmpCountId;
        SetStarCount(comparison, static_cast<std::uint32_t>((comparison ? cmpCount : chkCount).Value()));
      }
      break;
    default: {
      // Read-only cells (id 0) have no editor.
      const auto editor = editors_.find(event.code);
      if (editor != editors_.end() && edit && !showing_) Report(editor->second());
    }
  }
  // Only the page's own controls send control events through it.
  StopEvent(event);
}

}  // namespace ombrix_app
