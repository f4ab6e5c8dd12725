// The field: the ordered list of objects, with the object-list operations of
// the "Objects" menu. Operations that change the field return true; the caller
// then posts the field-changed notification and refreshes its lists.
#pragma once

#include <cstdint>

#include <corekit/vlist.h>

#include "ombrix_field/filters.h"
#include "ombrix_field/object.h"
#include "ombrix_field/user_io.h"

namespace ombrix_data {

// Module start-up; acts on the first call only.
void Init_();

enum class TObjectSortKey : std::uint8_t {
  name,
  rightAscension,
  declination,
};

class CField {
 public:
  vlist::CList objects;  // CObjectListElem in field order; owned

  CField() = default;
  CField(const CField&) = delete;
  CField& operator=(const CField&) = delete;
  ~CField();

  void Init();
  // Frees every object.
  void Done();
  void Clear() { Done(); }

  std::uint32_t Count() const { return objects.count; }
  CObjectListElem* First() const;
  static CObjectListElem* Next(const CObjectListElem* object);
  // The object at a 0-based position, or null.
  CObjectListElem* At(std::uint32_t index) const;
  // 0-based position of the object, or -1 when it is not in the field.
  std::int32_t IndexOf(const CObjectListElem* object) const;

  // Appends an object (the field takes ownership).
  void Append(CObjectListElem* object);
  // Puts an object before `before`, or appends it when `before` is null.
  void InsertBefore(CObjectListElem* before, CObjectListElem* object);
  // Unlinks an object without freeing it; false when it is not in the field.
  bool Unlink(CObjectListElem* object);

  // "Add Object...": asks for the names and appends a new object.
  bool AddObject(CUserIO& io, CObjectListElem*& added);
  // "Insert Object...": the same, placed before `selected` (appended without).
  bool InsertObject(CUserIO& io, CObjectListElem* selected, CObjectListElem*& inserted);
  // "Remove Object": refuses published objects, asks, then frees the object.
  bool RemoveObject(CUserIO& io, CObjectListElem* selected);
  // "Rename Object...": edits name and alternate name.
  bool RenameObject(CUserIO& io, CObjectListElem* selected);
  // "Sort Objects": a stable sort by name, right ascension or declination
  // (unknown coordinates go last).
  void Sort(TObjectSortKey key);
};

// When M0 or period of the previously selected object changed since it was
// selected, asks whether to keep the change (unless auto-accept is on): Yes
// keeps, No restores the values at selection. False when the user cancelled
// the change of selection.
bool ConfirmM0PeriodChange(CUserIO& io, CObjectListElem& previous, double m0AtSelection,
                           double periodAtSelection, bool autoAccept);

// Line of the series list: date of the first point as YYYY-MM-DD, then a space
// and the filter name when the filter has a colour in the table; for a
// missing series "missing: " and its file name.
void GetSeriesListLine(const CSeriesTreeElem& series, const CFilterTable& filters,
                       std::uint32_t high, char* line);

}  // namespace ombrix_data
