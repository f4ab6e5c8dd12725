// Dialogs of the "Field" menu: the root folder of relative series paths and
// the filter colour table.
#pragma once

#include <cstdint>

#include <ombrix_field/filters.h>
#include <winkit/winkit.h>

#include "ombrix_app/settings.h"

namespace ombrix_app {

// "Define Root Directory...": the root folder with a folder chooser.
class CRootPathDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const char* rootPath);
  void ReceiveEvent(vcore::TEvent& event) override;
  // Opens the folder chooser, starting at the folder in the edit box.
  void Browse();

  vcont::CStaticText lines[3];  // the explanation
  vcont::CEditBox path;         // the root folder
  vcont::CButton browse;        // opens the folder chooser
};

// Shows CRootPathDialog; on OK stores the folder. True on OK.
bool EditRootPath(char (&rootPath)[kPathHigh + 1]);

// "Define filter name and color": one filter's name and colour. A name that
// another filter already has (ignoring case) is refused.
class CFilterDefineDialog : public vwin::COKCancelDialog {
 public:
  // table: the filters the name must differ from; editedName: the filter
  // being edited (its own name is allowed), null when adding.
  bool Init(const ombrix_data::CFilterTable& table, const char* editedName, std::uint32_t colour);
  bool CanOK() override;
  std::uint32_t Colour() const;

  vcont::CStaticText nameLabel, colourLabel;
  vcont::CEditBox name;    // filter name, 63 characters
  vcont::CEditBox colour;  // hexadecimal ARGB colour

 private:
  const ombrix_data::CFilterTable* table_ = nullptr;  // not owned
  const char* editedName_ = nullptr;                  // not owned; null when adding
};

// "Edit filter name and color assignments": the whole table in a list with
// buttons to add, edit and delete entries. Works on a copy; OK hands it back.
class CFilterEditDialog : public vwin::COKCancelDialog {
 public:
  CFilterEditDialog();
  ~CFilterEditDialog() override;
  bool Init(const ombrix_data::CFilterTable& filters);
  void ReceiveEvent(vcore::TEvent& event) override;
  void AddFilter();
  void EditFilter();
  void DeleteFilter();
  // Replaces `filters` by the edited table.
  void Store(ombrix_data::CFilterTable& filters) const;
  const ombrix_data::CFilterTable& Table() const { return table_; }

  vcont::CListBox list;  // "name = colour", in table order
  vcont::CButton addButton, editButton, deleteButton;

 private:
  void FillList(const char* selectName);
  const ombrix_data::CFilterTreeElem* Selected() const;
  ombrix_data::CFilterTable table_;  // the working copy
};

// Shows CFilterEditDialog; on OK replaces the table. True on OK.
bool EditFilterTable(ombrix_data::CFilterTable& filters);

// Copies every entry of `from` into the emptied `to`.
void CopyFilterTable(const ombrix_data::CFilterTable& from, ombrix_data::CFilterTable& to);

}  // namespace ombrix_app
