// The two look-ups of the main window that run on a worker thread: the VSX
// query ("Query VSX for all objects..." and "...for selected object...")
// and the check for a newer release at start. Each worker touches only its
// own buffers and posts one message back to the window thread.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

#include <ombrix_net/version_check.h>
#include <ombrix_net/vsx.h>
#include <winkit/winkit.h>

namespace ombrix_app {

class COmbrix;

inline constexpr std::uint32_t cmVsxAll = 1090;
// Messages posted by the workers; the first parameter is the result.
inline constexpr std::uint32_t kVsxQueryDone = 4926;
inline constexpr std::uint32_t kVersionCheckDone = 4928;

class CVsxLookup : public view::CEventHandler {
 public:
  explicit CVsxLookup(COmbrix& window) : window_(window) {}
  ~CVsxLookup() override;  // waits for a running query

  // 1090 or 1091; nothing happens while a query runs.
  void Start(std::uint32_t command);
  bool Running() const { return running_; }
  int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) override;

 private:
  void Finish(ombrix_web::THttpResult result);
  void Show(const ombrix_web::TVsxMessage& message);

  COmbrix& window_;
  ombrix_web::TVsxBox box_;
  std::string response_;  // written by the worker only while it runs
  std::thread worker_;
  bool running_ = false;
};

class CVersionCheck : public view::CEventHandler {
 public:
  explicit CVersionCheck(COmbrix& window) : window_(window) {}
  ~CVersionCheck() override;

  // Starts the check when the setting is on and a version URL is set.
  void Start();
  int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) override;

 private:
  COmbrix& window_;
  ombrix_web::TVersionNotice notice_;  // written by the worker only while it runs
  std::thread worker_;
};

}  // namespace ombrix_app
