// The field's object list and the object operations with their dialogs.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <runbase/fixed_text.h>
#include <runbase/os.h>

#include "ombrix_field/field.h"

namespace ombrix_data {

namespace {

int initCalls = 0;

// Asks for name and alternate name in the object name dialog.
bool AskObjectNames(CUserIO& io, const char* title, char (&name)[kObjectNameHigh + 1],
                    char (&altName)[kObjectNameHigh + 1]) {
  TTextField fields[2] = {{"New name:", kObjectNameHigh, name},
                          {"Alt. name:", kObjectNameHigh, altName}};
  return io.EditTexts(title, fields, 2);
}

CObjectListElem* NewNamedObject(CUserIO& io, const char* title) {
  char name[kObjectNameHigh + 1] = {};
  char altName[kObjectNameHigh + 1] = {};
  if (!AskObjectNames(io, title, name, altName)) return nullptr;
  auto* object = new CObjectListElem;
  std::memcpy(object->name, name, sizeof(name));
  std::memcpy(object->altName, altName, sizeof(altName));
  return object;
}

// Sort key of one object, taken once before the list is rebuilt.
struct TSortEntry {
  CObjectListElem* object;
  double coordinate;  // effective right ascension or declination
  bool known;
};

// Whether `entry` goes in front of `existing` when inserted into the sorted
// list. Equal keys keep their previous order.
bool GoesBefore(TObjectSortKey key, const TSortEntry& entry, const TSortEntry& existing) {
  if (key == TObjectSortKey::name)
    return CompareObjectNames(entry.object->name, existing.object->name) < 0;
  if (!entry.known) return false;
  return !existing.known || existing.coordinate > entry.coordinate;
}

}  // namespace

void Init_() {
  if (initCalls++ > 0) return;
}

CField::~CField() { Done(); }

void CField::Init() { Done(); }

void CField::Done() {
  vlist::CListElem* elem = nullptr;
  while (objects.GetFirst(elem)) {
    objects.Remove();
    delete elem;
  }
  objects.ClearList();
}

CObjectListElem* CField::First() const { return static_cast<CObjectListElem*>(objects.first); }

CObjectListElem* CField::Next(const CObjectListElem* object) {
  return static_cast<CObjectListElem*>(object->next);
}

CObjectListElem* CField::At(std::uint32_t index) const {
  CObjectListElem* o = First();
  for (; o && index > 0; --index) o = Next(o);
  return o;
}

std::int32_t CField::IndexOf(const CObjectListElem* object) const {
  std::int32_t i = 0;
  for (CObjectListElem* o = First(); o; o = Next(o), ++i)
    if (o == object) return i;
  return -1;
}

void CField::Append(CObjectListElem* object) { objects.Append(object); }

void CField::InsertBefore(CObjectListElem* before, CObjectListElem* object) {
  if (before && objects.Find(before))
    objects.InsertBefore(object);
  else
    objects.Append(object);
}

bool CField::Unlink(CObjectListElem* object) {
  if (!object || !objects.Find(object)) return false;
  objects.Remove();
  object->next = nullptr;
  return true;
}

bool CField::AddObject(CUserIO& io, CObjectListElem*& added) {
  added = NewNamedObject(io, "Append new object");
  if (!added) return false;
  Append(added);
  return true;
}

bool CField::InsertObject(CUserIO& io, CObjectListElem* selected, CObjectListElem*& inserted) {
  inserted = NewNamedObject(io, "Insert new object before selected one");
  if (!inserted) return false;
  InsertBefore(selected, inserted);
  return true;
}

bool CField::RemoveObject(CUserIO& io, CObjectListElem* selected) {
  if (!selected || IndexOf(selected) < 0) return false;
  if (selected->token[0]) {
    io.ShowMessage({"Object published in Web Repository",
                    {"Cannot remove published object.", "Remove object from repository first.", nullptr},
                    TMessageIcon::stop});
    return false;
  }
  char shownName[kObjectNameHigh + 2];
  selected->GetDisplayName(kObjectNameHigh + 1, shownName);
  TAnswer answer = io.Ask({"Confirm Remove Object",
                           {"Are you sure to remove object", shownName, "from field description?"},
                           TMessageIcon::question},
                          TButtons::yesNo);
  if (answer != TAnswer::yes) return false;
  Unlink(selected);
  delete selected;
  return true;
}

bool CField::RenameObject(CUserIO& io, CObjectListElem* selected) {
  if (!selected) return false;
  char name[kObjectNameHigh + 1];
  char altName[kObjectNameHigh + 1];
  std::memcpy(name, selected->name, sizeof(name));
  std::memcpy(altName, selected->altName, sizeof(altName));
  if (!AskObjectNames(io, "Rename object", name, altName)) return false;
  std::memcpy(selected->name, name, sizeof(name));
  std::memcpy(selected->altName, altName, sizeof(altName));
  return true;
}

void CField::Sort(TObjectSortKey key) {
  // Rebuild by insertion, taking the objects in their current order.
  std::vector<TSortEntry> sorted;
  sorted.reserve(objects.count);
  CMetaData effective;
  for (CObjectListElem* o = First(); o; o = Next(o)) {
    TSortEntry entry{o, 0.0, true};
    if (key != TObjectSortKey::name) {
      o->GetEffectiveMetaData(effective);
      entry.coordinate = key == TObjectSortKey::rightAscension ? effective.var.ra : effective.var.dec;
      entry.known = key == TObjectSortKey::rightAscension ? IsRAKnown(entry.coordinate)
                                                         : IsDecKnown(entry.coordinate);
    }
    auto at = sorted.begin();
    while (at != sorted.end() && !GoesBefore(key, entry, *at)) ++at;
    sorted.insert(at, entry);
  }
  objects.ClearList();
  for (const TSortEntry& entry : sorted) {
    entry.object->next = nullptr;
    objects.Append(entry.object);
  }
}

bool ConfirmM0PeriodChange(CUserIO& io, CObjectListElem& previous, double m0AtSelection,
                           double periodAtSelection, bool autoAccept) {
  if (autoAccept || (previous.m0 == m0AtSelection && previous.period == periodAtSelection))
    return true;
  TAnswer answer = io.Ask({"M0, Period of object changed",
                           {"Accept M0 and Period updates?",
                            "(Check menu Object->Automatically accept M0, P",
                            "to accept updates without questions)"},
                           TMessageIcon::question},
                          TButtons::yesNoCancel);
  if (answer == TAnswer::cancel) return false;
  if (answer == TAnswer::no) {
    previous.m0 = m0AtSelection;
    previous.period = periodAtSelection;
  }
  return true;
}

namespace {

// The file name of a missing series, from its stored paths.
std::string_view MissingFileName(const CSeriesTreeElem& series) {
  if (!series.IsLocalSeries()) return {};
  const auto& local = static_cast<const CLocalSeriesTreeElem&>(series);
  std::string_view path = FixedText::View(kPathHigh, local.relativePath);
  if (path.empty()) path = FixedText::View(kPathHigh, local.absolutePath);
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

void GetSeriesListLine(const CSeriesTreeElem& series, const CFilterTable& filters,
                       std::uint32_t high, char* line) {
  if (series.missing) {
    FixedText::Assign(high, line, "missing: " + std::string(MissingFileName(series)));
    return;
  }
  std::int32_t year = 0, month = 0, day = 0;
  double fraction = 0.0;
  os::iJD(series.FirstTime(), year, month, day, fraction);
  char text[kFilterNameHigh + 32];
  int n = std::snprintf(text, sizeof(text), "%04d-%02d-%02d", static_cast<int>(year),
                        static_cast<int>(month), static_cast<int>(day));
  if (n < 0) n = 0;
  if (series.Colour(filters) != kNoFilterColour) {
    const char* filter = series.EffectiveFilter();
    std::size_t length = FixedText::Length(kFilterNameHigh, filter);
    std::snprintf(text + n, sizeof(text) - static_cast<std::size_t>(n), " %.*s",
                  static_cast<int>(length), filter);
  }
  FixedText::Assign(high, line, text);
}

}  // namespace ombrix_data
