#include "ombrix_app/dialog_user_io.h"

#include "dialog_layout.h"

#include <string>

#include <runbase/str.h>

namespace ombrix_app {

namespace {

using namespace layout;

constexpr int kLabelWidth = 90;
constexpr int kEditWidth = 240;

vstock::TStockIcon StockIcon(ombrix_data::TMessageIcon icon) {
  switch (icon) {
    case ombrix_data::TMessageIcon::stop: return vstock::siStop;
    case ombrix_data::TMessageIcon::exclamation: return vstock::siRedExclamation;
    case ombrix_data::TMessageIcon::question: return vstock::siQuestion;
    case ombrix_data::TMessageIcon::information: return vstock::siInformation;
    case ombrix_data::TMessageIcon::none: break;
  }
  return vstock::siNone;
}

vdlg::TButtons ButtonSet(ombrix_data::TButtons buttons) {
  switch (buttons) {
    case ombrix_data::TButtons::okCancel: return vdlg::mbOKCancel;
    case ombrix_data::TButtons::yesNo: return vdlg::mbYesNo;
    case ombrix_data::TButtons::yesNoCancel: return vdlg::mbYesNoCancel;
    case ombrix_data::TButtons::ok: break;
  }
  return vdlg::mbOK;
}

int Show(const ombrix_data::TUserMessage& m, vdlg::TButtons buttons) {
  return vdlg::DoMessageBox(m.caption, m.lines[0], m.lines[1], m.lines[2], buttons, StockIcon(m.icon));
}

}  // namespace

bool CTextFieldsDialog::Init(const char* title, const ombrix_data::TTextField* fields, std::uint32_t count) {
  const int rows = static_cast<int>(count);
  if (!InitDialog(*this, title, kLabelWidth + kEditWidth + 3 * kGap, rows * (kRowHeight + kGap) + kGap)) return false;
  labels.clear();
  edits.clear();
  for (int i = 0; i < rows; ++i) {
    const ombrix_data::TTextField& f = fields[i];
    const int y = kGap + i * (kRowHeight + kGap);
    auto label = std::make_unique<vcont::CStaticText>();
    label->Init(this, Box(kGap, y, kLabelWidth, kRowHeight), f.label);
    // A full array holds high + 1 characters without terminator.
    const std::string text(f.text, Str::LengthA(f.high, f.text));
    auto edit = std::make_unique<vcont::CEditBox>();
    edit->Init(this, Box(2 * kGap + kLabelWidth, y, kEditWidth, kRowHeight), static_cast<std::uint32_t>(100 + i),
               text.c_str(), static_cast<int>(f.high) + 1);
    labels.push_back(std::move(label));
    edits.push_back(std::move(edit));
  }
  if (!edits.empty()) edits.front()->SetFocus();
  return true;
}

void CTextFieldsDialog::Store(ombrix_data::TTextField* fields) const {
  for (std::size_t i = 0; i < edits.size(); ++i) edits[i]->GetText(static_cast<int>(fields[i].high), fields[i].text);
}

void CDialogUserIO::ShowMessage(const ombrix_data::TUserMessage& message) { Show(message, vdlg::mbOK); }

ombrix_data::TAnswer CDialogUserIO::Ask(const ombrix_data::TUserMessage& question, ombrix_data::TButtons buttons) {
  switch (Show(question, ButtonSet(buttons))) {
    case vdlg::mrOK: return ombrix_data::TAnswer::ok;
    case vdlg::mrYes: return ombrix_data::TAnswer::yes;
    case vdlg::mrNo: return ombrix_data::TAnswer::no;
    default: return ombrix_data::TAnswer::cancel;
  }
}

bool CDialogUserIO::EditTexts(const char* title, ombrix_data::TTextField* fields, std::uint32_t count) {
  CTextFieldsDialog dialog;
  if (!dialog.Init(title, fields, count) || !dialog.Exec()) return false;
  dialog.Store(fields);
  return true;
}

}  // namespace ombrix_app
