// The filter colour table and its defaults.
#include <cstring>

#include <runbase/fixed_text.h>

#include "ascii.h"
#include "ombrix_field/filters.h"

namespace ombrix_data {
namespace {

// Upper-cased copy of a table name.
void UpperName(const char* name, char (&upper)[kFilterTableNameHigh + 2]) {
  std::size_t n = FixedText::Length(kFilterTableNameHigh, name);
  for (std::size_t i = 0; i < n; ++i) upper[i] = UpperAscii(name[i]);
  upper[n] = 0;
}

struct TDefaultFilters {
  std::uint32_t colour;
  const char* names[9];  // null-terminated when shorter
};

const TDefaultFilters kDefaultFilters[] = {
    {0xFFFF0000u, {"B", "Blue"}},
    {0xFF7F7F7Fu, {"C", "Clear", "CLS", "L", "Luminance", "Lum"}},
    {0xFF00C000u, {"G", "Green", "V", "Visual"}},
    {0xFF00007Fu, {"H", "Hx", "Ha", "Halpha", "SI", "SloanI"}},
    {0xFF00005Fu, {"I", "IR", "InfraRed", "SZ", "SloanZ", "Z", "U", "UV", "UltraViolet"}},
    {0xFF000000u, {"N", "N/A", "NoFilter"}},
    {0xFF0050FFu, {"R", "Red"}},
    {0xFFC800DCu, {"SU", "SloanU"}},
    {0xFFABE306u, {"SG", "SloanG"}},
    {0xFF0064FFu, {"SR", "SloanR"}},
};

}  // namespace

CFilterTreeElem::CFilterTreeElem(const char* filterName, std::uint32_t filterColour)
    : colour(filterColour) {
  std::memset(name, 0, sizeof(name));
  if (filterName) FixedText::Assign(kFilterTableNameHigh, name, filterName);
}

int CFilterTreeElem::Compare(const vtree::CAVLTreeElem* other) const {
  char a[kFilterTableNameHigh + 2];
  char b[kFilterTableNameHigh + 2];
  UpperName(name, a);
  UpperName(static_cast<const CFilterTreeElem*>(other)->name, b);
  int c = std::strcmp(a, b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

CFilterTable::~CFilterTable() { Done(); }

void CFilterTable::Init() { Done(); }

void CFilterTable::Done() { tree.DisposeTree(); }

bool CFilterTable::Add(const char* name, std::uint32_t colour) {
  if (!name || !name[0]) return false;
  return tree.Insert(new CFilterTreeElem(name, colour));
}

void CFilterTable::LoadDefaults() {
  Done();
  for (const TDefaultFilters& group : kDefaultFilters)
    for (const char* name : group.names)
      if (name) Add(name, group.colour);
}

const CFilterTreeElem* CFilterTable::Find(const char* name) const {
  if (!name || !name[0]) return nullptr;
  CFilterTreeElem key(name, 0);
  vtree::CAVLTreeElem* found = nullptr;
  return tree.Search(&key, found) ? static_cast<const CFilterTreeElem*>(found) : nullptr;
}

std::uint32_t CFilterTable::ColourOf(const char* name) const {
  const CFilterTreeElem* entry = Find(name);
  return entry ? entry->colour : kNoFilterColour;
}

}  // namespace ombrix_data
