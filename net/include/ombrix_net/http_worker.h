// One HTTP request run to completion on the calling thread, with the result
// codes the program's network requests report. The caller runs it on a
// worker thread and posts the result to its window; nothing here touches a
// window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ombrix_web {

// Result codes of a request.
enum THttpResult : std::uint8_t {
  hrOk = 0,           // the expected status, the whole body read
  hrNoQuery = 1,      // (VSX) nothing to ask; nothing sent
  hrOffline = 2,      // no network interface is up (loopback targets excepted)
  hrOpen = 3,         // the transfer could not be set up
  hrConnect = 4,      // the server address is malformed
  hrOpenRequest = 5,  // the request could not be formed
  hrSend = 6,         // the server could not be reached or the request not sent
  hrStatus = 7,       // another status than the expected one
  hrQueryData = 9,    // the answer broke off
  hrRead = 10,        // the body could not be read, or exceeded kMaxResponseBody
};

// Bodies above this size are refused (hrRead) rather than held in memory.
inline constexpr std::size_t kMaxResponseBody = std::size_t{64} << 20;

struct THttpRequest {
  std::string url;            // "http://host[:port]/path" or "https://..."
  std::string accept;         // Accept header
  std::string bearer;         // token for "Authorization: Bearer", empty for none
  std::string body;           // JSON body; empty: GET
  long expectedStatus = 200;  // 200 or 204
  long timeoutSeconds = 120;  // whole transfer
};

// Sends the request and reads the answer into `response` (emptied first).
// "https://" URLs use TLS with certificate and host checks; redirects are followed.
THttpResult RunHttpRequest(const THttpRequest& request, std::string& response);

// True when some non-loopback interface is up, or the URL's host is a
// loopback address (tests and local servers need no network).
bool IsOnline(const std::string& url);

}  // namespace ombrix_web
