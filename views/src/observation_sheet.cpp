// The observation sheet: the row cache built from the field and the table
// shown over it.
#include "ombrix_views/observation_sheet.h"

#include <algorithm>
#include <cstring>

#include <ombrix_exports/copy_info.h>
#include <ombrix_field/nights.h>
#include <runbase/fixed_text.h>
#include <runbase/str.h>

namespace ombrix_sht {

using gridon::jsCenter;
using gridon::jsLeft;
using gridon::jsRight;
using ombrix_data::kUnknownMagnitude;

const TSheetColumn kFixedColumns[kFixedColumnCount] = {
    {"Name", 120, 64, jsLeft},      {"Alternate name", 120, 64, jsLeft},
    {"Type", 80, 64, jsLeft},       {"Comment", 200, 128, jsLeft},
    {"M0", 110, 16, jsRight},       {"Period", 70, 16, jsRight},
    {"Max. Mag", 50, 16, jsRight},  {"Min. Mag", 50, 16, jsRight},
    {"R.A.", 100, 16, jsLeft},      {"Dec.", 100, 16, jsLeft},
    {"Catalog", 60, 16, jsLeft},    {"Cat. Id", 80, 64, jsLeft},
    {"Cat. R.A.", 100, 16, jsLeft}, {"Cat. Dec.", 100, 16, jsLeft},
    {"Cat. Mag", 70, 16, jsRight},  {"Cat. B-V", 70, 16, jsRight},
    {"Cat. J-K", 70, 16, jsRight},
};
const TSheetColumn kNightColumn = {"", 70, 16, jsCenter};

namespace {

constexpr const char* kObservedMark = "x";
constexpr std::uint32_t kFontHeight = 12;
// Headers, row numbers, grid lines, and sort requests from the headers;
// whole rows are selected.
constexpr std::uint32_t kTableFlags = gridon::tfHeaders | gridon::tfRowNumbers | gridon::tfGrid | gridon::tfSortable;
constexpr std::int32_t kMinColumnWidth = 20;

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(FixedText::View(N - 1, field));
}

// Fixed point in the C locale, or empty when the value is `unset`.
std::string FixedOrEmpty(double value, std::uint32_t decimals, double unset) {
  if (value == unset) return std::string();
  char text[64] = {};
  bool ok = false;
  Str::FixRealToStrA(value, decimals, sizeof text - 1, text, ok);
  return ok ? std::string(text) : std::string();
}

// Cut to at most limit - 1 bytes, at a character boundary.
void CutToLimit(std::string& text, std::uint32_t limit) {
  if (limit == 0 || text.size() < limit) return;
  std::size_t n = limit - 1;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  text.resize(n);
}

std::string Spaced(double angle, bool rightAscension) {
  using ombrix_export::TCoordinateForm;
  return rightAscension ? ombrix_export::RightAscensionText(angle, TCoordinateForm::spaced)
                        : ombrix_export::DeclinationText(angle, TCoordinateForm::spaced);
}

}  // namespace

bool CObservationSheet::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  return gridon::CSheetDataView::Init(parent, rect, kFontHeight, 0, "");
}

void CObservationSheet::Done() {
  rows_.clear();
  nightTexts_.clear();
  gridon::CSheetDataView::Done();
}

void CObservationSheet::Refresh(const ombrix_data::CField& field) {
  ombrix_data::CNightSet nightSet;
  ombrix_data::CollectFieldNights(field, nightSet);
  std::vector<std::int32_t> nights;
  nightTexts_.clear();
  for (const ombrix_data::CNightTreeElem* n = nightSet.First(); n; n = nightSet.Next(n)) {
    nights.push_back(n->key);
    nightTexts_.push_back(ombrix_data::NightDateText(n->key));
    CutToLimit(nightTexts_.back(), kNightColumn.limit);
  }
  rows_.assign(field.Count(), TRow());
  std::size_t i = 0;
  for (const ombrix_data::CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o))
    FillRow(*o, nights, rows_[i++]);
  BuildTable();
}

void CObservationSheet::FillRow(const ombrix_data::CObjectListElem& object, const std::vector<std::int32_t>& nights,
                                TRow& row) {
  ombrix_data::CMetaData meta;
  object.GetEffectiveMetaData(meta);
  const ombrix_data::TStarData& star = meta.var;
  // In the order of kFixedColumns.
  std::string texts[kFixedColumnCount] = {
      Text(object.name),
      Text(object.altName),
      Text(object.variabilityType),
      Text(object.comment),
      FixedOrEmpty(object.m0, 7, 0.0),
      FixedOrEmpty(object.period, 7, 0.0),
      FixedOrEmpty(object.maxMagnitude, 3, kUnknownMagnitude),
      FixedOrEmpty(object.minMagnitude, 3, kUnknownMagnitude),
      Spaced(star.ra, true),
      Spaced(star.dec, false),
      Text(star.catalog),
      Text(star.catalogId),
      Spaced(star.catalogRA, true),
      Spaced(star.catalogDec, false),
      FixedOrEmpty(star.catalogMag, 2, kUnknownMagnitude),
      FixedOrEmpty(star.catalogBV, 2, kUnknownMagnitude),
      FixedOrEmpty(star.catalogJK, 2, kUnknownMagnitude),
  };
  for (std::uint32_t c = 0; c < kFixedColumnCount; ++c) {
    CutToLimit(texts[c], kFixedColumns[c].limit);
    row.texts[c] = std::move(texts[c]);
  }
  ombrix_data::CNightSet observed;
  ombrix_data::CollectObjectNights(object, observed);
  row.observed.assign(nights.size(), 0);
  for (std::size_t n = 0; n < nights.size(); ++n) row.observed[n] = observed.Contains(nights[n]) ? 1 : 0;
}

void CObservationSheet::BuildTable() {
  RemoveTable(kSheetTable);
  AddTable(kSheetTable, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, kTableFlags, 0, 0);
  auto addColumn = [this](const TSheetColumn& column, const char* header) {
    AddTableColumn(kSheetTable, static_cast<std::uint32_t>(std::strlen(header)), header, gridon::wmUser, 0,
                   kMinColumnWidth, vcore::ScaleH(column.width), column.justify, 0, column.limit, 0, 0, nullptr,
                   nullptr);
  };
  for (const TSheetColumn& column : kFixedColumns) addColumn(column, column.header);
  for (const std::string& night : nightTexts_) addColumn(kNightColumn, night.c_str());
  WidenToFit(*GetPTable(kSheetTable));
  PrepareTable(kSheetTable);
  ShowTable(kSheetTable);
}

void CObservationSheet::WidenToFit(gridon::CTableListElem& table) {
  // The widths suit the fonts they were chosen for; a wider font must not
  // cut a header or the texts of the first page.
  for (vlist::CListElem* e = table.columns.first; e; e = e->next) {
    auto& column = *static_cast<gridon::CColumnListElem*>(e);
    column.userWidth = std::max(column.userWidth, OptimalWidth(table, column));
  }
}

bool CObservationSheet::CachedText(std::uint32_t row, std::uint32_t column, std::string& text) const {
  if (row == 0 || row > Rows() || column == 0 || column > Columns()) return false;
  const TRow& r = rows_[row - 1];
  if (column <= kFixedColumnCount) text = r.texts[column - 1];
  else if (r.observed[column - kFixedColumnCount - 1]) text = std::string(kObservedMark);
  else text.clear();
  return true;
}

std::uint32_t CObservationSheet::DS_ReadRowsCount(std::uint32_t table) { return table == kSheetTable ? Rows() : 0; }

bool CObservationSheet::DS_ReadDataString(std::uint32_t table, std::uint32_t row, std::uint32_t column,
                                          std::uint32_t high, char* text, gridon::TColor& colour,
                                          std::uint32_t& flags) {
  gridon::CSheetDataView::DS_ReadDataString(table, row, column, high, text, colour, flags);
  std::string cached;
  if (table != kSheetTable || !CachedText(row, column, cached)) return false;
  FixedText::Assign(high, text, cached);
  return true;
}

}  // namespace ombrix_sht
