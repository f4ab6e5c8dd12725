// The repository behind an HTTP (or, given a certificate, HTTPS) listener.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "ombrix_repo/repository.h"

namespace httplib {
class Server;
}

namespace ombrix_repo {

// Request bodies above this are refused with 413.
inline constexpr std::size_t kMaxRequestBody = std::size_t{64} << 20;

struct TServeOptions {
  std::string host = "127.0.0.1";
  int port = 0;              // 0: any free port
  std::string prefix = "/";  // path in front of "api/v1/...", begins and ends with "/"
  std::string certFile;      // both set: HTTPS
  std::string keyFile;
  std::size_t maxBody = kMaxRequestBody;
  bool accessLog = false;  // one line per request on standard error (never a token or body)
};

class CRepoServer {
 public:
  CRepoServer();
  ~CRepoServer();
  CRepoServer(const CRepoServer&) = delete;
  CRepoServer& operator=(const CRepoServer&) = delete;

  // Binds and starts serving on a thread of its own.
  bool Start(CRepository& repository, const TServeOptions& options, std::string& error);
  // Stops accepting, finishes running requests and joins the thread.
  void Stop();

  int Port() const { return port_; }
  // "http://host:port/prefix/"
  std::string Address() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  TServeOptions options_;
  int port_ = 0;
};

}  // namespace ombrix_repo
