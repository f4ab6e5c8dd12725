// The VSX query and the version check of the main window.
#include "ombrix_app/lookups.h"

#include <runbase/fixed_text.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

template <std::size_t N>
std::string Text(const char (&array)[N]) {
  return std::string(FixedText::View(N - 1, array));
}

const char* LineOrNull(const std::string& line) { return line.empty() ? nullptr : line.c_str(); }

}  // namespace

// ------------------------------------------------------------ VSX

CVsxLookup::~CVsxLookup() {
  if (worker_.joinable()) worker_.join();
}

void CVsxLookup::Start(std::uint32_t command) {
  if (running_) return;
  const COmbrixPane& pane = window_.pane;
  ombrix_web::TVsxStart start = ombrix_web::TVsxStart::unknownField;
  if (command == cmVsxAll) {
    start = ombrix_web::VsxQueryOfField(pane.field, box_);
  } else {
    const ombrix_data::CObjectListElem* object = pane.SelectedObject();
    if (!object && pane.field.Count() == 1) object = pane.field.First();
    if (!object) return;
    start = ombrix_web::VsxQueryOfObject(*object, box_);
  }
  if (start == ombrix_web::TVsxStart::unknownField) {
    Show(ombrix_web::VsxUnknownCoordinatesMessage());
    return;
  }
  if (start == ombrix_web::TVsxStart::unknownObject) {
    Finish(ombrix_web::hrNoQuery);  // nothing is sent
    return;
  }
  if (!Handle()) CreatePeerWindow();
  if (worker_.joinable()) worker_.join();
  running_ = true;
  response_.clear();
  const std::string server = Text(window_.settings.vsxServer);
  const vcore::THandle window = Handle();
  worker_ = std::thread([this, server, window] {
    const ombrix_web::THttpResult result = ombrix_web::RunVsxQuery(server, box_, response_);
    vcore::PostMessageA(window, kVsxQueryDone, result);
  });
}

int64_t CVsxLookup::ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) {
  if (msg != kVsxQueryDone) return view::CEventHandler::ReceiveMsg(msg, wParam, lParam);
  if (worker_.joinable()) worker_.join();
  Finish(static_cast<ombrix_web::THttpResult>(wParam));
  return 0;
}

void CVsxLookup::Finish(ombrix_web::THttpResult result) {
  running_ = false;
  vlist::CList stars;
  ombrix_web::TVsxMatch match;
  if (result == ombrix_web::hrOk) {
    ombrix_web::ReadVsxAnswer(response_, stars);
    match = ombrix_web::MatchVsxStars(window_.pane.field, stars);
    stars.DisposeList();
    if (match.matched > 0) {
      window_.pane.RefreshObjectList();
      window_.pane.metaDataPage.RefreshFixedFields();
      window_.pane.controls.ShowNumbers();
      window_.Command(cmFieldChanged);
    }
  }
  response_.clear();
  Show(ombrix_web::VsxResultMessage(result, match));
}

void CVsxLookup::Show(const ombrix_web::TVsxMessage& m) {
  vdlg::DoMessageBox(m.caption.c_str(), LineOrNull(m.lines[0]), LineOrNull(m.lines[1]), LineOrNull(m.lines[2]),
                     vdlg::mbOK, StockIcon(m.icon));
}

// ------------------------------------------------------------ version check

CVersionCheck::~CVersionCheck() {
  if (worker_.joinable()) worker_.join();
}

void CVersionCheck::Start() {
  const std::string url = Text(window_.settings.versionUrl);
  if (!window_.settings.checkVersion || url.empty() || worker_.joinable()) return;
  if (!Handle()) CreatePeerWindow();
  const vcore::THandle window = Handle();
  worker_ = std::thread([this, url, window] {
    const bool newer = ombrix_web::CheckForNewVersion(url, notice_);
    vcore::PostMessageA(window, kVersionCheckDone, newer ? 1 : 0);
  });
}

int64_t CVersionCheck::ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) {
  if (msg != kVersionCheckDone) return view::CEventHandler::ReceiveMsg(msg, wParam, lParam);
  if (worker_.joinable()) worker_.join();
  if (wParam == 0) return 0;  // the check never reports a failure
  if (!vwin::ShowTrayMessage(notice_.title.c_str(), notice_.text.c_str(), ombrix_web::kVersionNoticeTimeout)) {
    std::string line = notice_.title + ": " + notice_.text;
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    window_.statusBar.ShowMessage(line.c_str(), ombrix_web::kVersionNoticeTimeout);
  }
  return 0;
}

}  // namespace ombrix_app
