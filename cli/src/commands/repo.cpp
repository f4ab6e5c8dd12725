// ombrix-cli repo <action> ...: the program's repository client without a
// window, for scripts. Each run logs in, does one thing and logs out.
#include <ombrix_field/field.h>
#include <ombrix_field/object.h>
#include <ombrix_field/ofd.h>
#include <ombrix_net/repository_cache.h>
#include <ombrix_net/repository_sync.h>
#include <ombrix_net/web_interface.h>
#include <runbase/fixed_text.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "analysis_commands/fit_input.h"
#include "field_commands/field_loading.h"
#include "field_commands/object_choice.h"
#include "ombrix_cli/command.h"
#include "options.h"

namespace ombrix_cli {

namespace {

constexpr const char* kName = "repo";

// Prints the client's messages as the other subcommands print the program's.
class CPrintingWebOwner : public ombrix_web::IWebOwner {
 public:
  explicit CPrintingWebOwner(std::ostream& out) : out_(out) {}
  int lastCode = 0;                           // the last notification's code
  ombrix_web::CRepositorySync* sync = nullptr;  // gets the notifications while a synchronization runs

  void ShowMessage(const char* caption, const char* line1, const char* line2, ombrix_web::TMessageIcon) override {
    out_ << "message: " << caption;
    if (*line1) out_ << " | " << line1;
    if (*line2) out_ << " | " << line2;
    out_ << '\n';
  }
  void Notify(int kind, int code) override {
    lastCode = code;
    if (sync && kind == ombrix_web::kEventRepository) sync->OnNotification(code);
  }

 private:
  std::ostream& out_;
};

struct TSession {
  CPrintingWebOwner owner;
  ombrix_web::CInlineRequestRunner runner;
  ombrix_web::CWebInterface web{owner, runner};
  explicit TSession(std::ostream& out) : owner(out) {}
};

bool LogIn(const TParsedArguments& parsed, TSession& session, std::ostream& err) {
  const char* server = parsed.Value("--server");
  const char* user = parsed.Value("--user");
  if (!server || !user) {
    err << "ombrix-cli repo: --server URL and --user NAME are required\n";
    return false;
  }
  std::string password;
  if (const char* given = parsed.Value("--password")) password = given;
  else std::getline(std::cin, password);
  ombrix_web::SplitRepositoryUrl(server, session.web.config.serverHost, session.web.config.serverPath);
  session.web.config.useEncryptedPassword = !parsed.Has("--plain-password");
  session.web.config.cacheRoot = parsed.Value("--cache") ? std::string(parsed.Value("--cache")) + "/" : "./";
  session.web.Login(user, password.c_str());
  return session.web.IsLoggedIn();
}

void PrintObjects(const ombrix_web::CWebInterface& web, std::ostream& out) {
  for (auto* e = web.objectList.first; e; e = e->next) {
    const auto* object = static_cast<const ombrix_web::CWebObjectListElem*>(e);
    out << object->token << '\t' << object->publisher << '\t' << object->name << '\t';
    for (std::size_t i = 0; i < object->contributors.size(); ++i) out << (i ? "," : "") << object->contributors[i];
    out << '\n';
  }
}

// publish / contribute FIELD OBJECT
int SendObject(const TParsedArguments& parsed, TSession& session, bool contribute, std::ostream& out,
               std::ostream& err) {
  ombrix_data::CField field;
  ombrix_data::CObjectListElem* object = nullptr;
  if (!LoadFieldObject(kName, parsed.positional[1], parsed.positional[2], field, object, out, err)) return kExitFailure;
  const bool hasToken = object->token[0] != '\0';
  if (!contribute && hasToken) {
    err << "ombrix-cli repo: the object is published already (token "
        << FixedText::View(ombrix_data::kTokenHigh, object->token) << ")\n";
    return kExitFailure;
  }
  if (contribute && !hasToken) {
    err << "ombrix-cli repo: the object is not shared (it has no token)\n";
    return kExitFailure;
  }
  if (!contribute) {
    char token[ombrix_web::kObjectTokenLength + 1];
    ombrix_web::NewObjectToken(token);
    std::memcpy(object->token, token, sizeof object->token);
    out << "token: " << token << '\n';
  }
  session.web.PublishObject(*object, contribute);
  if (contribute) PrintObjects(session.web, out);
  return session.owner.lastCode == (contribute ? ombrix_web::ncContributeOk : ombrix_web::ncPublishOk) ? kExitOk
                                                                                                       : kExitFailure;
}

int Unpublish(const char* token, TSession& session) {
  ombrix_data::CObjectListElem object;
  // 16 characters fill the array without a terminator.
  std::memcpy(object.token, token, std::min(std::strlen(token), sizeof object.token));
  session.web.UnpublishObject(object);
  return session.owner.lastCode == ombrix_web::ncUnpublishOk ? kExitOk : kExitFailure;
}

// get TOKEN USER: that user's version into the cache.
int Get(const char* token, const char* user, TSession& session, std::ostream& out) {
  if (!ombrix_web::IsSafeId(token) || std::strlen(token) > ombrix_web::kObjectTokenLength) return kExitUsage;
  std::snprintf(session.web.objectToken, sizeof session.web.objectToken, "%s", token);
  auto* summary = new ombrix_web::CWebObjectListElem;
  std::snprintf(summary->publisher, sizeof summary->publisher, "%s", user);
  session.web.ClearObjectList();
  session.web.objectList.Append(summary);
  session.web.contributorIndex = -1;
  session.web.GetObjectData(user);
  if (session.owner.lastCode != ombrix_web::ncDataStored) return kExitFailure;
  out << session.web.UserCacheFolder() << token << '_' << user << ".json\n";
  return kExitOk;
}

// Prints what a synchronization does to the field's objects.
class CPrintingSync : public ombrix_web::IRepositorySyncListener {
 public:
  explicit CPrintingSync(std::ostream& out) : out_(out) {}
  bool completed = false;          // the flow ended with its final message
  std::uint32_t synchronized = 0;  // objects whose repository series were reloaded

  void ObjectSynchronized(ombrix_data::CObjectListElem& object) override {
    ++synchronized;
    char label[ombrix_data::kObjectNameHigh * 2 + ombrix_data::kCommentHigh + 16];
    object.GetLabel(sizeof label - 1, label);
    std::uint32_t series = 0;
    for (ombrix_data::CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
      if (!s->IsLocalSeries()) ++series;
    out_ << "synchronized: " << label << " (" << series << " repository series)\n";
  }
  void FieldChanged() override {}
  void ObjectListChanged() override {}
  void RepositoryStatusChanged() override {}
  bool ChooseRepositoryObjects(vlist::CList&) override { return false; }
  ombrix_data::CObjectListElem* SelectedObject() override { return nullptr; }
  void FlowEnded(bool ended) override { completed = ended; }

 private:
  std::ostream& out_;
};

// sync FIELD [OBJECT]: synchronizes the object, or every shared object of
// the field, and saves the field when an object was synchronized.
// Repository series load from the cache, as in the program.
int Sync(const TParsedArguments& parsed, TSession& session, std::ostream& out, std::ostream& err) {
  CPrintingUserIO io(out);
  ombrix_web::CRepositoryCache cache;
  cache.cacheRoot = session.web.config.cacheRoot;
  cache.io = &io;
  ombrix_data::SetRepositorySeriesSource(&cache);
  char workingFolder[ombrix_data::kPathHigh + 1] = "";
  if (getcwd(workingFolder, sizeof workingFolder) == nullptr) workingFolder[0] = 0;
  ombrix_data::TFieldLoadContext context;
  context.io = &io;
  context.folders = {"", workingFolder};
  context.repositoryUser = session.web.userId;
  ombrix_data::CField field;
  bool changed = false;
  const char* path = parsed.positional[1];
  const bool loaded = ombrix_data::LoadField(path, context, field, changed);
  ombrix_data::SetRepositorySeriesSource(nullptr);
  if (!loaded) {
    err << io.lastText << '\n';
    return kExitFailure;
  }
  ombrix_data::CObjectListElem* object = nullptr;
  if (parsed.positional.size() == 3 && !(object = ChooseObject(kName, field, parsed.positional[2], err)))
    return kExitFailure;
  CPrintingSync printer(out);
  ombrix_web::CRepositorySync sync(session.web, field, printer, io);
  session.owner.sync = &sync;
  if (object) sync.SynchronizeObject(object);
  else sync.SynchronizeField();
  // A server that could not be reached ends the flow without a notification.
  if (sync.Running()) sync.EndFlow();
  session.owner.sync = nullptr;
  if (printer.synchronized > 0 && !ombrix_data::SaveField(field, path, io)) {
    err << io.lastText << '\n';
    return kExitFailure;
  }
  return printer.completed ? kExitOk : kExitFailure;
}

int RunAction(const TParsedArguments& parsed, TSession& session, std::ostream& out, std::ostream& err) {
  const std::string action = parsed.positional[0];
  const std::size_t words = parsed.positional.size();
  if (action == "login" && words == 1) {
    out << session.web.userId << '\t' << session.web.userName << '\t' << session.web.access << '\n';
    return kExitOk;
  }
  if (action == "list" && words == 1) {
    session.web.ListObjects();
    PrintObjects(session.web, out);
    return session.owner.lastCode == ombrix_web::ncListOk ? kExitOk : kExitFailure;
  }
  if ((action == "publish" || action == "contribute") && words == 3)
    return SendObject(parsed, session, action == "contribute", out, err);
  if (action == "unpublish" && words == 2) return Unpublish(parsed.positional[1], session);
  if (action == "get" && words == 3) return Get(parsed.positional[1], parsed.positional[2], session, out);
  if (action == "sync" && (words == 2 || words == 3)) return Sync(parsed, session, out, err);
  err << "ombrix-cli repo: unknown action or wrong arguments; see \"ombrix-cli repo --help\"\n";
  return kExitUsage;
}

int RunRepo(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(
          kName, arguments,
          {{"--server", true}, {"--user", true}, {"--password", true}, {"--plain-password", false}, {"--cache", true}},
          1, 3, parsed, err))
    return kExitUsage;
  TSession session(out);
  if (!LogIn(parsed, session, err)) return kExitFailure;
  const int result = RunAction(parsed, session, out, err);
  session.web.Logout();
  return result;
}

}  // namespace

extern const TCliCommand RepoCommand = {"repo", "share objects through a web repository",
                                        "Usage: ombrix-cli repo <action> --server URL --user NAME [--password P]\n"
                                        "                        [--plain-password] [--cache DIR]\n"
                                        "\n"
                                        "Logs in to the web repository at URL (\"host[:port]/path/\", or with\n"
                                        "\"https://\" for TLS), does one action and logs out. Without --password the\n"
                                        "password is read as one line from standard input; it is sent enciphered\n"
                                        "unless --plain-password is given. Actions:\n"
                                        "  login                       print the user id, name and rights\n"
                                        "  list                        print the shared objects: token, publisher,\n"
                                        "                              name and contributors, tab-separated\n"
                                        "  publish FIELD <object>      publish an object of the field under a new\n"
                                        "                              token (printed; the field file is not changed)\n"
                                        "  contribute FIELD <object>   upload your version of a shared object\n"
                                        "  unpublish TOKEN             remove an object you published\n"
                                        "  get TOKEN USER              store USER's version of the object in the\n"
                                        "                              repository cache below DIR (default: here)\n"
                                        "                              and print the file's name\n"
                                        "  sync FIELD [<object>]       synchronize the object, or every shared\n"
                                        "                              object of the field: upload your version,\n"
                                        "                              store the others' in the cache below DIR,\n"
                                        "                              reload their series and save the field\n"
                                        "                              (the previous file kept as .bak)\n"
                                        "\n" OMBRIX_CLI_OBJECT_HELP "\n" OMBRIX_CLI_MESSAGES_HELP,
                                        RunRepo};

}  // namespace ombrix_cli
