// The repository's database and its answers.
#include "ombrix_repo/repository.h"

#include <ombrix_net/sjson.h>
#include <ombrix_net/web_protocol.h>
#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ombrix_repo {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS users(id TEXT PRIMARY KEY, name TEXT NOT NULL, access TEXT NOT NULL,"
    " hash TEXT NOT NULL, failures INTEGER NOT NULL DEFAULT 0, retry_after INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS tokens(hash TEXT PRIMARY KEY,"
    " user TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE, created INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS objects(token TEXT PRIMARY KEY, publisher TEXT NOT NULL, summary TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS versions(token TEXT NOT NULL REFERENCES objects(token) ON DELETE CASCADE,"
    " user TEXT NOT NULL, document TEXT NOT NULL, PRIMARY KEY(token, user));";

constexpr std::uint32_t kPasswordBytes = 4 * ombrix_web::kPasswordHigh;  // UTF-8 of 64 characters
constexpr std::size_t kTokenBytes = 32;                                  // 64 hexadecimal digits

// A prepared statement that finalises itself.
class CStatement {
 public:
  CStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~CStatement() { sqlite3_finalize(stmt_); }
  CStatement(const CStatement&) = delete;
  CStatement& operator=(const CStatement&) = delete;

  CStatement& Bind(int index, const std::string& text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  CStatement& Bind(int index, long long value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }
  bool Row() { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }
  bool Done() { return stmt_ && sqlite3_step(stmt_) == SQLITE_DONE; }
  std::string Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, sqlite3_column_bytes(stmt_, column)) : std::string();
  }
  long long Int(int column) { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Commits when told, rolls back otherwise.
class CTransaction {
 public:
  CTransaction(sqlite3* db, bool write) : db_(db) {
    open_ = sqlite3_exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~CTransaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  bool Open() const { return open_; }
  bool Commit() {
    if (!open_ || sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    open_ = false;
    return true;
  }

 private:
  sqlite3* db_;
  bool open_;
};

long long Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string WriteDocument(sjson::CJSON& doc) {
  sjson::TJSONText text;
  doc.Write(&text);
  std::string result(text.data ? text.data : "", text.length);
  sjson::DoneText(text);
  return result;
}

TRepoAnswer Fail(const char* error) {
  sjson::CJSON doc;
  doc.InitRoot(false);
  doc.AddStr("status", 3, "fail");
  doc.AddStr("error", 63, error);
  return {200, WriteDocument(doc)};
}

TRepoAnswer Ok() { return {200, "{\r\n\t\"status\": \"ok\"\r\n}\r\n"}; }

bool ParseRecord(const std::string& body, sjson::CJSON& doc) {
  if (body.size() > UINT32_MAX) return false;
  sjson::TJSONSource source;
  sjson::InitSource(source, body.data(), static_cast<std::uint32_t>(body.size()));
  if (!doc.Parse(source) || !doc.root || doc.root->kind != sjson::jkRecord) return false;
  doc.Rewind();
  return true;
}

std::string HexOf(const unsigned char* bytes, std::size_t n) {
  std::string hex(2 * n + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, n);
  hex.pop_back();
  return hex;
}

std::string TokenHash(const std::string& token) {
  unsigned char hash[32];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.data()), token.size(), nullptr, 0);
  return HexOf(hash, sizeof hash);
}

// The password of a login or change-password request, plain or enciphered.
bool RequestPassword(sjson::CJSON& doc, std::string& password) {
  if (ombrix_web::GetLongText(doc, "password", password)) return password.size() <= kPasswordBytes;
  std::string hex;
  return ombrix_web::GetLongText(doc, "encrypted_password", hex) && hex.find('\0') == std::string::npos &&
         ombrix_web::DecryptPassword(hex.c_str(), password);
}

bool RequestToken(sjson::CJSON& doc, std::string& token) {
  char text[ombrix_web::kObjectTokenLength + 2] = {};
  if (!ombrix_web::GetText(doc, "token", text)) return false;
  token = text;
  return token.size() <= ombrix_web::kObjectTokenLength && ombrix_web::IsSafeId(text);
}

// Adds the member token: {publisher, contributors, summary members}.
void AddObjectRecord(sqlite3* db, sjson::CJSON& answer, const std::string& token, const std::string& publisher,
                     const std::string& summary) {
  answer.AddRecord(token.c_str());
  answer.AddStr("publisher", static_cast<std::uint32_t>(std::max<std::size_t>(publisher.size(), 1) - 1),
                publisher.c_str());
  answer.AddArray("contributors");
  CStatement contributors(db, "SELECT user FROM versions WHERE token = ? AND user <> ? ORDER BY rowid");
  contributors.Bind(1, token).Bind(2, publisher);
  while (contributors.Row()) {
    const std::string id = contributors.Text(0);
    answer.AddStr(nullptr, static_cast<std::uint32_t>(std::max<std::size_t>(id.size(), 1) - 1), id.c_str());
  }
  answer.Leave();
  sjson::CJSON members;
  if (ParseRecord(summary, members)) ombrix_web::CopySummaryMembers(members, answer);
  answer.Leave();
}

}  // namespace

THashCost DefaultHashCost() { return {crypto_pwhash_OPSLIMIT_INTERACTIVE, 32u << 20}; }
THashCost FastHashCost() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

CRepository::~CRepository() { Close(); }

void CRepository::Close() {
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

bool CRepository::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool CRepository::Open(const std::string& path, THashCost cost, std::string& error) {
  Close();
  cost_ = cost;
  if (sodium_init() < 0) {
    error = "cannot initialise libsodium";
    return false;
  }
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    error = db_ ? sqlite3_errmsg(db_) : "cannot open the database";
    Close();
    return false;
  }
  sqlite3_busy_timeout(db_, 10000);
  // WAL with NORMAL synchronisation: a committed transaction survives the
  // process being killed; only a power failure may lose the last commits.
  if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") || !Exec("PRAGMA foreign_keys=ON") ||
      !Exec(kSchema)) {
    error = sqlite3_errmsg(db_);
    Close();
    return false;
  }
  return true;
}

bool CRepository::HashPassword(const std::string& password, std::string& hash) {
  char text[crypto_pwhash_STRBYTES];
  hashing_.acquire();
  const bool ok = crypto_pwhash_str(text, password.data(), password.size(), cost_.opsLimit, cost_.memLimit) == 0;
  hashing_.release();
  if (ok) hash = text;
  return ok;
}

bool CRepository::AddUser(const std::string& id, const std::string& password, const std::string& name,
                          const std::string& access, std::string& error) {
  if (!ombrix_web::IsSafeId(id.c_str()) || id.size() > ombrix_web::kUserIdHigh) {
    error = "a user name is made of letters, digits, \"_\", \"-\" and \".\" (at most 64)";
    return false;
  }
  std::string hash;
  if (password.empty() || !HashPassword(password, hash)) {
    error = "empty password";
    return false;
  }
  std::lock_guard lock(mutex_);
  CStatement insert(db_, "INSERT INTO users(id, name, access, hash) VALUES(?, ?, ?, ?)");
  if (!insert.Bind(1, id).Bind(2, name).Bind(3, access).Bind(4, hash).Done()) {
    error = "the user exists already";
    return false;
  }
  return true;
}

bool CRepository::SetPassword(const std::string& id, const std::string& password, std::string& error) {
  std::string hash;
  if (password.empty() || !HashPassword(password, hash)) {
    error = "empty password";
    return false;
  }
  std::lock_guard lock(mutex_);
  CStatement update(db_, "UPDATE users SET hash = ?, failures = 0, retry_after = 0 WHERE id = ?");
  if (!update.Bind(1, hash).Bind(2, id).Done() || sqlite3_changes(db_) != 1) {
    error = "no such user";
    return false;
  }
  return true;
}

bool CRepository::RemoveUser(const std::string& id, std::string& error) {
  std::lock_guard lock(mutex_);
  CStatement remove(db_, "DELETE FROM users WHERE id = ?");
  if (!remove.Bind(1, id).Done() || sqlite3_changes(db_) != 1) {
    error = "no such user";
    return false;
  }
  return true;
}

bool CRepository::ListUsers(std::vector<TUserInfo>& users, std::string& error) {
  std::lock_guard lock(mutex_);
  CStatement list(db_, "SELECT id, name, access FROM users ORDER BY id");
  while (list.Row()) users.push_back({list.Text(0), list.Text(1), list.Text(2)});
  error.clear();
  return true;
}

bool CRepository::Backup(const std::string& outPath, std::string& error) {
  sqlite3* out = nullptr;
  if (sqlite3_open(outPath.c_str(), &out) != SQLITE_OK) {
    error = out ? sqlite3_errmsg(out) : "cannot create the backup";
    sqlite3_close(out);
    return false;
  }
  std::lock_guard lock(mutex_);
  sqlite3_backup* backup = sqlite3_backup_init(out, "main", db_, "main");
  bool ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
  sqlite3_backup_finish(backup);
  if (!ok) error = sqlite3_errmsg(out);
  sqlite3_close(out);
  return ok;
}

TRepoAnswer CRepository::Handle(const std::string& endpoint, bool post, const std::string& authorization,
                                const std::string& body) {
  if (!db_) return {503, ""};
  if (endpoint == "api/v1/login" && post) return Login(body);
  const bool known = endpoint == "api/v1/logout" || endpoint == "api/v1/change_password" ||
                     endpoint == "api/v1/list_objects" || endpoint == "api/v1/publish_object" ||
                     endpoint == "api/v1/contribute_object" || endpoint == "api/v1/unpublish_object" ||
                     endpoint == "api/v1/get_object_data";
  if (!known) return {404, ""};
  std::string user, tokenHash;
  const bool loggedIn = Authenticate(authorization, user, tokenHash);
  if (endpoint == "api/v1/logout") return loggedIn ? Logout(user, tokenHash) : TRepoAnswer{204, ""};
  if (!loggedIn) return Fail("Not logged in");
  if (endpoint == "api/v1/list_objects") return ListObjects();
  if (!post) return {404, ""};
  if (endpoint == "api/v1/change_password") return ChangePassword(user, body);
  if (endpoint == "api/v1/publish_object") return Publish(user, body, false);
  if (endpoint == "api/v1/contribute_object") return Publish(user, body, true);
  if (endpoint == "api/v1/unpublish_object") return Unpublish(user, body);
  return GetObjectData(body);
}

bool CRepository::Authenticate(const std::string& authorization, std::string& user, std::string& tokenHash) {
  constexpr const char* kBearer = "Bearer ";
  if (authorization.rfind(kBearer, 0) != 0) return false;
  tokenHash = TokenHash(authorization.substr(std::strlen(kBearer)));
  std::lock_guard lock(mutex_);
  CStatement find(db_, "SELECT user FROM tokens WHERE hash = ?");
  if (!find.Bind(1, tokenHash).Row()) return false;
  user = find.Text(0);
  return true;
}

TRepoAnswer CRepository::Login(const std::string& body) {
  sjson::CJSON doc;
  char id[ombrix_web::kUserIdHigh + 1] = {};
  std::string password;
  if (!ParseRecord(body, doc) || !ombrix_web::GetText(doc, "user", id) || !RequestPassword(doc, password))
    return Fail("Malformed login request");
  std::string hash, name, access;
  {
    std::lock_guard lock(mutex_);
    CStatement find(db_, "SELECT hash, name, access, failures, retry_after FROM users WHERE id = ?");
    if (!find.Bind(1, std::string(id)).Row()) return Fail("Wrong user name or password");
    if (find.Int(3) >= kFreeLoginFailures && Now() < find.Int(4))
      return Fail("Too many failed logins; try again later");
    hash = find.Text(0);
    name = find.Text(1);
    access = find.Text(2);
  }
  hashing_.acquire();
  const bool match = crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
  hashing_.release();

  std::lock_guard lock(mutex_);
  CTransaction transaction(db_, true);
  if (!match) {
    CStatement count(db_,
                     "UPDATE users SET failures = failures + 1,"
                     " retry_after = ? + min(?, 1 << min(6, max(0, failures + 1 - ?))) WHERE id = ?");
    count.Bind(1, Now())
        .Bind(2, static_cast<long long>(kMaxLoginDelaySeconds))
        .Bind(3, static_cast<long long>(kFreeLoginFailures - 1))
        .Bind(4, std::string(id))
        .Done();
    transaction.Commit();
    return Fail("Wrong user name or password");
  }
  unsigned char random[kTokenBytes];
  randombytes_buf(random, sizeof random);
  const std::string token = HexOf(random, sizeof random);
  CStatement reset(db_, "UPDATE users SET failures = 0, retry_after = 0 WHERE id = ?");
  CStatement insert(db_, "INSERT INTO tokens(hash, user, created) VALUES(?, ?, ?)");
  if (!reset.Bind(1, std::string(id)).Done() ||
      !insert.Bind(1, TokenHash(token)).Bind(2, std::string(id)).Bind(3, Now()).Done() || !transaction.Commit())
    return {500, ""};
  sjson::CJSON answer;
  answer.InitRoot(false);
  answer.AddStr("status", 1, "ok");
  answer.AddStr("user_token", static_cast<std::uint32_t>(token.size() - 1), token.c_str());
  answer.AddStr("user_id", ombrix_web::kUserIdHigh, id);
  answer.AddStr("user_name", static_cast<std::uint32_t>(std::max<std::size_t>(name.size(), 1) - 1), name.c_str());
  answer.AddStr("access", static_cast<std::uint32_t>(std::max<std::size_t>(access.size(), 1) - 1), access.c_str());
  return {200, WriteDocument(answer)};
}

TRepoAnswer CRepository::Logout(const std::string&, const std::string& tokenHash) {
  std::lock_guard lock(mutex_);
  CStatement remove(db_, "DELETE FROM tokens WHERE hash = ?");
  remove.Bind(1, tokenHash).Done();
  return {204, ""};
}

TRepoAnswer CRepository::ChangePassword(const std::string& user, const std::string& body) {
  sjson::CJSON doc;
  std::string password;
  if (!ParseRecord(body, doc) || !RequestPassword(doc, password) || password.empty())
    return Fail("Malformed password request");
  std::string error;
  if (!SetPassword(user, password, error)) return Fail("Password not changed");
  return Ok();
}

TRepoAnswer CRepository::ListObjects() {
  std::lock_guard lock(mutex_);
  CTransaction transaction(db_, false);
  sjson::CJSON answer;
  answer.InitRoot(false);
  answer.AddStr("status", 1, "ok");
  CStatement objects(db_, "SELECT token, publisher, summary FROM objects ORDER BY rowid");
  while (objects.Row()) AddObjectRecord(db_, answer, objects.Text(0), objects.Text(1), objects.Text(2));
  transaction.Commit();
  return {200, WriteDocument(answer)};
}

TRepoAnswer CRepository::Publish(const std::string& user, const std::string& body, bool contribute) {
  sjson::CJSON doc;
  std::string token;
  if (!ParseRecord(body, doc) || !RequestToken(doc, token)) return Fail("Malformed object document");
  const std::string document = WriteDocument(doc);
  sjson::CJSON summaryDoc;
  summaryDoc.InitRoot(false);
  doc.Rewind();
  ombrix_web::CopySummaryMembers(doc, summaryDoc);
  const std::string summary = WriteDocument(summaryDoc);

  std::lock_guard lock(mutex_);
  CTransaction transaction(db_, true);
  CStatement find(db_, "SELECT publisher FROM objects WHERE token = ?");
  const bool exists = find.Bind(1, token).Row();
  const std::string publisher = exists ? find.Text(0) : user;
  if (!contribute && exists) return Fail("Object already published");
  if (contribute && !exists) return Fail("Object not published");
  if (!exists) {
    CStatement insert(db_, "INSERT INTO objects(token, publisher, summary) VALUES(?, ?, ?)");
    if (!insert.Bind(1, token).Bind(2, user).Bind(3, summary).Done()) return {500, ""};
  } else if (publisher == user) {
    CStatement update(db_, "UPDATE objects SET summary = ? WHERE token = ?");
    if (!update.Bind(1, summary).Bind(2, token).Done()) return {500, ""};
  }
  CStatement version(db_,
                     "INSERT INTO versions(token, user, document) VALUES(?, ?, ?)"
                     " ON CONFLICT(token, user) DO UPDATE SET document = excluded.document");
  if (!version.Bind(1, token).Bind(2, user).Bind(3, document).Done()) return {500, ""};
  TRepoAnswer answer = Ok();
  if (contribute) {
    sjson::CJSON reply;
    reply.InitRoot(false);
    reply.AddStr("status", 1, "ok");
    AddObjectRecord(db_, reply, token, publisher, summary);
    answer.body = WriteDocument(reply);
  }
  if (!transaction.Commit()) return {500, ""};
  return answer;
}

TRepoAnswer CRepository::Unpublish(const std::string& user, const std::string& body) {
  sjson::CJSON doc;
  std::string token;
  if (!ParseRecord(body, doc) || !RequestToken(doc, token)) return Fail("Malformed unpublish request");
  std::lock_guard lock(mutex_);
  CTransaction transaction(db_, true);
  CStatement find(db_, "SELECT publisher FROM objects WHERE token = ?");
  if (!find.Bind(1, token).Row()) return Fail("Object not published");
  if (find.Text(0) != user) return Fail("Only the publisher can unpublish an object");
  CStatement versions(db_, "DELETE FROM versions WHERE token = ?");
  CStatement object(db_, "DELETE FROM objects WHERE token = ?");
  if (!versions.Bind(1, token).Done() || !object.Bind(1, token).Done() || !transaction.Commit()) return {500, ""};
  return Ok();
}

TRepoAnswer CRepository::GetObjectData(const std::string& body) {
  sjson::CJSON doc;
  std::string token;
  char id[ombrix_web::kUserIdHigh + 1] = {};
  if (!ParseRecord(body, doc) || !RequestToken(doc, token) || !ombrix_web::GetText(doc, "user_id", id))
    return Fail("Malformed data request");
  std::lock_guard lock(mutex_);
  CTransaction transaction(db_, false);
  CStatement find(db_, "SELECT document FROM versions WHERE token = ? AND user = ?");
  if (!find.Bind(1, token).Bind(2, std::string(id)).Row()) return Fail("No data of that user for the object");
  // The stored document is the writer's own text of a record; the token is a
  // plain id, so the answer can be joined as text.
  TRepoAnswer answer{200, "{\r\n\t\"status\": \"ok\",\r\n\t\"" + token + "\": " + find.Text(0) + "}\r\n"};
  transaction.Commit();
  return answer;
}

}  // namespace ombrix_repo
