#include <cstdio>
#include <string>

#include <runbase/str.h>

#include "ombrix_app/shell_dialogs.h"
#include "dialog_layout.h"

namespace ombrix_app {

namespace {

using namespace layout;

constexpr std::uint32_t kListId = 300;
constexpr std::uint32_t kAddId = 301;
constexpr std::uint32_t kEditId = 302;
constexpr std::uint32_t kDeleteId = 303;
constexpr std::uint32_t kNameId = 310;
constexpr std::uint32_t kColourId = 311;
constexpr int kListWidth = 220;
constexpr int kListHeight = 240;
constexpr int kButtonWidth = 110;
constexpr int kLabelWidth = 90;
constexpr int kEditWidth = 160;

std::string NameOf(const ombrix_data::CFilterTreeElem& f) {
  return std::string(f.name, Str::LengthA(ombrix_data::kFilterTableNameHigh, f.name));
}

std::string ColourText(std::uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", colour);
  return text;
}

// Walks the table in order.
template <class F>
void ForEachFilter(const ombrix_data::CFilterTable& table, F&& f) {
  vtree::CAVLTreeElem* e = nullptr;
  for (bool more = table.tree.GetFirst(e); more; more = table.tree.GetNextElem(e, e))
    f(*static_cast<const ombrix_data::CFilterTreeElem*>(e));
}

void RemoveFilter(ombrix_data::CFilterTable& table, const std::string& name) {
  const ombrix_data::CFilterTreeElem key(name.c_str(), 0);
  table.tree.Delete(&key);
}

}  // namespace

void CopyFilterTable(const ombrix_data::CFilterTable& from, ombrix_data::CFilterTable& to) {
  to.Done();
  ForEachFilter(from, [&](const ombrix_data::CFilterTreeElem& f) { to.Add(NameOf(f).c_str(), f.colour); });
}

// ------------------------------------------------------------ one filter

bool CFilterDefineDialog::Init(const ombrix_data::CFilterTable& table, const char* editedName,
                               std::uint32_t filterColour) {
  table_ = &table;
  editedName_ = editedName;
  const int width = 3 * kGap + kLabelWidth + kEditWidth;
  if (!InitDialog(*this, "Define filter name and color", width, 3 * kGap + 2 * kRowHeight)) return false;
  const int editX = 2 * kGap + kLabelWidth;
  nameLabel.Init(this, Box(kGap, kGap, kLabelWidth, kRowHeight), "Filter name:");
  name.Init(this, Box(editX, kGap, kEditWidth, kRowHeight), kNameId, editedName ? editedName : "",
            static_cast<int>(ombrix_data::kFilterTableNameHigh));
  const int colourY = 2 * kGap + kRowHeight;
  colourLabel.Init(this, Box(kGap, colourY, kLabelWidth, kRowHeight), "Filter color:");
  colour.Init(this, Box(editX, colourY, kEditWidth, kRowHeight), kColourId, ColourText(filterColour).c_str(), 15);
  name.SetFocus();
  return true;
}

std::uint32_t CFilterDefineDialog::Colour() const { return ParseFilterColour(colour.Text().c_str()); }

bool CFilterDefineDialog::CanOK() {
  const std::string wanted = name.Text();
  // Names are kept trimmed, as the key file reads them back.
  const std::size_t b = wanted.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  const std::string trimmed = wanted.substr(b, wanted.find_last_not_of(" \t") - b + 1);
  if (trimmed != wanted) name.SetText(trimmed.c_str());
  const ombrix_data::CFilterTreeElem* same = table_->Find(trimmed.c_str());
  const bool itself = same && editedName_ && table_->Find(editedName_) == same;
  if (same && !itself) {
    vdlg::DoMessageBox("Filter exists", "Found filter of the name:", trimmed.c_str(), "Choose another unique name.",
                       vdlg::mbOK, vstock::siRedExclamation);
    return false;
  }
  return true;
}

// ------------------------------------------------------------ the table

CFilterEditDialog::CFilterEditDialog() { table_.Init(); }
CFilterEditDialog::~CFilterEditDialog() { table_.Done(); }

bool CFilterEditDialog::Init(const ombrix_data::CFilterTable& filters) {
  CopyFilterTable(filters, table_);
  const int width = 3 * kGap + kListWidth + kButtonWidth;
  if (!InitDialog(*this, "Edit filter name and color assignments", width, 2 * kGap + kListHeight)) return false;
  list.Init(this, Box(kGap, kGap, kListWidth, kListHeight), kListId);
  const int x = 2 * kGap + kListWidth;
  addButton.Init(this, Box(x, kGap, kButtonWidth, kRowHeight), kAddId, "Add filter");
  editButton.Init(this, Box(x, 2 * kGap + kRowHeight, kButtonWidth, kRowHeight), kEditId, "Edit filetr");
  deleteButton.Init(this, Box(x, 3 * kGap + 2 * kRowHeight, kButtonWidth, kRowHeight), kDeleteId, "Delete filter");
  FillList(nullptr);
  return true;
}

void CFilterEditDialog::FillList(const char* selectName) {
  list.Clear();
  int index = 0, selection = -1;
  ForEachFilter(table_, [&](const ombrix_data::CFilterTreeElem& f) {
    list.AddItem((NameOf(f) + " = " + ColourText(f.colour)).c_str());
    if (selectName && table_.Find(selectName) == &f) selection = index;
    ++index;
  });
  if (selection < 0 && index > 0) selection = 0;
  list.SetSelection(selection);
}

const ombrix_data::CFilterTreeElem* CFilterEditDialog::Selected() const {
  const int i = list.Selection();
  vtree::CAVLTreeElem* e = nullptr;
  if (i < 0 || !table_.tree.GetElemOfOrder(static_cast<std::uint32_t>(i) + 1, e)) return nullptr;
  return static_cast<const ombrix_data::CFilterTreeElem*>(e);
}

void CFilterEditDialog::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl) {
    const bool pressed = event.data == vcore::cnPressed;
    if (pressed && event.code == kAddId) AddFilter();
    else if (pressed && event.code == kEditId) EditFilter();
    else if (pressed && event.code == kDeleteId) DeleteFilter();
    else if (event.code == kListId && event.data == vcore::cnActivated) EditFilter();
    else return COKCancelDialog::ReceiveEvent(event);
    StopEvent(event);
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CFilterEditDialog::AddFilter() {
  CFilterDefineDialog define;
  if (!define.Init(table_, nullptr, ombrix_data::kNoFilterColour) || !define.Exec()) return;
  const std::string name = define.name.Text();
  table_.Add(name.c_str(), define.Colour());
  FillList(name.c_str());
}

void CFilterEditDialog::EditFilter() {
  const ombrix_data::CFilterTreeElem* f = Selected();
  if (!f) return;
  const std::string old = NameOf(*f);
  CFilterDefineDialog define;
  if (!define.Init(table_, old.c_str(), f->colour) || !define.Exec()) return;
  const std::string name = define.name.Text();
  RemoveFilter(table_, old);
  table_.Add(name.c_str(), define.Colour());
  FillList(name.c_str());
}

void CFilterEditDialog::DeleteFilter() {
  const ombrix_data::CFilterTreeElem* f = Selected();
  if (!f) return;
  const int at = list.Selection();
  RemoveFilter(table_, NameOf(*f));
  FillList(nullptr);
  if (list.Count() > 0) list.SetSelection(at < list.Count() ? at : list.Count() - 1);
}

void CFilterEditDialog::Store(ombrix_data::CFilterTable& filters) const { CopyFilterTable(table_, filters); }

bool EditFilterTable(ombrix_data::CFilterTable& filters) {
  CFilterEditDialog dialog;
  if (!dialog.Init(filters) || !dialog.Exec()) return false;
  dialog.Store(filters);
  return true;
}

}  // namespace ombrix_app
