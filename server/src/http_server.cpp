// The HTTP listener: every request under the prefix goes to the repository.
#include "ombrix_repo/http_server.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>

namespace ombrix_repo {

namespace {

constexpr std::size_t kWorkerThreads = 16;

void Answer(CRepository& repository, const std::string& prefix, bool post, const httplib::Request& request,
            httplib::Response& response) {
  if (request.path.rfind(prefix, 0) != 0) {
    response.status = 404;
    return;
  }
  const TRepoAnswer answer = repository.Handle(request.path.substr(prefix.size()), post,
                                               request.get_header_value("Authorization"), request.body);
  response.status = answer.status;
  if (!answer.body.empty()) response.set_content(answer.body, "application/json");
}

// The HTTP library listens with a backlog of 5, so a burst of observers
// connecting at once has its SYNs dropped and retried a second later. Listen
// again, with the system's largest backlog, on the socket bound to `port`.
void WidenBacklog(int port) {
  for (int fd = 0; fd < 4096; ++fd) {
    int listening = 0;
    socklen_t size = sizeof listening;
    sockaddr_storage address{};
    socklen_t addressSize = sizeof address;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0)
      continue;
    int boundPort = -1;
    if (address.ss_family == AF_INET) boundPort = ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6) boundPort = ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    if (boundPort == port) ::listen(fd, SOMAXCONN);
  }
}

}  // namespace

CRepoServer::CRepoServer() = default;

CRepoServer::~CRepoServer() { Stop(); }

bool CRepoServer::Start(CRepository& repository, const TServeOptions& options, std::string& error) {
  options_ = options;
  if (options_.prefix.empty() || options_.prefix.front() != '/') options_.prefix.insert(0, "/");
  if (options_.prefix.back() != '/') options_.prefix += '/';
  const bool secure = !options.certFile.empty() && !options.keyFile.empty();
  if (secure) server_ = std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str());
  else server_ = std::make_unique<httplib::Server>();
  if (!server_->is_valid()) {
    error = "cannot load the certificate or key";
    server_.reset();
    return false;
  }
  server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server_->set_payload_max_length(options_.maxBody);
  const std::string prefix = options_.prefix;
  server_->Get(".*", [&repository, prefix](const httplib::Request& q, httplib::Response& r) {
    Answer(repository, prefix, false, q, r);
  });
  server_->Post(".*", [&repository, prefix](const httplib::Request& q, httplib::Response& r) {
    Answer(repository, prefix, true, q, r);
  });
  if (options_.accessLog) {
    // Method, path and status only: headers carry the bearer token.
    server_->set_logger([](const httplib::Request& q, const httplib::Response& r) {
      std::fprintf(stderr, "%s %s %d\n", q.method.c_str(), q.path.c_str(), r.status);
    });
  }
  port_ = options.port == 0 ? server_->bind_to_any_port(options.host) : options.port;
  if (port_ <= 0 || (options.port != 0 && !server_->bind_to_port(options.host, options.port))) {
    error = "cannot listen on " + options.host + ":" + std::to_string(options.port);
    server_.reset();
    return false;
  }
  WidenBacklog(port_);
  httplib::Server* server = server_.get();
  thread_ = std::thread([server] { server->listen_after_bind(); });
  // stop() is lost on a server that has not begun to listen.
  for (int i = 0; i < 5000 && !server_->is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void CRepoServer::Stop() {
  if (!server_) return;
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

std::string CRepoServer::Address() const {
  const bool secure = !options_.certFile.empty() && !options_.keyFile.empty();
  return std::string(secure ? "https://" : "http://") + options_.host + ":" + std::to_string(port_) + options_.prefix;
}

}  // namespace ombrix_repo
