// Loading a field for the field subcommands: messages the program would show
// are printed as "message: <caption> | <line> | <line>".
#pragma once

#include <unistd.h>

#include <ostream>
#include <string>

#include "ombrix_field/ofd.h"

namespace ombrix_cli {

class CPrintingUserIO : public ombrix_data::CUserIO {
 public:
  explicit CPrintingUserIO(std::ostream& out) : out_(out) {}
  std::string lastLine;  // last line of the last message (a load's error text)

  void ShowMessage(const ombrix_data::TUserMessage& message) override {
    out_ << "message: " << message.caption;
    for (const char* line : message.lines) {
      if (!line) continue;
      out_ << " | " << line;
      lastLine = line;
    }
    out_ << '\n';
  }
  ombrix_data::TAnswer Ask(const ombrix_data::TUserMessage& question, ombrix_data::TButtons) override {
    ShowMessage(question);
    return ombrix_data::TAnswer::cancel;
  }
  bool EditTexts(const char*, ombrix_data::TTextField*, std::uint32_t) override { return false; }

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
  err << io.lastLine << '\n';
  return false;
}

}  // namespace ombrix_cli
