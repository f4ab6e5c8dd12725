// The Table tab: one row per object of the field with its names, elements,
// magnitudes and catalog data, then one column per observing night marked
// "x" where the object has a series starting that night. The rows come from
// a cache that every refresh rebuilds from the field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gridon/sheet_view.h>
#include <ombrix_field/field.h>

namespace ombrix_sht {

// A column of the table: header, initial width (pixels at 96 dpi; wider
// when its header or the texts of the first page need more) and the size of
// its text (texts keep at most limit - 1 bytes).
struct TSheetColumn {
  const char* header;
  int width;
  std::uint32_t limit;
  gridon::TJustify justify;
};

inline constexpr std::uint32_t kFixedColumnCount = 17;
extern const TSheetColumn kFixedColumns[kFixedColumnCount];
// The night columns; the header is the night's date.
extern const TSheetColumn kNightColumn;
// The sheet's table.
inline constexpr std::uint32_t kSheetTable = 1;

class CObservationSheet : public gridon::CSheetDataView {
 public:
  // Creates the sheet with its 12-pixel font and no table yet.
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  // Frees the cache, then the sheet.
  void Done() override;

  // What the object pane calls when the Table tab becomes active, and when
  // the field changed while it is shown: rebuilds the cache from the field,
  // then recreates the table and shows it.
  void Refresh(const ombrix_data::CField& field);

  std::uint32_t Rows() const { return static_cast<std::uint32_t>(rows_.size()); }
  std::uint32_t Nights() const { return static_cast<std::uint32_t>(nightTexts_.size()); }
  std::uint32_t Columns() const { return kFixedColumnCount + Nights(); }
  // The cached text of a cell (row and column from 1); false outside the
  // table.
  bool CachedText(std::uint32_t row, std::uint32_t column, std::string& text) const;

  // The data source. Sorting requests (DS_Notify) are left to the sheet's
  // sort marks: the rows stay in the field's order.
  std::uint32_t DS_ReadRowsCount(std::uint32_t table) override;
  bool DS_ReadDataString(std::uint32_t table, std::uint32_t row, std::uint32_t column, std::uint32_t high, char* text,
                         gridon::TColor& colour, std::uint32_t& flags) override;

 private:
  // One object's row: the fixed texts and one flag per night.
  struct TRow {
    std::string texts[kFixedColumnCount];
    std::vector<std::uint8_t> observed;  // 1 where a series starts that night
  };

  void FillRow(const ombrix_data::CObjectListElem& object, const std::vector<std::int32_t>& nights, TRow& row);
  void BuildTable();
  void WidenToFit(gridon::CTableListElem& table);

  std::vector<TRow> rows_;               // in the field's object order
  std::vector<std::string> nightTexts_;  // the night columns' headers, ascending
};

}  // namespace ombrix_sht
