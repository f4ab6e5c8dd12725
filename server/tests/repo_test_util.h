// A repository served on 127.0.0.1 at an ephemeral port, and clients that
// record every message and notification they give.
#pragma once

#include <gtest/gtest.h>
#include <ombrix_field/object.h>
#include <ombrix_field/series.h>
#include <ombrix_net/web_interface.h>
#include <ombrix_testsupport/temp_folder.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ombrix_repo/http_server.h"
#include "ombrix_repo/repository.h"

namespace ombrix_repo::test {

// Records what the client shows: "caption|line1|line2" per message box.
class CRecordingOwner : public ombrix_web::IWebOwner {
 public:
  std::vector<std::string> messages;
  std::vector<std::pair<int, int>> notifications;

  void ShowMessage(const char* caption, const char* line1, const char* line2, ombrix_web::TMessageIcon) override {
    messages.push_back(std::string(caption) + "|" + line1 + "|" + line2);
  }
  void Notify(int kind, int code) override { notifications.emplace_back(kind, code); }

  std::string LastMessage() const { return messages.empty() ? "" : messages.back(); }
  int LastCode() const { return notifications.empty() ? 0 : notifications.back().second; }
  void Clear() {
    messages.clear();
    notifications.clear();
  }
};

// One observer's program without a window.
struct TClient {
  CRecordingOwner owner;
  ombrix_web::CInlineRequestRunner runner;
  ombrix_web::CWebInterface web{owner, runner};

  TClient(const std::string& hostPort, const std::string& cacheRoot) {
    std::snprintf(web.config.serverHost, sizeof web.config.serverHost, "%s", hostPort.c_str());
    std::snprintf(web.config.serverPath, sizeof web.config.serverPath, "/repo/");
    web.config.cacheRoot = cacheRoot;
  }
};

// A field object with a token and one local series whose values carry
// `marker`, so that each user's version can be told apart.
inline std::unique_ptr<ombrix_data::CObjectListElem> MakeObject(const char* token, const char* name, double marker) {
  auto object = std::make_unique<ombrix_data::CObjectListElem>();
  std::memcpy(object->token, token, std::min(std::strlen(token), sizeof object->token));  // 16 fill the array
  std::snprintf(object->name, sizeof object->name, "%s", name);
  object->m0 = 2460000.25;
  object->period = 1.5;
  auto* series = new ombrix_data::CLocalSeriesTreeElem;
  series->fileTime = 0x1DA0000000000ull + static_cast<unsigned long long>(marker);
  for (int i = 0; i < 5; ++i) series->InsertPoint({2460000.0 + i * 0.01, marker, 0.01});
  object->InsertSeries(series);
  return object;
}

// A repository with the users anna and bob (passwords "anna-pw", "bob-pw").
class RepoServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(repository.Open(folder.Path("repo.db"), FastHashCost(), error)) << error;
    ASSERT_TRUE(repository.AddUser("anna", "anna-pw", "Anna K.", "read, write", error)) << error;
    ASSERT_TRUE(repository.AddUser("bob", "bob-pw", "Bob M.", "read, write", error)) << error;
    TServeOptions options;
    options.prefix = "/repo/";
    ASSERT_TRUE(server.Start(repository, options, error)) << error;
  }

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(server.Port()); }
  std::string CacheRoot(const char* who) const { return folder.Path(who) + "/"; }

  ombrix_test::CTempFolder folder{"ombrix-repo"};
  CRepository repository;
  CRepoServer server;
};

}  // namespace ombrix_repo::test
