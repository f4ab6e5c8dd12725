// ombrix-cli vsx <file.ofd> [object] [--save] [--server URL]: the program's
// VSX look-up without a window.
#include <ombrix_field/object.h>
#include <ombrix_field/ofd.h>
#include <ombrix_net/vsx.h>

#include <ostream>
#include <string>

#include "field_commands/field_loading.h"
#include "field_commands/object_choice.h"
#include "ombrix_cli/command.h"
#include "options.h"

namespace ombrix_cli {

namespace {

constexpr const char* kName = "vsx";

void PrintMessage(const ombrix_web::TVsxMessage& message, std::ostream& out) {
  out << "message: " << message.caption;
  for (const std::string& line : message.lines)
    if (!line.empty()) out << " | " << line;
  out << '\n';
}

void PrintMatched(const ombrix_web::TVsxMatch& match, std::ostream& out) {
  for (const ombrix_data::CObjectListElem* object : match.changed) {
    char label[ombrix_data::kObjectNameHigh * 2 + ombrix_data::kCommentHigh + 16];
    object->GetLabel(sizeof label - 1, label);
    out << "matched: " << label << '\n';
  }
}

// The query box of the object named, or of the whole field.
ombrix_web::TVsxStart PrepareQuery(const TParsedArguments& parsed, const ombrix_data::CField& field,
                                   ombrix_web::TVsxBox& box, bool& noObject, std::ostream& err) {
  noObject = false;
  if (parsed.positional.size() < 2) return ombrix_web::VsxQueryOfField(field, box);
  const ombrix_data::CObjectListElem* object = ChooseObject(kName, field, parsed.positional[1], err);
  noObject = object == nullptr;
  return object ? ombrix_web::VsxQueryOfObject(*object, box) : ombrix_web::TVsxStart::unknownObject;
}

int RunVsx(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments, {{"--save", false}, {"--server", true}}, 1, 2, parsed, err)) return kExitUsage;
  const char* path = parsed.positional[0];
  ombrix_data::CField field;
  if (!LoadFieldForCli(path, field, out, err)) return kExitFailure;
  ombrix_web::TVsxBox box;
  bool noObject = false;
  const ombrix_web::TVsxStart start = PrepareQuery(parsed, field, box, noObject, err);
  if (noObject) return kExitFailure;
  if (start == ombrix_web::TVsxStart::unknownField) {
    PrintMessage(ombrix_web::VsxUnknownCoordinatesMessage(), out);
    return kExitFailure;
  }
  const char* server = parsed.Value("--server");
  std::string response;
  const ombrix_web::THttpResult result =
      ombrix_web::RunVsxQuery(server ? server : ombrix_web::kDefaultVsxServer, box, response);
  ombrix_web::TVsxMatch match;
  if (result == ombrix_web::hrOk) {
    vlist::CList stars;
    ombrix_web::ReadVsxAnswer(response, stars);
    match = ombrix_web::MatchVsxStars(field, stars);
    stars.DisposeList();
    PrintMatched(match, out);
  }
  PrintMessage(ombrix_web::VsxResultMessage(result, match), out);
  if (result != ombrix_web::hrOk) return kExitFailure;
  if (!parsed.Has("--save") || match.matched == 0) return kExitOk;
  CPrintingUserIO io(out);
  if (!ombrix_data::SaveField(field, path, io)) {
    err << io.lastText << '\n';
    return kExitFailure;
  }
  out << "saved: " << path << '\n';
  return kExitOk;
}

}  // namespace

extern const TCliCommand VsxCommand = {"vsx", "look the field's objects up in the AAVSO Variable Star Index",
                                       "Usage: ombrix-cli vsx <file.ofd> [<object>] [--save] [--server URL]\n"
                                       "\n"
                                       "Asks VSX for the variable stars in the sky box of the field's objects\n"
                                       "that have coordinates, or within 10 arcseconds of the one object named,\n"
                                       "as \"Query VSX for all objects...\" and \"Query VSX for selected\n"
                                       "object...\" do. Every object whose catalogue position lies within 3\n"
                                       "arcseconds of a star takes its name (alternate name), variability type,\n"
                                       "period and epoch (M0) where it has none; each is listed as \"matched:\n"
                                       "<label>\". With --save a field that changed is saved (the previous file\n"
                                       "kept as .bak). URL is the VSX server (scheme, host and port; default\n"
                                       "https://www.aavso.org). Exits with status 1 when the query fails.\n"
                                       "\n" OMBRIX_CLI_OBJECT_HELP "\n" OMBRIX_CLI_MESSAGES_HELP,
                                       RunVsx};

}  // namespace ombrix_cli
