// The repository dialogs, commands and worker glue of the main window.
#include "ombrix_app/repository.h"

#include <ombrix_field/object.h>
#include <runbase/fixed_text.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "dialog_layout.h"
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

using namespace layout;

constexpr int kWidth = 400;
constexpr int kHeight = 230;
constexpr int kLineHeight = 18;
constexpr int kLabelWidth = 150;
constexpr std::uint32_t kObjectsListId = 300;

const char* const kExplanation[4] = {
    "Web repository can be used to synchronize object parameters,",
    "including series data. Objects marked as \"Synchronized with Repository\"",
    "will be uploaded to defined repository and similarly updates from",
    "other users will be downloaded to the local files.",
};

// Commands that need a login.
const std::uint32_t kLoggedInCommands[] = {cmChangePassword,           cmLogout,  cmSyncField, cmRepoAddObjects,
                                           cmRepoInsertObjects,        cmPublish, cmUnpublish, cmSyncObject,
                                           cmSelectSeriesByContributor};

template <std::size_t N>
std::string Text(const char (&array)[N]) {
  return std::string(FixedText::View(N - 1, array));
}

template <std::size_t N>
void Store(char (&array)[N], const char* text) {
  std::memset(array, 0, N);
  std::memcpy(array, text, std::min(std::strlen(text), N));  // a full array carries no terminator
}

// One "label: edit box" row of a dialog.
void Row(vwin::COKCancelDialog& d, vcont::CStaticText& label, vcont::CEditBox& box, int y, const char* text,
         const char* initial, int maxLength, bool hidden) {
  label.Init(&d, Box(kGap, y + 3, kLabelWidth, kLineHeight), text);
  box.Init(&d, Box(kGap + kLabelWidth, y, kWidth - 2 * kGap - kLabelWidth, kRowHeight), 0, initial, maxLength);
  box.SetPassword(hidden);
}

}  // namespace

// ---------------------------------------------------------------- dialogs

bool CWebRepositoryDialog::Init(const TSettings& settings) {
  if (!InitDialog(*this, "Web repository parameters", kWidth, kHeight)) return false;
  for (int i = 0; i < 4; ++i)
    lines[i].Init(this, Box(kGap, kGap + i * kLineHeight, kWidth - 2 * kGap, kLineHeight), kExplanation[i]);
  int y = kGap + 4 * kLineHeight + kGap;
  const std::string shown = Text(settings.webRepositoryServer) + Text(settings.webRepositoryPath);
  Row(*this, urlLabel, url, y, "Web repository URL:", shown.c_str(), static_cast<int>(ombrix_web::kServerHigh), false);
  y += kRowHeight + 4;
  Row(*this, userLabel, user, y, "User name:", Text(settings.webRepositoryUser).c_str(), 64, false);
  y += kRowHeight + 4;
  encrypted.Init(this, Box(kGap, y, kWidth - 2 * kGap, kRowHeight), 0, "Use encrypted password");
  encrypted.SetChecked(settings.useEncryptedPassword);
  y += kRowHeight + 4;
  Row(*this, passwordLabel, password, y, "Password", "", 64, true);
  url.SetFocus();
  return true;
}

bool EditWebRepository(TSettings& settings) {
  CWebRepositoryDialog dialog;
  if (!dialog.Init(settings) || !dialog.Exec()) return false;
  char url[ombrix_web::kServerHigh + 1] = {}, user[65] = {}, password[65] = {};
  dialog.url.GetText(ombrix_web::kServerHigh, url);
  dialog.user.GetText(64, user);
  dialog.password.GetText(64, password);
  char host[ombrix_web::kServerHigh + 1], path[ombrix_web::kServerHigh + 1];
  ombrix_web::SplitRepositoryUrl(url, host, path);
  Store(settings.webRepositoryServer, host);
  Store(settings.webRepositoryPath, path);
  Store(settings.webRepositoryUser, user);
  settings.useEncryptedPassword = dialog.encrypted.IsChecked();
  if (password[0] != '\0') Store(settings.webRepositoryPassword, password);
  return true;
}

bool CRepositoryPasswordDialog::Init() {
  if (!InitDialog(*this, "Change repository password", kWidth, 3 * (kRowHeight + 4) + kGap)) return false;
  Row(*this, currentLabel, current, kGap, "Repository password:", "", 64, true);
  Row(*this, newLabel, newPassword, kGap + kRowHeight + 4, "New password:", "", 64, true);
  Row(*this, confirmLabel, confirm, kGap + 2 * (kRowHeight + 4), "Confirm new password:", "", 64, true);
  current.SetFocus();
  return true;
}

bool CRepositoryPasswordDialog::CanOK() {
  char a[65] = {}, b[65] = {};
  newPassword.GetText(64, a);
  confirm.GetText(64, b);
  if (std::strcmp(a, b) == 0) return true;
  vdlg::DoMessageBox("Cannot change repository password", "New password differs from confirmation", nullptr, nullptr,
                     vdlg::mbOK, vstock::siStop);
  return false;
}

vstock::TStockIcon StockIcon(ombrix_web::TMessageIcon icon) {
  switch (icon) {
    case ombrix_web::miStop: return vstock::siStop;
    case ombrix_web::miExclamation: return vstock::siRedExclamation;
    case ombrix_web::miQuestion: return vstock::siQuestion;
    default: return vstock::siInformation;
  }
}

// ---------------------------------------------------------------- add objects

bool CAddRepositoryObjectsDialog::Init(const vlist::CList& listed) {
  constexpr int kSide = 480;
  if (!InitDialog(*this, "Add Object(s) from Web Repository", kSide, kSide)) return false;
  list.Init(this, Box(kGap, kGap, kSide - 2 * kGap, kSide - 2 * kGap), kObjectsListId);
  int i = 0;
  for (auto* e = static_cast<const ombrix_web::CWebObjectListElem*>(listed.first); e;
       e = static_cast<const ombrix_web::CWebObjectListElem*>(e->next), ++i) {
    list.AddItem(ombrix_web::RepositoryListLine(*e).c_str());
    const bool choosable = ombrix_web::IsChoosable(*e);
    choosable_.push_back(choosable);
    if (choosable)
      list.SetItemChecked(i, e->selected);
    else
      list.SetItemColor(i, ombrix_web::kUnavailableLineColour);
  }
  return true;
}

void CAddRepositoryObjectsDialog::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.code == kObjectsListId && event.data == vcore::cnActivated) {
    StopEvent(event);
    const int at = list.Selection();
    if (at >= 0 && at < static_cast<int>(choosable_.size()) && choosable_[at])
      list.SetItemChecked(at, !list.IsItemChecked(at));
    return;
  }
  COKCancelDialog::ReceiveEvent(event);
}

void CAddRepositoryObjectsDialog::Store(vlist::CList& listed) const {
  int i = 0;
  for (auto* e = static_cast<ombrix_web::CWebObjectListElem*>(listed.first); e;
       e = static_cast<ombrix_web::CWebObjectListElem*>(e->next), ++i)
    e->selected = i < static_cast<int>(choosable_.size()) && choosable_[i] && list.IsItemChecked(i);
}

// ---------------------------------------------------------------- status panel

bool CRepositoryStatusPanel::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!view::CNodeView::Init(parent, rect)) return false;
  for (vcont::CStaticText& line : lines) line.Init(this, vcom::CRect(0, 0, 0, 0), "");
  NewRect(rect);
  return true;
}

void CRepositoryStatusPanel::NewRect(const vcom::CRect& rect) {
  for (int i = 0; i < kLineCount; ++i)
    lines[i].SetRect(vcom::CRect(4, 2 + i * kLineHeight, rect.width - 4, kLineHeight));
}

void CRepositoryStatusPanel::Show(const ombrix_web::CWebInterface* client, const TSettings& settings) {
  const bool in = client && client->IsLoggedIn();
  const bool busy = client && !client->IsReady();
  lines[0].SetText(in ? "ONLINE" : "OFFLINE");
  lines[0].SetColor(in ? kGoodColor : kWaitColor);
  lines[1].SetText(busy ? "BUSY" : in ? "READY" : "N/A");
  lines[1].SetColor(busy ? kWaitColor : in ? kGoodColor : kUnusedColor);
  const std::string server = client ? std::string(client->config.serverHost) + client->config.serverPath
                                    : Text(settings.webRepositoryServer) + Text(settings.webRepositoryPath);
  lines[2].SetText(("User: " + std::string(client ? client->userId : "")).c_str());
  lines[3].SetText(("Name: " + std::string(client ? client->userName : "")).c_str());
  lines[4].SetText(("Rights: " + std::string(client ? client->access : "")).c_str());
  lines[5].SetText(("Server: " + server).c_str());
}

// ---------------------------------------------------------------- link

CRepositoryLink::CRepositoryLink(COmbrix& window) : window_(window) {
  cache_.io = &window_.userIO;
  ombrix_data::SetRepositorySeriesSource(&cache_);
}

CRepositoryLink::~CRepositoryLink() {
  if (worker_.joinable()) worker_.join();
  if (ombrix_data::RepositorySeriesSource() == &cache_) ombrix_data::SetRepositorySeriesSource(nullptr);
}

void CRepositoryLink::UpdateCacheRoot() {
  cache_.cacheRoot = Text(window_.settings.rootPath);
  if (!cache_.cacheRoot.empty() && cache_.cacheRoot.back() != '/') cache_.cacheRoot += '/';
}

void CRepositoryLink::UpdateMenus() {
  const bool in = IsLoggedIn();
  const bool busy = IsBusy();
  window_.EnableCommand(cmLogin, !in && !busy);
  window_.EnableCommand(cmDefineRepository, !in && !busy);
  for (std::uint32_t c : kLoggedInCommands) window_.EnableCommand(c, in && (!busy || c == cmChangePassword));
  if (window_.pane.repositoryStatus.IsInitialized()) window_.pane.repositoryStatus.Show(web_.get(), window_.settings);
}

bool CRepositoryLink::Command(std::uint32_t command) {
  switch (command) {
    case cmLogin: Login(); break;
    case cmChangePassword: ChangePassword(); break;
    case cmLogout:
      if (web_) web_->Logout();
      break;
    case cmDefineRepository: EditWebRepository(window_.settings); break;
    case cmPublish: case cmUnpublish: case cmSyncObject: case cmSyncField:
    case cmRepoAddObjects: case cmRepoInsertObjects:
      RunFlow(command);
      break;
    default: return false;
  }
  UpdateMenus();
  return true;
}

void CRepositoryLink::Login() {
  if (!web_) {
    CreatePeerWindow();
    web_ = std::make_unique<ombrix_web::CWebInterface>(*this, *this);
    sync_ = std::make_unique<ombrix_web::CRepositorySync>(*web_, window_.pane.field, *this, window_.userIO);
  }
  const TSettings& s = window_.settings;
  ombrix_web::TWebConfig& config = web_->config;
  std::snprintf(config.serverHost, sizeof config.serverHost, "%s", Text(s.webRepositoryServer).c_str());
  std::snprintf(config.serverPath, sizeof config.serverPath, "%s", Text(s.webRepositoryPath).c_str());
  config.useEncryptedPassword = s.useEncryptedPassword;
  UpdateCacheRoot();
  config.cacheRoot = cache_.cacheRoot;
  web_->Login(Text(s.webRepositoryUser).c_str(), Text(s.webRepositoryPassword).c_str());
}

void CRepositoryLink::ChangePassword() {
  if (!IsLoggedIn()) return;
  CRepositoryPasswordDialog dialog;
  if (!dialog.Init() || !dialog.Exec()) return;
  char current[65] = {}, fresh[65] = {};
  dialog.current.GetText(64, current);
  dialog.newPassword.GetText(64, fresh);
  if (Text(window_.settings.webRepositoryPassword) != current) {
    vdlg::DoMessageBox("Cannot change repository password", "Current password does not match", nullptr, nullptr,
                       vdlg::mbOK, vstock::siStop);
    return;
  }
  web_->ChangePassword(fresh);
}

bool CRepositoryLink::RequireLogin() {
  if (IsLoggedIn()) return true;
  vdlg::DoMessageBox("Web Repository Offline", "Login to some web repository prior",
                     "to manipulation with shared objects.", nullptr, vdlg::mbOK, vstock::siRedExclamation);
  return false;
}

void CRepositoryLink::RunFlow(std::uint32_t command) {
  if (!RequireLogin()) return;
  ombrix_data::CObjectListElem* object = window_.pane.SelectedObject();
  switch (command) {
    case cmPublish:
      if (object) sync_->Publish(object);
      break;
    case cmUnpublish:
      if (object) sync_->Unpublish(object);
      break;
    case cmSyncObject: sync_->SynchronizeObject(object); break;
    case cmSyncField: sync_->SynchronizeField(); break;
    case cmRepoAddObjects: sync_->AddObjects(false); break;
    case cmRepoInsertObjects: sync_->AddObjects(true); break;
    default: break;
  }
}

void CRepositoryLink::ShowMessage(const char* caption, const char* line1, const char* line2,
                                  ombrix_web::TMessageIcon icon) {
  vdlg::DoMessageBox(caption, line1, line2, nullptr, vdlg::mbOK, StockIcon(icon));
}

void CRepositoryLink::Notify(int kind, int code) {
  if (sync_ && kind == ombrix_web::kEventRepository) sync_->OnNotification(code);
  UpdateMenus();
}

// ---------------------------------------------------------------- flows

void CRepositoryLink::ObjectSynchronized(ombrix_data::CObjectListElem& object) {
  COmbrixPane& pane = window_.pane;
  // Its repository series were just replaced: nothing on screen may keep
  // pointing at the old ones.
  pane.ForgetShownData();
  if (pane.SelectedObject() == &object)
    pane.RefreshSeriesList();
  else
    pane.SelectObject(pane.field.IndexOf(&object));
  pane.RefreshObjectList();
  window_.UpdateStatusBar();
}

void CRepositoryLink::FieldChanged() { window_.Command(cmFieldChanged); }

void CRepositoryLink::ObjectListChanged() { window_.pane.RefreshObjectList(); }

void CRepositoryLink::RepositoryStatusChanged() { UpdateMenus(); }

bool CRepositoryLink::ChooseRepositoryObjects(vlist::CList& listed) {
  CAddRepositoryObjectsDialog dialog;
  const bool accepted = dialog.Init(listed) && dialog.Exec();
  if (accepted) dialog.Store(listed);
  dialog.Done();
  return accepted;
}

ombrix_data::CObjectListElem* CRepositoryLink::SelectedObject() { return window_.pane.SelectedObject(); }

void CRepositoryLink::Start(ombrix_web::CWebInterface& client) {
  if (worker_.joinable()) worker_.join();  // the previous request has ended: its message arrived
  const vcore::THandle window = Handle();
  // The worker reads only the request and writes only the response; the
  // result travels in the message.
  worker_ = std::thread([&client, window] {
    const ombrix_web::THttpResult result = ombrix_web::RunHttpRequest(client.request, client.response);
    vcore::PostMessageA(window, kRepositoryRequestDone, result);
  });
  UpdateMenus();
}

int64_t CRepositoryLink::ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) {
  if (msg != kRepositoryRequestDone) return view::CEventHandler::ReceiveMsg(msg, wParam, lParam);
  if (worker_.joinable()) worker_.join();
  const auto result = static_cast<ombrix_web::THttpResult>(wParam);
  if (web_) web_->Complete(result);
  // An unreachable server gives no notification: the flow ends here.
  if (sync_ && result != ombrix_web::hrOk) sync_->EndFlow();
  UpdateMenus();
  return 0;
}

}  // namespace ombrix_app
