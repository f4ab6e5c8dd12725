// The repository client: request starts and answer handling.
#include "ombrix_net/web_interface.h"

#include <ombrix_field/object.h>
#include <runbase/diag.h>
#include <runbase/fio.h>
#include <runbase/fio_replace.h>
#include <runbase/fixed_text.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace ombrix_web {

namespace {

constexpr const char* kCommunicationError = "Web Repository Communication Error";
constexpr const char* kCannotReach = "Cannot Reach Web Repository";
constexpr const char* kProcessed = "Web Repository command processed.";
constexpr const char* kEmpty = "Web Repository is empty.";

void CopyInto(std::uint32_t high, char* out, const char* text) {
  std::size_t n = std::strlen(text);
  if (n > high) n = high;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// The token of a field object: its array is full (no terminator) at 16 characters.
std::string TokenOf(const ombrix_data::CObjectListElem& object) {
  return std::string(FixedText::View(ombrix_data::kTokenHigh, object.token));
}

std::string TextOf(sjson::TJSONText& text) { return std::string(text.data ? text.data : "", text.length); }

// One line of the cache trace on the diagnostic channel.
void Trace(const char* text, const std::string& path = "") { Diag::Printf("%s%s\n", text, path.c_str()); }

std::uint32_t High(const std::string& path) { return static_cast<std::uint32_t>(path.size() - 1); }

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

bool MakeFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return IsFolder(path);
}

}  // namespace

std::string UserCacheFolderOf(const std::string& cacheRoot, const char* userId) {
  return cacheRoot + kCacheFolderName + "/" + userId + "/";
}

void CInlineRequestRunner::Start(CWebInterface& client) {
  next_ = &client;
  if (completing_) return;
  completing_ = true;
  while (CWebInterface* current = next_) {
    next_ = nullptr;
    current->Complete(RunHttpRequest(current->request, current->response));
  }
  completing_ = false;
}

CWebInterface::CWebInterface(IWebOwner& owner, IRequestRunner& runner) : owner_(owner), runner_(runner) {}

CWebInterface::~CWebInterface() { ClearObjectList(); }

void CWebInterface::EmptyLoginState() { userToken[0] = userId[0] = userName[0] = access[0] = '\0'; }

void CWebInterface::ClearObjectList() { objectList.DisposeList(); }

CWebObjectListElem* CWebInterface::FirstObject() const { return static_cast<CWebObjectListElem*>(objectList.first); }

std::string CWebInterface::UserCacheFolder() const { return UserCacheFolderOf(config.cacheRoot, userId); }

bool CWebInterface::Start(TRequestKind requestKind, sjson::CJSON* body) {
  if (busy_) return false;
  request = THttpRequest{};
  if (body) {
    sjson::TJSONText text;
    body->Write(&text);
    request.body = TextOf(text);
    sjson::DoneText(text);
  }
  kind = requestKind;
  expectBody = requestKind != rkLogout;
  request.url = RequestUrl(config.serverHost, config.serverPath, EndpointOf(requestKind));
  request.accept = "application/json";
  request.bearer = userToken;
  request.expectedStatus = expectBody ? 200 : 204;
  busy_ = true;
  runner_.Start(*this);
  return true;
}

void CWebInterface::AddPassword(sjson::CJSON& doc, const char* name, const char* password) {
  if (config.useEncryptedPassword) {
    char hex[kEncryptedPasswordHigh + 1];
    EncryptPassword(password, hex);
    doc.AddStr("encrypted_password", kEncryptedPasswordHigh, hex);
  } else {
    doc.AddStr(name, kPasswordHigh, password);
  }
}

bool CWebInterface::Login(const char* user, const char* password) {
  if (busy_) return false;
  sjson::CJSON doc;
  doc.InitRoot(false);
  doc.AddStr("user", kUserIdHigh, user);
  AddPassword(doc, "password", password);
  // A new login is sent without the token of an earlier one.
  EmptyLoginState();
  return Start(rkLogin, &doc);
}

bool CWebInterface::Logout() { return Start(rkLogout, nullptr); }

bool CWebInterface::ChangePassword(const char* newPassword) {
  if (busy_) return false;
  sjson::CJSON doc;
  doc.InitRoot(false);
  AddPassword(doc, "password", newPassword);
  return Start(rkChangePassword, &doc);
}

bool CWebInterface::ListObjects() { return Start(rkListObjects, nullptr); }

bool CWebInterface::PublishObject(const ombrix_data::CObjectListElem& object, bool contribute) {
  const std::string token = TokenOf(object);
  if (busy_ || !IsSafeId(token.c_str())) return false;
  sjson::CJSON doc;
  BuildObjectDocument(object, doc);
  CopyInto(kObjectTokenLength, objectToken, token.c_str());
  return Start(contribute ? rkContribute : rkPublish, &doc);
}

bool CWebInterface::UnpublishObject(const ombrix_data::CObjectListElem& object) {
  const std::string token = TokenOf(object);
  if (busy_ || !IsSafeId(token.c_str())) return false;
  sjson::CJSON doc;
  doc.InitRoot(false);
  doc.AddStr("token", kObjectTokenLength, token.c_str());
  CopyInto(kObjectTokenLength, objectToken, token.c_str());
  return Start(rkUnpublish, &doc);
}

bool CWebInterface::GetObjectData(const char* dataUserId) {
  if (busy_) return false;
  sjson::CJSON doc;
  doc.InitRoot(false);
  doc.AddStr("token", kObjectTokenLength, objectToken);
  doc.AddStr("user_id", kUserIdHigh, dataUserId);
  return Start(rkGetObjectData, &doc);
}

void CWebInterface::Complete(THttpResult result) {
  busy_ = false;
  const TRequestKind done = kind;
  kind = rkNone;
  if (result == hrOffline || result == hrOpen || result == hrConnect) {
    owner_.ShowMessage(kCannotReach, "Repository access requires Internet connection.", "", miStop);
    return;
  }
  if (result >= hrOpenRequest && result <= hrRead) {
    owner_.ShowMessage(kCannotReach, "Repository server not accessible.", "Try again later.", miStop);
    return;
  }
  if (result != hrOk) return;
  answer_.InitRoot(false);
  if (!expectBody) {  // logout: no body
    EmptyLoginState();
    owner_.Notify(kEventLoginState, ncAnswerUnreadable);
    return;
  }
  sjson::TJSONSource source;
  sjson::InitSource(source, response.data(), static_cast<std::uint32_t>(response.size()));
  if (!answer_.Parse(source)) {
    owner_.ShowMessage(kCommunicationError, source.errorText, "", miStop);
    owner_.Notify(kEventRepository, ncAnswerUnreadable);
    return;
  }
  answer_.Rewind();
  kind = done;  // the handlers read it; cleared again below
  switch (done) {
    case rkLogin: ReceiveLogin(); break;
    case rkChangePassword: ReceiveChangePassword(); break;
    case rkListObjects: ReceiveList(); break;
    case rkContribute: ReceiveContribute(); break;
    case rkPublish: ReceiveSimple(ncPublishOk, ncPublishFailed, "Object published to repository."); break;
    case rkUnpublish: ReceiveSimple(ncUnpublishOk, ncUnpublishFailed, "Object removed from repository."); break;
    case rkGetObjectData: ReceiveGetObjectData(); break;
    default: break;
  }
  // A handler's notification may have started the next request already.
  if (!busy_) kind = rkNone;
}

void CWebInterface::Fail(const TAnswerStatus& status, int code) {
  owner_.ShowMessage(kCommunicationError, status.line1.c_str(), status.line2.c_str(), miStop);
  owner_.Notify(kEventRepository, code);
}

void CWebInterface::ReceiveLogin() {
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  EmptyLoginState();
  if (status.failStatus) {
    owner_.ShowMessage("Repository Login Failed", status.line2.c_str(), "", miInformation);
  } else if (!status.ok) {
    owner_.ShowMessage(kCommunicationError, status.line1.c_str(), status.line2.c_str(), miStop);
  } else {
    char token[kTokenHigh + 1] = {}, id[kUserIdHigh + 1] = {}, name[kUserNameHigh + 1] = {},
                            rights[kAccessHigh + 1] = {};
    const char* missing = nullptr;
    if (!GetText(answer_, "user_token", token) || !token[0]) missing = "user_token";
    else if (!GetText(answer_, "user_id", id) || !id[0]) missing = "user_id";
    else if (!GetText(answer_, "user_name", name)) missing = "user_name";
    else if (!GetText(answer_, "access", rights)) missing = "access";
    // The token travels in a header and the id names the cache folder: both
    // must be plain file-name characters.
    const char* invalid = missing ? nullptr : !IsSafeId(token) ? "user_token" : !IsSafeId(id) ? "user_id" : nullptr;
    if (missing) {
      owner_.ShowMessage(kCommunicationError, "Missing keyword:", missing, miStop);
    } else if (invalid) {
      owner_.ShowMessage(kCommunicationError, "Invalid keyword:", invalid, miStop);
    } else {
      CopyInto(kTokenHigh, userToken, token);
      CopyInto(kUserIdHigh, userId, id);
      CopyInto(kUserNameHigh, userName, name);
      CopyInto(kAccessHigh, access, rights);
    }
  }
  owner_.Notify(kEventLoginState, ncAnswerUnreadable);
}

void CWebInterface::ReceiveChangePassword() {
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  if (!status.ok) {
    if (status.failStatus)
      owner_.ShowMessage("Change Repository Password Failed", status.line2.c_str(), "", miInformation);
    else owner_.ShowMessage(kCommunicationError, status.line1.c_str(), status.line2.c_str(), miStop);
    EmptyLoginState();
  }
  owner_.Notify(kEventLoginState, ncAnswerUnreadable);
}

void CWebInterface::ReceiveList() {
  ClearObjectList();
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  if (!status.ok) return Fail(status, ncListFailed);
  std::uint32_t count = 0;
  answer_.GetMemberCount(count);
  bool any = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    char token[sjson::kNameLength + 1] = {};
    int32_t memberKind = 0;
    if (!GetMemberNameText(answer_, i, token, memberKind) || memberKind != sjson::jkRecord) continue;
    any = true;
    // An object whose token or users could not name cache files is left out.
    if (std::strlen(token) > kObjectTokenLength || !IsSafeId(token) || !answer_.EnterRecord(token)) continue;
    auto* object = new CWebObjectListElem;
    CopyInto(kObjectTokenLength, object->token, token);
    const char* badKey = nullptr;
    const bool safe = ReadObjectSummary(answer_, *object, badKey);
    answer_.Leave();
    if (safe) objectList.Append(object);
    else delete object;
  }
  if (!any) owner_.ShowMessage(kProcessed, kEmpty, "", miInformation);
  owner_.Notify(kEventRepository, ncListOk);
}

void CWebInterface::ReceiveContribute() {
  ClearObjectList();
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  if (!status.ok) return Fail(status, ncContributeFailed);
  std::uint32_t count = 0;
  answer_.GetMemberCount(count);
  if (count < 2) {
    owner_.ShowMessage(kProcessed, kEmpty, "", miInformation);
    owner_.Notify(kEventRepository, ncContributeFailed);
    return;
  }
  char token[sjson::kNameLength + 1] = {};
  int32_t memberKind = 0;
  GetMemberNameText(answer_, 1, token, memberKind);
  if (memberKind == sjson::jkRecord) {
    const bool safeToken = std::strlen(token) <= kObjectTokenLength && IsSafeId(token);
    auto* object = new CWebObjectListElem;
    CopyInto(kObjectTokenLength, object->token, token);
    const char* badKey = safeToken ? nullptr : "token";
    if (safeToken && answer_.EnterRecord(token)) {
      ReadObjectSummary(answer_, *object, badKey);
      answer_.Leave();
    }
    if (badKey) {
      delete object;
      owner_.ShowMessage(kCommunicationError, "Invalid keyword:", badKey, miStop);
      owner_.Notify(kEventRepository, ncContributeFailed);
      return;
    }
    objectList.Append(object);
  }
  owner_.Notify(kEventRepository, ncContributeOk);
}

void CWebInterface::ReceiveSimple(int okCode, int failCode, const char* okLine) {
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  if (!status.ok) return Fail(status, failCode);
  owner_.ShowMessage(kProcessed, okLine, "", miInformation);
  owner_.Notify(kEventRepository, okCode);
}

void CWebInterface::ReceiveGetObjectData() {
  const TAnswerStatus status = CheckAnswerStatus(answer_);
  if (!status.ok) return Fail(status, ncDataFailed);
  Trace("ReceiveGetObjectData ENTER");
  const char* failure = nullptr;
  if (!StoreObjectData(failure)) {
    Trace("ReceiveGetObjectData EXIT FAIL");
    owner_.ShowMessage(kCommunicationError, "Internal Error: ReceiveGetObjectData", failure, miStop);
    owner_.Notify(kEventRepository, ncDataFailed);
    return;
  }
  Trace("ReceiveGetObjectData EXIT OK");
  owner_.Notify(kEventRepository, ncDataStored);
}

// Makes the cache root and the user's folder when missing. The first stored
// answer of a download cycle (renameCache) keeps the object's cached files
// as ".bak" first: they are copied, not moved, so that every version stays
// loadable until its replacement has been written completely.
bool CWebInterface::PrepareCacheFolder() {
  const std::string root = config.cacheRoot + kCacheFolderName + "/";
  const std::string user = UserCacheFolder();
  const bool backUp = renameCache;
  renameCache = false;
  if (!IsFolder(root)) {
    Trace("  Creating global directory = ", root);
    if (!MakeFolder(root)) return false;
    Trace("  Creating directory for the user = ", user);
    return MakeFolder(user);
  }
  if (!IsFolder(user)) {
    Trace("  Creating directory for the user = ", user);
    return MakeFolder(user);
  }
  Trace("  Directory exists Path = ", user);
  if (backUp) BackUpCacheFiles(user);
  return true;
}

void CWebInterface::BackUpCacheFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string prefix = std::string(objectToken) + "_";
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file(ec) || name.size() < prefix.size() + 5 || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - 5, 5, ".json") != 0)
      continue;
    const std::string path = folder + name;
    const std::string backup = path.substr(0, path.size() - 5) + ".bak";
    // The copy replaces an older backup in one step.
    Trace("  Copying: ", path);
    Trace("        To: ", backup);
    std::string bytes;
    if (FIO::ReadWholeFileA(High(path), path.c_str(), kMaxCacheFileBytes, bytes) == FIO::WholeFile::ok)
      FIO::ReplaceFileContentsA(High(backup), backup.c_str(), bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                false);
  }
}

bool CWebInterface::StoreObjectData(const char*& failure) {
  if (!answer_.EnterRecord(objectToken)) {
    failure = "Reposnes does not contain ObjectToken record";
    return false;
  }
  const CWebObjectListElem* summary = FirstObject();
  if (!summary) {
    failure = "WebObjectList empty";
    return false;
  }
  const char* owner = nullptr;
  if (contributorIndex < 0) owner = summary->publisher;
  else if (static_cast<std::size_t>(contributorIndex) < summary->contributors.size())
    owner = summary->contributors[contributorIndex].c_str();
  if (!owner) {
    failure = "ContributorIndex overflow";
    return false;
  }
  // Every part of the path must stay inside the cache folder: the ids are
  // checked before any folder or file name is made of them.
  if (!IsSafeId(userId) || !IsSafeId(objectToken) || !IsSafeId(owner)) {
    failure = "Invalid user id or object token";
    return false;
  }
  if (!PrepareCacheFolder()) {
    failure = "Cannot create file";
    return false;
  }
  sjson::CJSON cache;
  cache.InitRoot(false);
  CopyCacheMembers(answer_, cache);
  sjson::TJSONText text;
  cache.Write(&text);
  const std::string path = UserCacheFolder() + objectToken + "_" + owner + ".json";
  Trace("  Data File Path = ", path);
  // Written to a temporary file and renamed into place: a failed write
  // leaves the previous version.
  const bool written = FIO::ReplaceFileContentsA(High(path), path.c_str(), text.data,
                                                 static_cast<std::uint32_t>(text.length), false);
  sjson::DoneText(text);
  if (!written) {
    Trace("  FIO.Create failed");
    failure = "Cannot create file";
  }
  return written;
}

}  // namespace ombrix_web
