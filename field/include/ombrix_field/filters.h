// Filter colour table: one global table, held by the main window, that maps
// filter names to the colours of their series.
#pragma once

#include <cstdint>

#include <corekit/vtree.h>

#include "ombrix_field/records.h"

namespace ombrix_data {

// Colour of a series without filter or with a filter missing from the table.
inline constexpr std::uint32_t kNoFilterColour = 0xFF000000u;

// One entry of the table. Colours are 32-bit: red in the low byte, then
// green, then blue, alpha in the top byte.
class CFilterTreeElem : public vtree::CAVLTreeElem {
 public:
  char name[kFilterTableNameHigh + 1];  // filter name, unique ignoring case
  std::uint32_t colour;                 // colour of series in this filter

  CFilterTreeElem(const char* filterName, std::uint32_t filterColour);

  // Orders by name compared case-insensitively (both names upper-cased).
  int Compare(const vtree::CAVLTreeElem* other) const override;
};

// The table; owns its elements.
class CFilterTable {
 public:
  vtree::CAVLTree tree;  // CFilterTreeElem by upper-cased name

  CFilterTable() = default;
  CFilterTable(const CFilterTable&) = delete;
  CFilterTable& operator=(const CFilterTable&) = delete;
  ~CFilterTable();

  void Init();
  // Frees every entry.
  void Done();

  // Adds an entry; false (and nothing added) when the name is empty or already
  // present ignoring case.
  bool Add(const char* name, std::uint32_t colour);
  // Replaces the table by the built-in defaults (used when the settings hold
  // no filter section).
  void LoadDefaults();

  // Entry of that name (ignoring case), or null.
  const CFilterTreeElem* Find(const char* name) const;
  // Colour of that filter name; kNoFilterColour for an empty or unknown name.
  std::uint32_t ColourOf(const char* name) const;
  std::uint32_t Count() const { return tree.count; }
};

}  // namespace ombrix_data
