// Many observers at once, and a server killed in the middle of their work.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <thread>

#include <ombrix_testsupport/c_numbers.h>

#include "ombrix_repo/commands.h"
#include "repo_test_util.h"

namespace ombrix_repo::test {
namespace {

constexpr const char* kShared = "5A5A5A5A00000000";

std::string UserName(int i) {
  char name[8];
  std::snprintf(name, sizeof name, "u%02d", i);
  return name;
}

// The marker value of the series a cache file holds ("<marker>.000000").
double CachedMarker(const std::string& path) {
  const std::string text = ombrix_test::ReadFile(path);
  const std::size_t data = text.find("\"data\"");
  if (data == std::string::npos) return -1;
  const std::size_t quote = text.find('"', text.find('[', data));
  double time = 0, value = -1;
  const ombrix_test::CCNumbers cNumbers;  // the cache holds decimal points whatever the locale
  std::sscanf(text.c_str() + quote + 1, "%lf %lf", &time, &value);
  return value;
}

// Reads one user's version of the shared object through a fresh client.
double StoredMarker(const std::string& hostPort, const std::string& cacheRoot, const std::string& reader,
                    const std::string& readerPassword, const std::string& owner) {
  TClient c(hostPort, cacheRoot);
  if (!c.web.Login(reader.c_str(), readerPassword.c_str())) return -2;
  std::snprintf(c.web.objectToken, sizeof c.web.objectToken, "%s", kShared);
  auto* summary = new ombrix_web::CWebObjectListElem;
  std::snprintf(summary->publisher, sizeof summary->publisher, "%s", owner.c_str());
  c.web.objectList.Append(summary);
  c.web.contributorIndex = -1;
  if (!c.web.GetObjectData(owner.c_str()) || c.owner.LastCode() != 5009) return -3;
  return CachedMarker(c.web.UserCacheFolder() + kShared + "_" + owner + ".json");
}

class RepoLoadTest : public RepoServerTest {};

TEST_F(RepoLoadTest, ThirtyTwoClientsHundredMixedRequests) {
  constexpr int kClients = 32, kRequests = 100;
  std::string error;
  for (int i = 0; i < kClients; ++i) ASSERT_TRUE(repository.AddUser(UserName(i), "pw", "", "", error)) << error;
  {
    TClient anna(HostPort(), CacheRoot("anna"));
    ASSERT_TRUE(anna.web.Login("anna", "anna-pw"));
    ASSERT_TRUE(anna.web.PublishObject(*MakeObject(kShared, "shared", 0), false));
    ASSERT_EQ(anna.owner.LastCode(), 5003);
  }
  std::vector<std::vector<double>> latencies(kClients);
  std::vector<int> succeeded(kClients, 0);
  std::vector<double> lastMarker(kClients, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kClients; ++t) {
    threads.emplace_back([&, t] {
      TClient c(HostPort(), CacheRoot(UserName(t).c_str()));
      if (!c.web.Login(UserName(t).c_str(), "pw") || !c.web.IsLoggedIn()) return;
      for (int i = 0; i < kRequests; ++i) {
        const auto start = std::chrono::steady_clock::now();
        int expected = 0;
        c.owner.Clear();
        const double marker = t * 1000 + i;
        switch (i % 4) {
          case 0:
            c.web.PublishObject(*MakeObject(kShared, "shared", marker), true);
            expected = 5007;
            break;
          case 1:
            c.web.ListObjects();
            expected = 5001;
            break;
          case 2:  // the publisher's version, with the summary of the last answer
            c.web.ClearObjectList();
            c.web.objectList.Append(new ombrix_web::CWebObjectListElem);
            std::snprintf(c.web.FirstObject()->publisher, ombrix_web::kUserIdHigh + 1, "anna");
            std::snprintf(c.web.objectToken, sizeof c.web.objectToken, "%s", kShared);
            c.web.contributorIndex = -1;
            c.web.GetObjectData("anna");
            expected = 5009;
            break;
          default: {
            char token[17];
            std::snprintf(token, sizeof token, "%08X%08X", t, i);
            c.web.PublishObject(*MakeObject(token, "own", marker), false);
            expected = 5003;
          }
        }
        latencies[t].push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (c.owner.LastCode() == expected) {
          ++succeeded[t];
          if (expected == 5007) lastMarker[t] = marker;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();

  std::vector<double> all;
  for (int t = 0; t < kClients; ++t) {
    EXPECT_EQ(succeeded[t], kRequests) << UserName(t);
    all.insert(all.end(), latencies[t].begin(), latencies[t].end());
  }
  ASSERT_EQ(all.size(), static_cast<std::size_t>(kClients * kRequests));
  std::sort(all.begin(), all.end());
  const double p50 = all[all.size() / 2], p99 = all[all.size() * 99 / 100];
  std::cout << "[ latency  ] " << all.size() << " requests: p50 " << p50 << " ms, p99 " << p99 << " ms\n";
  RecordProperty("p50_ms", std::to_string(p50));
  RecordProperty("p99_ms", std::to_string(p99));

  // Every contributed version is there, the last one each user sent.
  for (int t = 0; t < kClients; ++t)
    EXPECT_EQ(StoredMarker(HostPort(), CacheRoot("check"), "anna", "anna-pw", UserName(t)), lastMarker[t])
        << UserName(t);
}

// The ombrix-repo program as a child process; its first output line names
// the address it listens on.
class CRepoProcess {
 public:
  bool Start(const std::string& db) {
    int out[2];
    if (pipe(out) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      execl(OMBRIX_REPO_PROGRAM, OMBRIX_REPO_PROGRAM, "serve", "--db", db.c_str(), "--listen", "127.0.0.1:0",
            "--prefix", "/repo/", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (colon == std::string::npos) return false;
    port_ = std::atoi(line.c_str() + colon + 1);
    return port_ > 0;
  }
  void Kill(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  ~CRepoProcess() { Kill(SIGKILL); }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

TEST(RepoCrash, KilledServerLosesNoAcknowledgedWrite) {
  ombrix_test::CTempFolder folder("ombrix-crash");
  const std::string db = folder.Path("repo.db");
  constexpr int kWriters = 8;
  std::istringstream none;
  std::ostringstream out, err;
  for (int i = 0; i < kWriters; ++i) {
    const std::string name = UserName(i);
    const char* args[] = {"ombrix-repo", "user", "add", "--db", db.c_str(), name.c_str(), "--password", "pw"};
    ASSERT_EQ(RunRepoCommand(args, none, out, err), 0) << err.str();
  }
  CRepoProcess server;
  ASSERT_TRUE(server.Start(db));
  {
    TClient first(server.HostPort(), folder.Path("c") + "/");
    ASSERT_TRUE(first.web.Login("u00", "pw"));
    ASSERT_TRUE(first.web.PublishObject(*MakeObject(kShared, "shared", 0), false));
    ASSERT_EQ(first.owner.LastCode(), 5003);
  }
  std::vector<double> acknowledged(kWriters, -1);
  std::atomic<int> writers{0};  // writers with ten acknowledged writes
  std::vector<std::thread> threads;
  for (int t = 0; t < kWriters; ++t) {
    threads.emplace_back([&, t] {
      TClient c(server.HostPort(), folder.Path(UserName(t)) + "/");
      if (!c.web.Login(UserName(t).c_str(), "pw")) return;
      for (int i = 1;; ++i) {
        c.owner.Clear();
        c.web.PublishObject(*MakeObject(kShared, "shared", t * 100000 + i), true);
        if (c.owner.LastCode() != 5007) return;  // the server is gone
        acknowledged[t] = t * 100000 + i;
        if (i == 10) ++writers;
      }
    });
  }
  // Kill while every writer is busy writing.
  for (int i = 0; i < 6000 && writers < kWriters; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  server.Kill(SIGKILL);
  for (auto& thread : threads) thread.join();

  CRepoProcess restarted;
  ASSERT_TRUE(restarted.Start(db));
  for (int t = 0; t < kWriters; ++t) {
    ASSERT_GE(acknowledged[t], t * 100000 + 10) << UserName(t);
    // A write in flight when the server died may have landed without its answer.
    const double stored = StoredMarker(restarted.HostPort(), folder.Path("check") + "/", "u00", "pw", UserName(t));
    EXPECT_GE(stored, acknowledged[t]) << UserName(t);
    EXPECT_LE(stored, acknowledged[t] + 1) << UserName(t);
  }
  restarted.Kill(SIGTERM);
}

}  // namespace
}  // namespace ombrix_repo::test
