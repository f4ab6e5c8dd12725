// A small HTTP server on 127.0.0.1 at an ephemeral port that answers each
// path with a prepared status, body and headers, and records the request
// lines it got. One connection at a time, "Connection: close".
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ombrix_test {

class CHttpStandIn {
 public:
  struct TAnswer {
    int status = 200;
    std::string body;
    std::string headers;  // extra header lines, each ended by CR LF
  };

  CHttpStandIn() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    socklen_t size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~CHttpStandIn() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  CHttpStandIn(const CHttpStandIn&) = delete;
  CHttpStandIn& operator=(const CHttpStandIn&) = delete;

  // The answer for a path (with its query); other paths get 404.
  void Set(const std::string& path, TAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_[path] = std::move(answer);
  }
  // Answers every path not set with this one.
  void SetDefault(TAnswer answer) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(answer);
    hasFallback_ = true;
  }
  // "http://127.0.0.1:PORT"
  std::string Server() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Request targets received, in order ("/path?query").
  std::vector<std::string> Paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
  }
  // The header block of the last request.
  std::string LastHeaders() const {
    std::lock_guard lock(mutex_);
    return lastHeaders_;
  }

 private:
  void Serve() {
    for (;;) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      std::string request;
      char buffer[4096];
      // The header block, then the body its Content-Length announces: a
      // connection closed with unread data would be reset under the client.
      std::size_t expected = std::string::npos;
      while (request.size() < expected) {
        const ssize_t n = read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos && expected == std::string::npos) {
          const std::size_t length = request.find("Content-Length: ");
          expected = end + 4 + (length < end ? std::stoul(request.substr(length + 16)) : 0);
        }
      }
      const std::size_t start = request.find(' ') + 1;
      const std::string path = request.substr(start, request.find(' ', start) - start);
      TAnswer answer{404, "", ""};
      {
        std::lock_guard lock(mutex_);
        paths_.push_back(path);
        lastHeaders_ = request.substr(0, request.find("\r\n\r\n"));
        const auto found = answers_.find(path);
        if (found != answers_.end()) answer = found->second;
        else if (hasFallback_) answer = fallback_;
      }
      const std::string text = "HTTP/1.1 " + std::to_string(answer.status) + " X\r\n" + answer.headers +
                               "Content-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                               std::to_string(answer.body.size()) + "\r\n\r\n" + answer.body;
      for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t n = write(client, text.data() + sent, text.size() - sent);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      close(client);
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, TAnswer> answers_;
  TAnswer fallback_;
  bool hasFallback_ = false;
  std::vector<std::string> paths_;
  std::string lastHeaders_;
};

}  // namespace ombrix_test
