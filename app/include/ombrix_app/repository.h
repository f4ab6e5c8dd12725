// The web repository in the main window: the parameters and password
// dialogs, the repository commands with their menu states, and the glue
// that runs the client's requests on a worker thread and brings their
// completion back to the window thread as a posted message.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

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

// The repository commands of the main window and the client behind them.
// The client is made on the first login; one request runs at a time.
class CRepositoryLink : public view::CEventHandler, public ombrix_web::IWebOwner, public ombrix_web::IRequestRunner {
 public:
  explicit CRepositoryLink(COmbrix& window);
  ~CRepositoryLink() override;  // waits for a running request

  // Runs a repository command (1020 ... 1029); false for other commands.
  bool Command(std::uint32_t command);
  // Menu states: logged out, logged in and ready, or busy.
  void UpdateMenus();

  ombrix_web::CWebInterface* Client() const { return web_.get(); }
  bool IsLoggedIn() const { return web_ && web_->IsLoggedIn(); }
  bool IsBusy() const { return web_ && !web_->IsReady(); }

  void ShowMessage(const char* caption, const char* line1, const char* line2, ombrix_web::TMessageIcon icon) override;
  void Notify(int kind, int code) override;
  void Start(ombrix_web::CWebInterface& client) override;
  int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) override;

 private:
  void Login();
  void ChangePassword();
  void Publish();
  void Unpublish();
  bool RequireLogin();
  // The field object that the current request concerns, or null.
  ombrix_data::CObjectListElem* RequestObject() const;
  void ClearRequestToken();

  COmbrix& window_;
  std::unique_ptr<ombrix_web::CWebInterface> web_;  // made on the first login
  std::thread worker_;                              // the running or last request
};

}  // namespace ombrix_app
