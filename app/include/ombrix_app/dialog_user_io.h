// What the field model tells or asks the user, shown with the framework's
// message boxes and a dialog of labelled edit boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <ombrix_field/user_io.h>
#include <winkit/winkit.h>

namespace ombrix_app {

// A dialog with one label and one edit box per text field, in order.
class CTextFieldsDialog : public vwin::COKCancelDialog {
 public:
  // Builds the dialog; the edit boxes start with the fields' texts.
  bool Init(const char* title, const ombrix_data::TTextField* fields, std::uint32_t count);
  std::uint32_t Count() const { return static_cast<std::uint32_t>(edits.size()); }
  vcont::CEditBox& Edit(std::uint32_t i) { return *edits[i]; }
  // Copies the edit boxes' texts into the fields (cut at their size).
  void Store(ombrix_data::TTextField* fields) const;

 private:
  std::vector<std::unique_ptr<vcont::CStaticText>> labels;  // one per field
  std::vector<std::unique_ptr<vcont::CEditBox>> edits;      // one per field
};

// The model's CUserIO over vdlg message boxes and CTextFieldsDialog.
class CDialogUserIO : public ombrix_data::CUserIO {
 public:
  void ShowMessage(const ombrix_data::TUserMessage& message) override;
  ombrix_data::TAnswer Ask(const ombrix_data::TUserMessage& question, ombrix_data::TButtons buttons) override;
  bool EditTexts(const char* title, ombrix_data::TTextField* fields, std::uint32_t count) override;
};

}  // namespace ombrix_app
