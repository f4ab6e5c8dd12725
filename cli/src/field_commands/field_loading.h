// Loading a field for the field subcommands: messages the program would show
// are printed as "message: <caption> | <line> | <line>".
#pragma once

#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ombrix_field/ofd.h"

namespace ombrix_cli {

// Prints every message the program would show; answers questions with the
// default button (Cancel, or No when there is no Cancel) and dialogs with OK,
// after putting the given answers into the fields of the same label.
class CPrintingUserIO : public ombrix_data::CUserIO {
 public:
  explicit CPrintingUserIO(std::ostream& out) : out_(out) {}
  std::string lastText;  // the lines of the last message joined by spaces (a failure's text)
  // Texts for dialog fields, by label; other fields keep their initial text.
  std::vector<std::pair<std::string, std::string>> dialogAnswers;

  void ShowMessage(const ombrix_data::TUserMessage& message) override {
    out_ << "message: " << message.caption;
    lastText.clear();
    for (const char* line : message.lines) {
      if (!line) continue;
      out_ << " | " << line;
      if (!lastText.empty()) lastText += ' ';
      lastText += line;
    }
    out_ << '\n';
  }
  ombrix_data::TAnswer Ask(const ombrix_data::TUserMessage& question, ombrix_data::TButtons buttons) override {
    ShowMessage(question);
    switch (buttons) {
      case ombrix_data::TButtons::ok: return ombrix_data::TAnswer::ok;
      case ombrix_data::TButtons::yesNo: return ombrix_data::TAnswer::no;
      default: return ombrix_data::TAnswer::cancel;
    }
  }
  bool EditTexts(const char*, ombrix_data::TTextField* fields, std::uint32_t count) override {
    for (std::uint32_t i = 0; i < count; ++i) {
      for (const auto& [label, text] : dialogAnswers) {
        if (label != fields[i].label) continue;
        const std::size_t length = std::min<std::size_t>(text.size(), fields[i].high);
        text.copy(fields[i].text, length);
        fields[i].text[length] = 0;
      }
    }
    return true;
  }

 private:
  std::ostream& out_;
};

// Loads `path` with series resolved against the working folder; on failure
// prints the error text to `err`.
inline bool LoadFieldForCli(const char* path, ombrix_data::CField& field, std::ostream& out, std::ostream& err) {
  CPrintingUserIO io(out);
  char workingFolder[ombrix_data::kPathHigh + 1] = "";
  if (getcwd(workingFolder, sizeof workingFolder) == nullptr) workingFolder[0] = 0;
  ombrix_data::TFieldLoadContext context;
  context.io = &io;
  context.folders = {"", workingFolder};
  bool changed = false;
  if (ombrix_data::LoadField(path, context, field, changed)) return true;
  err << io.lastText << '\n';
  return false;
}

}  // namespace ombrix_cli
