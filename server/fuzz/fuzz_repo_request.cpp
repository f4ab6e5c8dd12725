// Feeds any bytes to the repository as the body of each request, logged in
// and not. Every answer must be a known status, and a body must parse.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ombrix_net/sjson.h"
#include "ombrix_repo/repository.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const char* const kEndpoints[] = {"api/v1/login",
                                  "api/v1/logout",
                                  "api/v1/change_password",
                                  "api/v1/list_objects",
                                  "api/v1/publish_object",
                                  "api/v1/contribute_object",
                                  "api/v1/unpublish_object",
                                  "api/v1/get_object_data",
                                  "api/v1/unknown"};

struct TFixture {
  ombrix_repo::CRepository repository;
  std::string authorization;

  TFixture() {
    std::string error;
    Check(repository.Open(":memory:", ombrix_repo::FastHashCost(), error));
    Check(repository.AddUser("anna", "pw", "Anna", "all", error));
    const ombrix_repo::TRepoAnswer login =
        repository.Handle("api/v1/login", true, "", R"({"user":"anna","password":"pw"})");
    const std::size_t at = login.body.find("\"user_token\": \"");
    Check(at != std::string::npos);
    authorization = "Bearer " + login.body.substr(at + 15, 64);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFixture fixture;
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  const std::string endpoint = kEndpoints[(selector & 15) % (sizeof kEndpoints / sizeof kEndpoints[0])];
  const bool post = (selector & 16) == 0;
  const bool loggedIn = (selector & 32) == 0;
  // The fixture's own token stays valid: logout and password changes are
  // answered for a second session.
  std::string authorization = loggedIn ? fixture.authorization : "Bearer x";
  if (endpoint == "api/v1/logout" || endpoint == "api/v1/change_password") authorization = "Bearer other";
  const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  const ombrix_repo::TRepoAnswer answer = fixture.repository.Handle(endpoint, post, authorization, body);
  Check(answer.status == 200 || answer.status == 204 || answer.status == 404);
  if (answer.status == 200) {
    sjson::CJSON doc;
    sjson::TJSONSource source;
    sjson::InitSource(source, answer.body.data(), static_cast<uint32_t>(answer.body.size()));
    Check(doc.Parse(source));
  }
  return 0;
}
