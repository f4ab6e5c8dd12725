// ombrix_web::CWebInterface: the repository client. It builds each request,
// hands it to a runner that performs it away from the caller's thread, and
// when the runner reports completion on the owner's thread it checks the
// answer, shows the messages through its owner and notifies the owner with
// an event code. It holds the login state, the object list of the last list
// or contribute answer and the state of a download cycle, and stores the
// answers of get-object-data in the repository cache.
//
// The window glue (a worker thread that posts its result to a window) lives
// with the program; the command-line tool runs requests inline. Nothing here
// knows a window.
#pragma once

#include <cstdint>
#include <string>

#include <corekit/vlist.h>

#include "ombrix_net/http_worker.h"
#include "ombrix_net/sjson.h"
#include "ombrix_net/web_protocol.h"

namespace ombrix_data {
class CObjectListElem;
}

namespace ombrix_web {

// Event kinds and codes of the notifications to the owner.
inline constexpr int kEventLoginState = 4096;  // code 5000: the login state may have changed
inline constexpr int kEventRepository = 8192;  // codes 5000 ... 5010
enum TNotifyCode : int {
  ncAnswerUnreadable = 5000,  // with kEventRepository; kEventLoginState uses 5000 too
  ncListOk = 5001,
  ncListFailed = 5002,
  ncPublishOk = 5003,
  ncPublishFailed = 5004,
  ncUnpublishOk = 5005,
  ncUnpublishFailed = 5006,
  ncContributeOk = 5007,
  ncContributeFailed = 5008,
  ncDataStored = 5009,
  ncDataFailed = 5010,
};

enum TMessageIcon : std::uint8_t { miStop, miExclamation, miQuestion, miInformation };

// Folder of the cache below the settings' root path.
inline constexpr const char* kCacheFolderName = "OMBRIX Web Repository Cache";
// Cache files above this size are not read.
inline constexpr std::uint64_t kMaxCacheFileBytes = 0x1000000;

// A user's cache folder: cacheRoot (the settings' root path, ending with "/")
// + kCacheFolderName + "/" + userId + "/".
std::string UserCacheFolderOf(const std::string& cacheRoot, const char* userId);

// What the client tells its owner.
class IWebOwner {
 public:
  virtual ~IWebOwner() = default;
  // A modal message box: caption and one or two lines (line2 may be empty).
  virtual void ShowMessage(const char* caption, const char* line1, const char* line2, TMessageIcon icon) = 0;
  virtual void Notify(int kind, int code) = 0;
};

class CWebInterface;

// Performs a client's request. Start returns at once or after the transfer;
// either way the runner must, on the owner's thread and after the transfer,
// call client.Complete(result). Between Start and Complete the transfer may
// read client.request and write client.response, and nothing else.
class IRequestRunner {
 public:
  virtual ~IRequestRunner() = default;
  virtual void Start(CWebInterface& client) = 0;
};

// Runs each request on the calling thread and completes it before Start
// returns: for the command-line tool and tests, which have no window. A
// request started while another one completes (the next step of a flow,
// started from a notification) runs once that completion has returned, so
// a long chain of requests runs as a loop rather than as ever deeper calls.
class CInlineRequestRunner : public IRequestRunner {
 public:
  void Start(CWebInterface& client) override;

 private:
  CWebInterface* next_ = nullptr;  // a request started during a completion (not owned)
  bool completing_ = false;        // a completion runs further up the stack
};

// Repository settings handed to the client.
struct TWebConfig {
  char serverHost[kServerHigh + 1] = {};   // host[:port], or "https://host[:port]"
  char serverPath[kServerHigh + 1] = "/";  // begins and ends with "/"
  bool useEncryptedPassword = true;
  std::string cacheRoot;  // the settings' root path, ending with "/"
};

class CWebInterface {
 public:
  CWebInterface(IWebOwner& owner, IRequestRunner& runner);
  ~CWebInterface();
  CWebInterface(const CWebInterface&) = delete;
  CWebInterface& operator=(const CWebInterface&) = delete;

  TWebConfig config;

  // Login state; all empty when logged out.
  char userToken[kTokenHigh + 1] = {};
  char userId[kUserIdHigh + 1] = {};
  char userName[kUserNameHigh + 1] = {};
  char access[kAccessHigh + 1] = {};

  char objectToken[kObjectTokenLength + 1] = {};  // object the current request concerns
  vlist::CList objectList;                        // CWebObjectListElem of the last list/contribute answer
  int contributorIndex = -1;                      // download cycle: -1 publisher, else contributor index
  bool renameCache = false;                       // the next stored answer keeps older files as ".bak"

  // The request while it runs; written by the request starters only.
  TRequestKind kind = rkNone;
  bool expectBody = true;  // a JSON answer (200) rather than none (204)
  THttpRequest request;
  std::string response;  // the body, filled by the runner

  bool IsLoggedIn() const { return userToken[0] != '\0'; }
  bool IsReady() const { return !busy_; }

  // Each starts one request and returns false, starting nothing, while
  // another runs (or when the object has no safe token).
  bool Login(const char* user, const char* password);
  bool Logout();
  bool ChangePassword(const char* newPassword);
  bool ListObjects();
  bool PublishObject(const ombrix_data::CObjectListElem& object, bool contribute);
  bool UnpublishObject(const ombrix_data::CObjectListElem& object);
  bool GetObjectData(const char* dataUserId);

  // The transfer has ended: interpret the answer (on the owner's thread).
  void Complete(THttpResult result);

  void EmptyLoginState();
  void ClearObjectList();
  // The first object of the list: the summary of a contribute answer.
  CWebObjectListElem* FirstObject() const;
  // The logged-in user's cache folder, ending with "/".
  std::string UserCacheFolder() const;

 private:
  bool Start(TRequestKind requestKind, sjson::CJSON* body);
  void AddPassword(sjson::CJSON& doc, const char* name, const char* password);
  void Fail(const TAnswerStatus& status, int code);
  void ReceiveLogin();
  void ReceiveChangePassword();
  void ReceiveList();
  void ReceiveContribute();
  void ReceiveSimple(int okCode, int failCode, const char* okLine);
  void ReceiveGetObjectData();
  bool StoreObjectData(const char*& failure);
  bool PrepareCacheFolder();
  void BackUpCacheFiles(const std::string& folder);

  IWebOwner& owner_;
  IRequestRunner& runner_;
  bool busy_ = false;    // a request runs
  sjson::CJSON answer_;  // the parsed answer of the last request
};

}  // namespace ombrix_web
