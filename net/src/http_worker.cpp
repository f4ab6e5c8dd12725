// The request on libcurl.
#include "ombrix_net/http_worker.h"

#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <cstdlib>
#include <mutex>

namespace ombrix_web {

namespace {

struct TBodySink {
  std::string* body;
  bool tooLarge = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<TBodySink*>(user);
  const size_t n = size * count;
  if (sink->body->size() + n > kMaxResponseBody) {
    sink->tooLarge = true;
    return 0;  // makes curl stop with a write error
  }
  sink->body->append(data, n);
  return n;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The host of a URL, without scheme, user, port or path.
std::string HostOf(const std::string& url) {
  std::string rest = url;
  const size_t scheme = rest.find("://");
  if (scheme != std::string::npos) rest.erase(0, scheme + 3);
  rest = rest.substr(0, rest.find('/'));
  const size_t at = rest.rfind('@');
  if (at != std::string::npos) rest.erase(0, at + 1);
  if (!rest.empty() && rest[0] == '[') return rest.substr(1, rest.find(']') - 1);
  return rest.substr(0, rest.find(':'));
}

bool IsLoopbackHost(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

THttpResult ResultOfCurlError(CURLcode code, bool tooLarge) {
  if (tooLarge) return hrRead;
  switch (code) {
    case CURLE_OK: return hrOk;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return hrConnect;
    case CURLE_WRITE_ERROR:
    case CURLE_RECV_ERROR: return hrRead;
    case CURLE_PARTIAL_FILE: return hrQueryData;
    default: return hrSend;  // resolving, connecting, TLS, sending, timeouts
  }
}

}  // namespace

bool IsOnline(const std::string& url) {
  if (IsLoopbackHost(HostOf(url))) return true;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool up = false;
  for (ifaddrs* a = list; a && !up; a = a->ifa_next) up = (a->ifa_flags & IFF_UP) && !(a->ifa_flags & IFF_LOOPBACK);
  freeifaddrs(list);
  return up;
}

THttpResult RunHttpRequest(const THttpRequest& request, std::string& response) {
  response.clear();
  if (!IsOnline(request.url)) return hrOffline;
  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) return hrOpen;
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Connection: close");
  headers = curl_slist_append(headers, ("Accept: " + request.accept).c_str());
  if (!request.bearer.empty())
    headers = curl_slist_append(headers, ("Authorization: Bearer " + request.bearer).c_str());
  if (!request.body.empty()) headers = curl_slist_append(headers, "Content-Type: application/json");
  headers = curl_slist_append(headers, "Expect:");

  TBodySink sink{&response};
  bool set = curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str()) == CURLE_OK;
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "OMBRIX");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.timeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  // A group's server may carry a certificate of its own authority:
  // OMBRIX_CA_FILE names the PEM file of the authorities to trust instead of
  // the system's. Certificate and host checks stay on.
  if (const char* authorities = std::getenv("OMBRIX_CA_FILE"); authorities && *authorities)
    curl_easy_setopt(curl, CURLOPT_CAINFO, authorities);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  if (!request.body.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  }
  THttpResult result = hrOpenRequest;
  if (set) {
    const CURLcode code = curl_easy_perform(curl);
    result = ResultOfCurlError(code, sink.tooLarge);
    long status = 0;
    if (result == hrOk &&
        (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != request.expectedStatus))
      result = hrStatus;
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  if (result != hrOk) response.clear();
  return result;
}

}  // namespace ombrix_web
