// ombrix_repo::CRepository: the web repository's data and its answers to
// the program's requests, without the HTTP server around it.
//
// Users (argon2id password hashes), login tokens (kept only as hashes),
// shared objects with their publisher, and every user's version of every
// object live in one SQLite database in WAL mode; each request is one
// transaction, so an answered write is on disk before the answer leaves.
#pragma once

#include <cstdint>
#include <mutex>
#include <semaphore>
#include <string>
#include <vector>

struct sqlite3;

namespace ombrix_repo {

// An HTTP answer: status code and JSON body (empty for 204).
struct TRepoAnswer {
  int status = 200;
  std::string body;
};

// Cost of the password hashes. Tests and fuzzing use the smallest.
struct THashCost {
  unsigned long long opsLimit;
  std::size_t memLimit;
};
THashCost DefaultHashCost();
THashCost FastHashCost();

struct TUserInfo {
  std::string id;
  std::string name;
  std::string access;
};

// Failed logins in a row after which the next attempts of that user are
// refused for a while (a few seconds, doubling with each failure, at most a
// minute).
inline constexpr int kFreeLoginFailures = 3;
inline constexpr int kMaxLoginDelaySeconds = 60;

class CRepository {
 public:
  CRepository() = default;
  ~CRepository();
  CRepository(const CRepository&) = delete;
  CRepository& operator=(const CRepository&) = delete;

  // Opens (creating when needed) the database; ":memory:" for a private one.
  bool Open(const std::string& path, THashCost cost, std::string& error);
  void Close();

  // Answers one request. endpoint is the path after the prefix, for example
  // "api/v1/login"; authorization is the Authorization header, possibly
  // empty. Never throws; malformed input gives a "fail" answer or 404.
  TRepoAnswer Handle(const std::string& endpoint, bool post, const std::string& authorization, const std::string& body);

  // User administration. Names must be safe ids (letters, digits, "_-.").
  bool AddUser(const std::string& id, const std::string& password, const std::string& name, const std::string& access,
               std::string& error);
  bool SetPassword(const std::string& id, const std::string& password, std::string& error);
  bool RemoveUser(const std::string& id, std::string& error);
  bool ListUsers(std::vector<TUserInfo>& users, std::string& error);
  // A consistent copy of the database into a new file.
  bool Backup(const std::string& outPath, std::string& error);

 private:
  TRepoAnswer Login(const std::string& body);
  TRepoAnswer Logout(const std::string& user, const std::string& tokenHash);
  TRepoAnswer ChangePassword(const std::string& user, const std::string& body);
  TRepoAnswer ListObjects();
  TRepoAnswer Publish(const std::string& user, const std::string& body, bool contribute);
  TRepoAnswer Unpublish(const std::string& user, const std::string& body);
  TRepoAnswer GetObjectData(const std::string& body);
  bool Authenticate(const std::string& authorization, std::string& user, std::string& tokenHash);
  bool HashPassword(const std::string& password, std::string& hash);
  bool Exec(const char* sql);
  bool ObjectRecordText(const std::string& token, const std::string& publisher, const std::string& summary,
                        std::string& text);

  sqlite3* db_ = nullptr;
  std::mutex mutex_;                       // one request at a time on the connection
  std::counting_semaphore<2> hashing_{2};  // password hashes computed at once (memory bound)
  THashCost cost_{};
};

}  // namespace ombrix_repo
