// ombrix-repo: serve, user administration, backup.
#include "ombrix_repo/commands.h"

#include <charconv>
#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ombrix_repo/http_server.h"
#include "ombrix_repo/repository.h"

namespace ombrix_repo {

namespace {

constexpr const char* kUsage =
    "Usage: ombrix-repo serve --db FILE [--listen HOST:PORT] [--prefix /path/] [--cert FILE --key FILE]\n"
    "       ombrix-repo user add|passwd|remove|list --db FILE [NAME] [--password P] [--name TEXT] [--access TEXT]\n"
    "       ombrix-repo backup --db FILE OUT\n";

struct TArgs {
  std::vector<std::string> words;              // positional arguments
  std::map<std::string, std::string> options;  // --name value
};

bool ParseArgs(std::span<const char* const> args, TArgs& parsed, std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string word = args[i];
    if (word.rfind("--", 0) == 0) {
      if (i + 1 >= args.size()) {
        err << "ombrix-repo: " << word << " needs a value\n";
        return false;
      }
      parsed.options[word.substr(2)] = args[++i];
    } else {
      parsed.words.push_back(word);
    }
  }
  return true;
}

bool OpenRepository(const TArgs& args, CRepository& repository, std::ostream& err) {
  const auto db = args.options.find("db");
  if (db == args.options.end()) {
    err << "ombrix-repo: --db FILE is required\n" << kUsage;
    return false;
  }
  std::string error;
  if (!repository.Open(db->second, DefaultHashCost(), error)) {
    err << "ombrix-repo: " << db->second << ": " << error << '\n';
    return false;
  }
  return true;
}

bool SplitListen(const std::string& listen, TServeOptions& options) {
  const std::size_t colon = listen.rfind(':');
  if (colon == std::string::npos) return false;
  options.host = listen.substr(0, colon);
  const std::string port = listen.substr(colon + 1);
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), options.port);
  return ec == std::errc() && end == port.data() + port.size() && options.port >= 0 && options.port < 65536 &&
         !options.host.empty();
}

int Serve(const TArgs& args, std::ostream& out, std::ostream& err) {
  TServeOptions options;
  options.accessLog = true;
  if (args.options.count("listen") && !SplitListen(args.options.at("listen"), options)) {
    err << "ombrix-repo: --listen wants HOST:PORT\n";
    return 2;
  }
  if (args.options.count("prefix")) options.prefix = args.options.at("prefix");
  if (args.options.count("cert") != args.options.count("key")) {
    err << "ombrix-repo: --cert and --key go together\n";
    return 2;
  }
  if (args.options.count("cert")) {
    options.certFile = args.options.at("cert");
    options.keyFile = args.options.at("key");
  }
  CRepository repository;
  if (!OpenRepository(args, repository, err)) return 1;
  // The signals are taken by sigwait below, so every thread must block them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  CRepoServer server;
  std::string error;
  if (!server.Start(repository, options, error)) {
    err << "ombrix-repo: " << error << '\n';
    return 1;
  }
  out << "ombrix-repo: listening on " << server.Address() << std::endl;
  int signal = 0;
  sigwait(&signals, &signal);
  server.Stop();
  out << "ombrix-repo: stopped" << std::endl;
  return 0;
}

bool ReadPassword(const TArgs& args, std::istream& in, std::string& password) {
  if (args.options.count("password")) {
    password = args.options.at("password");
  } else {
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
  }
  return !password.empty();
}

int User(const TArgs& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string action = args.words.size() > 1 ? args.words[1] : "";
  const bool needsName = action == "add" || action == "passwd" || action == "remove";
  if ((needsName && args.words.size() != 3) || (action == "list" && args.words.size() != 2) ||
      (!needsName && action != "list")) {
    err << kUsage;
    return 2;
  }
  CRepository repository;
  if (!OpenRepository(args, repository, err)) return 1;
  std::string error, password;
  bool ok = true;
  if (action == "list") {
    std::vector<TUserInfo> users;
    ok = repository.ListUsers(users, error);
    for (const TUserInfo& u : users) out << u.id << '\t' << u.name << '\t' << u.access << '\n';
  } else if (action == "remove") {
    ok = repository.RemoveUser(args.words[2], error);
  } else if (!ReadPassword(args, in, password)) {
    error = "empty password";
    ok = false;
  } else if (action == "add") {
    const std::string name = args.options.count("name") ? args.options.at("name") : args.words[2];
    const std::string access = args.options.count("access") ? args.options.at("access") : "read, write";
    ok = repository.AddUser(args.words[2], password, name, access, error);
  } else {
    ok = repository.SetPassword(args.words[2], password, error);
  }
  if (!ok) err << "ombrix-repo: " << error << '\n';
  return ok ? 0 : 1;
}

int Backup(const TArgs& args, std::ostream& err) {
  if (args.words.size() != 2) {
    err << kUsage;
    return 2;
  }
  CRepository repository;
  if (!OpenRepository(args, repository, err)) return 1;
  std::string error;
  if (!repository.Backup(args.words[1], error)) {
    err << "ombrix-repo: backup failed: " << error << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int RunRepoCommand(std::span<const char* const> arguments, std::istream& in, std::ostream& out, std::ostream& err) {
  TArgs args;
  // "--help" (or "-h") alone asks for the usage: it goes to standard output.
  if (arguments.size() == 2 && (std::string_view(arguments[1]) == "--help" || std::string_view(arguments[1]) == "-h")) {
    out << kUsage;
    return 0;
  }
  if (arguments.size() < 2 || !ParseArgs(arguments.subspan(1), args, err) || args.words.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string command = args.words[0];
  if (command == "serve" && args.words.size() == 1) return Serve(args, out, err);
  if (command == "user") return User(args, in, out, err);
  if (command == "backup") return Backup(args, err);
  err << kUsage;
  return 2;
}

}  // namespace ombrix_repo
