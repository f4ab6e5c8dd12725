#include "ombrix_exports/export_messages.h"

namespace ombrix_export {

using ombrix_data::TMessageIcon;
using ombrix_data::TUserMessage;

namespace {

const char* CannotCreateCaption(TExportCommand command) {
  switch (command) {
    case TExportCommand::csv: return kCsvExportFailedCaption;
    case TExportCommand::html: return kHtmlExportFailedCaption;
    default: return kExportFailedCaption;
  }
}

}  // namespace

bool GetExportMessage(TExportCommand command, TExportResult result, const char* path, TUserMessage& message) {
  switch (result) {
    case TExportResult::cannotCreateFile:
      message = {CannotCreateCaption(command), {kCannotCreateFileLine, path, nullptr}, TMessageIcon::stop};
      return true;
    case TExportResult::elementsUndefined:
      message = {kExportFailedCaption, {kElementsUndefinedLine1, kElementsUndefinedLine2, nullptr},
                 TMessageIcon::exclamation};
      return true;
    case TExportResult::scalesNotCombined:
      message = {kExportFailedCaption, {kScalesLine1, kScalesLine2, nullptr}, TMessageIcon::exclamation};
      return true;
    case TExportResult::noMinima:
      message = {kExportFailedCaption, {kNoMinimaLine1, kNoMinimaLine2, nullptr}, TMessageIcon::exclamation};
      return true;
    case TExportResult::prefixPostfixEmpty:
      message = {kOverwriteWarningCaption, {kOverwriteWarningLine1, kOverwriteWarningLine2, nullptr},
                 TMessageIcon::exclamation};
      return true;
    default: return false;
  }
}

TUserMessage OverwriteQuestion(const char* path) {
  return {kOverwriteQuestionCaption, {kOverwriteQuestionLine1, path, kOverwriteQuestionLine3}, TMessageIcon::question};
}

void ShowExportResult(ombrix_data::CUserIO& io, TExportCommand command, TExportResult result, const char* path) {
  TUserMessage message{};
  if (GetExportMessage(command, result, path, message)) io.ShowMessage(message);
}

}  // namespace ombrix_export
