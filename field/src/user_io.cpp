// Scripted user interaction for tests.
#include "ombrix_field/user_io.h"

#include <runbase/fixed_text.h>

namespace ombrix_data {
namespace {

std::vector<std::string> LinesOf(const TUserMessage& message) {
  std::vector<std::string> lines;
  for (const char* line : message.lines)
    if (line) lines.emplace_back(line);
  return lines;
}

}  // namespace

void CScriptedUserIO::ShowMessage(const TUserMessage& message) {
  shown.push_back({TRecord::TKind::message, message.caption ? message.caption : "",
                   LinesOf(message), message.icon, TButtons::ok});
}

TAnswer CScriptedUserIO::Ask(const TUserMessage& question, TButtons buttons) {
  shown.push_back({TRecord::TKind::question, question.caption ? question.caption : "",
                   LinesOf(question), question.icon, buttons});
  if (answers.empty()) return TAnswer::cancel;
  TAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

bool CScriptedUserIO::EditTexts(const char* title, TTextField* fields, std::uint32_t count) {
  TRecord record{TRecord::TKind::dialog, title ? title : "", {}, TMessageIcon::none, TButtons::okCancel};
  for (std::uint32_t i = 0; i < count; ++i) record.lines.emplace_back(fields[i].label);
  shown.push_back(record);
  if (dialogTexts.empty()) return false;
  std::vector<std::string> texts = dialogTexts.front();
  dialogTexts.pop_front();
  for (std::uint32_t i = 0; i < count && i < texts.size(); ++i)
    FixedText::Assign(fields[i].high, fields[i].text, texts[i]);
  return true;
}

}  // namespace ombrix_data
