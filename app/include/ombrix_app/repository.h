// The web repository in the main window: the parameters and password
// dialogs, the repository commands with their menu states, and the glue
// that runs the client's requests on a worker thread and brings their
// completion back to the window thread as a posted message.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include <ombrix_net/repository_cache.h>
#include <ombrix_net/repository_sync.h>
#include <ombrix_net/web_interface.h>
#include <winkit/winkit.h>

#include "ombrix_app/settings.h"

namespace ombrix_app {

class COmbrix;

// Message posted by the worker when a repository request has ended; the
// first parameter is the result code.
inline constexpr std::uint32_t kRepositoryRequestDone = 4927;

// "Web repository parameters": URL, user name, encrypted-password choice
// and password (masked, initially empty).
class CWebRepositoryDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const TSettings& settings);

  vcont::CStaticText lines[4];  // the explanation
  vcont::CStaticText urlLabel, userLabel, passwordLabel;
  vcont::CEditBox url, user, password;
  vcont::CCheckBox encrypted;
};

// Shows CWebRepositoryDialog; on OK stores host and path (split from the
// URL), user name, the check box and the password when one was typed.
bool EditWebRepository(TSettings& settings);

// The repository's state under the object list: "ONLINE"/"OFFLINE",
// "READY"/"BUSY"/"N/A", then user id, user name, rights and server.
class CRepositoryStatusPanel : public view::CNodeView {
 public:
  static constexpr int kLineCount = 6;
  static constexpr int kLineHeight = 16;
  static constexpr int kHeight = kLineCount * kLineHeight + 4;
  static constexpr vcolor::TColor kGoodColor = 0xff00bf00;     // ONLINE, READY
  static constexpr vcolor::TColor kWaitColor = 0xff0000bf;     // OFFLINE, BUSY
  static constexpr vcolor::TColor kUnusedColor = 0xff7f7f7f;   // N/A

  bool Init(view::CNodeView* parent, const vcom::CRect& rect);
  void NewRect(const vcom::CRect& rect) override;
  // The client's state (null before the first login); the server comes
  // from the client once it exists, else from the settings.
  void Show(const ombrix_web::CWebInterface* client, const TSettings& settings);

  vcont::CStaticText lines[kLineCount];
};

// "Change repository password": current, new and confirmation (masked).
// OK with a confirmation that differs keeps the dialog open.
class CRepositoryPasswordDialog : public vwin::COKCancelDialog {
 public:
  bool Init();
  bool CanOK() override;

  vcont::CStaticText currentLabel, newLabel, confirmLabel;
  vcont::CEditBox current, newPassword, confirm;
};

// The message-box icon of a network message.
vstock::TStockIcon StockIcon(ombrix_web::TMessageIcon icon);

// "Add Object(s) from Web Repository": one line per listed object; the
// published and imported ones grey and not choosable, the available ones
// with a tick that activating the line toggles.
class CAddRepositoryObjectsDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const vlist::CList& listed);
  void ReceiveEvent(vcore::TEvent& event) override;
  // Copies the ticks into the listed objects' selected flags.
  void Store(vlist::CList& listed) const;

  vcont::CListBox list;

 private:
  std::vector<bool> choosable_;  // per line
};

// The repository commands of the main window and the client behind them.
// The client is made on the first login; one request runs at a time. The
// flows (synchronization, adding objects, publishing) are the network
// library's driver; this class shows what it asks for.
class CRepositoryLink : public view::CEventHandler,
                        public ombrix_web::IWebOwner,
                        public ombrix_web::IRequestRunner,
                        public ombrix_web::IRepositorySyncListener {
 public:
  explicit CRepositoryLink(COmbrix& window);
  ~CRepositoryLink() override;  // waits for a running request

  // Runs a repository command (1020 ... 1029); false for other commands.
  bool Command(std::uint32_t command);
  // Menu states: logged out, logged in and ready, or busy.
  void UpdateMenus();
  // The user whose cache the field loader reads repository series from:
  // the logged-in user, else "" (no repository series).
  const char* CacheUser() const { return IsLoggedIn() ? web_->userId : ""; }
  // Keeps the cache folder in step with the root path setting.
  void UpdateCacheRoot();

  ombrix_web::CWebInterface* Client() const { return web_.get(); }
  bool IsLoggedIn() const { return web_ && web_->IsLoggedIn(); }
  bool IsBusy() const { return web_ && !web_->IsReady(); }

  void ShowMessage(const char* caption, const char* line1, const char* line2, ombrix_web::TMessageIcon icon) override;
  void Notify(int kind, int code) override;
  void Start(ombrix_web::CWebInterface& client) override;
  int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) override;

  void ObjectSynchronized(ombrix_data::CObjectListElem& object) override;
  void FieldChanged() override;
  void ObjectListChanged() override;
  void RepositoryStatusChanged() override;
  bool ChooseRepositoryObjects(vlist::CList& listed) override;
  ombrix_data::CObjectListElem* SelectedObject() override;

 private:
  void Login();
  void ChangePassword();
  bool RequireLogin();
  // Runs a flow of the driver after the login check.
  void RunFlow(std::uint32_t command);

  COmbrix& window_;
  std::unique_ptr<ombrix_web::CWebInterface> web_;  // made on the first login
  std::unique_ptr<ombrix_web::CRepositorySync> sync_;  // the flows, with the client
  ombrix_web::CRepositoryCache cache_;                 // repository series for the field loader
  std::thread worker_;                                 // the running or last request
};

}  // namespace ombrix_app
