// What the model must tell or ask the user goes through CUserIO. The GUI shell
// implements it with message boxes and dialogs; tests use CScriptedUserIO,
// which answers from a script and records every text shown.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace ombrix_data {

enum class TMessageIcon : std::uint8_t {
  none,
  stop,
  exclamation,   // the red exclamation mark
  question,
  information,
};

enum class TButtons : std::uint8_t {
  ok,
  okCancel,
  yesNo,
  yesNoCancel,
};

enum class TAnswer : std::uint8_t {
  ok,
  cancel,
  yes,
  no,
};

// A message box: caption, up to three lines (null for absent lines), icon.
struct TUserMessage {
  const char* caption;
  const char* lines[3];
  TMessageIcon icon;
};

// One edit field of a text dialog: label, highest index and the text array,
// filled with the current text on entry and with the user's text on OK.
struct TTextField {
  const char* label;
  std::uint32_t high;
  char* text;
};

class CUserIO {
 public:
  virtual ~CUserIO() = default;
  // Shows a message with an OK button.
  virtual void ShowMessage(const TUserMessage& message) = 0;
  // Asks a question with the given buttons and returns the button pressed.
  virtual TAnswer Ask(const TUserMessage& question, TButtons buttons) = 0;
  // A dialog titled `title` with `count` edit fields; true on OK (fields then
  // hold the user's texts), false on Cancel (fields unchanged).
  virtual bool EditTexts(const char* title, TTextField* fields, std::uint32_t count) = 0;
};

// Scripted replies for tests. Every message, question and dialog is recorded in
// order; questions take the next queued answer (Cancel when none is queued),
// dialogs the next queued texts (Cancel when none is queued).
class CScriptedUserIO : public CUserIO {
 public:
  struct TRecord {
    enum class TKind : std::uint8_t { message, question, dialog } kind;
    std::string caption;             // caption or dialog title
    std::vector<std::string> lines;  // the lines given (dialogs: the labels)
    TMessageIcon icon;
    TButtons buttons;
  };

  std::vector<TRecord> shown;                        // everything shown, in order
  std::deque<TAnswer> answers;                       // replies to questions
  std::deque<std::vector<std::string>> dialogTexts;  // replies to dialogs

  void ShowMessage(const TUserMessage& message) override;
  TAnswer Ask(const TUserMessage& question, TButtons buttons) override;
  bool EditTexts(const char* title, TTextField* fields, std::uint32_t count) override;
};

}  // namespace ombrix_data
