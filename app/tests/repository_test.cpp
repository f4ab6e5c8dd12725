// The repository dialogs, menu states and commands of the main window,
// against a small stand-in server on 127.0.0.1; every message through the
// scripted dialogs.
#include "ombrix_app/repository.h"

#include <chrono>
#include <thread>

#include <ombrix_testsupport/http_standin.h>

#include "ombrix_app/commands.h"
#include "pane_fixture.h"

using namespace ombrix_app;

namespace {

// Answers each request path with a canned JSON body (204 for logout).
class CStandIn : public ombrix_test::CHttpStandIn {
 public:
  CStandIn() { CHttpStandIn::Set("/r/api/v1/logout", {204, "", ""}); }
  void Set(const std::string& path, const std::string& body) { CHttpStandIn::Set(path, {200, body, ""}); }
  int Port() const { return std::stoi(Server().substr(Server().rfind(':') + 1)); }
};

class RepositoryWindowTest : public PaneTest {
 protected:
  void Configure(int port) {
    std::snprintf(window.settings.webRepositoryServer, sizeof window.settings.webRepositoryServer, "127.0.0.1:%d",
                  port);
    std::strcpy(window.settings.webRepositoryPath, "/r/");
    std::strcpy(window.settings.webRepositoryUser, "me");
    std::strcpy(window.settings.webRepositoryPassword, "pw");
  }
  // Runs a command and processes events until its request has ended.
  void RunCommand(std::uint32_t command) {
    window.Command(command);
    WaitForRequest();
  }
  void WaitForRequest() {
    for (int i = 0; i < 2000 && window.repository.IsBusy(); ++i) {
      QApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(window.repository.IsBusy());
  }
  bool Enabled(std::uint32_t command) { return window.menuBar.IsEnabled(command); }
};

TEST_F(RepositoryWindowTest, ParametersDialogSplitsTheUrl) {
  std::strcpy(window.settings.webRepositoryPassword, "old");
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& w = static_cast<CWebRepositoryDialog&>(d);
    EXPECT_EQ(w.password.Text(), "");
    w.url.SetText("http://repo.example.org/group");
    w.user.SetText("anna");
    w.encrypted.SetChecked(false);
  });
  window.Command(cmDefineRepository);
  EXPECT_STREQ(window.settings.webRepositoryServer, "repo.example.org");
  EXPECT_STREQ(window.settings.webRepositoryPath, "/group/");
  EXPECT_STREQ(window.settings.webRepositoryUser, "anna");
  EXPECT_FALSE(window.settings.useEncryptedPassword);
  EXPECT_STREQ(window.settings.webRepositoryPassword, "old");  // an empty field keeps it
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Web repository parameters\n"
            "Web repository can be used to synchronize object parameters,\n"
            "including series data. Objects marked as \"Synchronized with Repository\"\n"
            "will be uploaded to defined repository and similarly updates from\n"
            "other users will be downloaded to the local files.\n"
            "Web repository URL:\nUser name:\nPassword\n");

  dialogs.Clear();
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& w = static_cast<CWebRepositoryDialog&>(d);
    EXPECT_EQ(w.url.Text(), "repo.example.org/group/");
    w.url.SetText("https://secure.example.org");
    w.password.SetText("new");
  });
  window.Command(cmDefineRepository);
  EXPECT_STREQ(window.settings.webRepositoryServer, "https://secure.example.org");
  EXPECT_STREQ(window.settings.webRepositoryPath, "/");
  EXPECT_STREQ(window.settings.webRepositoryPassword, "new");
}

TEST_F(RepositoryWindowTest, UnreachableServerAndOfflineCommands) {
  {
    CStandIn gone;
    Configure(gone.Port());
  }  // nothing listens there any more
  EXPECT_TRUE(Enabled(cmLogin));
  EXPECT_FALSE(Enabled(cmLogout));
  window.Command(cmLogin);
  if (window.repository.IsBusy()) {  // BUSY: only the password change stays
    EXPECT_FALSE(Enabled(cmLogin));
    EXPECT_FALSE(Enabled(cmDefineRepository));
  }
  WaitForRequest();
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Cannot Reach Web Repository\nRepository server not accessible.\nTry again later.\n");
  EXPECT_TRUE(Enabled(cmLogin));
  EXPECT_FALSE(Enabled(cmPublish));

  dialogs.Clear();
  AddObject("V1 Cyg");
  window.pane.FieldReplaced();
  window.pane.SelectObject(0);
  window.Command(cmPublish);
  EXPECT_EQ(
      dialogs.Transcript(),
      "[message] Web Repository Offline\nLogin to some web repository prior\nto manipulation with shared objects.\n");
}

TEST_F(RepositoryWindowTest, LoginPublishUnpublishLogout) {
  CStandIn server;
  Configure(server.Port());
  server.Set("/r/api/v1/login", R"({"status":"ok","user_token":"T","user_id":"me","user_name":"Me","access":"all"})");
  RunCommand(cmLogin);
  EXPECT_EQ(dialogs.Transcript(), "");
  EXPECT_FALSE(Enabled(cmLogin));
  EXPECT_FALSE(Enabled(cmDefineRepository));
  for (std::uint32_t c : {cmChangePassword, cmLogout, cmPublish, cmUnpublish}) EXPECT_TRUE(Enabled(c)) << c;

  auto* object = AddObject("V1 Cyg");
  window.pane.FieldReplaced();
  window.pane.SelectObject(0);
  server.Set("/r/api/v1/publish_object", R"({"status":"fail","error":"full"})");
  RunCommand(cmPublish);
  EXPECT_EQ(object->token[0], '\0');  // a refused publication takes the token back
  server.Set("/r/api/v1/publish_object", R"({"status":"ok"})");
  RunCommand(cmPublish);
  EXPECT_EQ(std::strlen(std::string(object->token, 16).c_str()), 16u);
  EXPECT_STREQ(object->publisher, "me");
  EXPECT_TRUE(window.modified);
  window.Command(cmPublish);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Web Repository Communication Error\nRequest failed:\nfull\n"
            "[message] Web Repository command processed.\nObject published to repository.\n"
            "[message] Selected object already published in repository\nObject Token, generated upon publishing,\n"
            "can be cleard in the Meta Data pane.\n");

  dialogs.Clear();
  std::strcpy(object->publisher, "else");
  window.Command(cmUnpublish);
  std::strcpy(object->publisher, "me");
  dialogs.AnswerButton(vdlg::mrNo);
  window.Command(cmUnpublish);
  server.Set("/r/api/v1/unpublish_object", R"({"status":"ok"})");
  dialogs.AnswerButton(vdlg::mrYes);
  RunCommand(cmUnpublish);
  EXPECT_EQ(object->token[0], '\0');
  window.Command(cmUnpublish);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Object published by soneone else.\nCannot unpublish object published by another user.\n"
            "[message] WARNING: unpublish object\nUnpublished object will be removed from the Web Repository.\n"
            "Removing object also deletes all data series, including contributors' ones.\n"
            "Are you sure you want to continue?\n"
            "[message] WARNING: unpublish object\nUnpublished object will be removed from the Web Repository.\n"
            "Removing object also deletes all data series, including contributors' ones.\n"
            "Are you sure you want to continue?\n"
            "[message] Web Repository command processed.\nObject removed from repository.\n"
            "[message] Object not published in repository\nCannot unpublish object, which is not published.\n");

  dialogs.Clear();
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& p = static_cast<CRepositoryPasswordDialog&>(d);
    p.current.SetText("pw");
    p.newPassword.SetText("a");
    p.confirm.SetText("b");
  });
  dialogs.AnswerButton(vdlg::mrOK);
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) { static_cast<CRepositoryPasswordDialog&>(d).confirm.SetText("a"); });
  server.Set("/r/api/v1/change_password", R"({"status":"fail","error":"weak"})");
  RunCommand(cmChangePassword);
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Change repository password\nRepository password:\nNew password:\nConfirm new password:\n"
            "[message] Cannot change repository password\nNew password differs from confirmation\n"
            "[dialog] Change repository password\nRepository password:\nNew password:\nConfirm new password:\n"
            "[message] Change Repository Password Failed\nweak\n");
  EXPECT_TRUE(Enabled(cmLogin));  // a refused change logs out locally

  RunCommand(cmLogin);
  RunCommand(cmLogout);
  EXPECT_TRUE(Enabled(cmLogin));
  EXPECT_FALSE(Enabled(cmLogout));
}

// The panel under the object list follows the login state: its lines and
// the colours of the first two.
TEST_F(RepositoryWindowTest, StatusPanelShowsStateUserAndServer) {
  CStandIn server;
  Configure(server.Port());
  const CRepositoryStatusPanel& panel = window.pane.repositoryStatus;
  const std::string where = "Server: 127.0.0.1:" + std::to_string(server.Port()) + "/r/";
  window.repository.UpdateMenus();
  auto lines = [&] {
    std::string text;
    for (const vcont::CStaticText& line : panel.lines) text += line.Text() + "|";
    return text;
  };
  EXPECT_EQ(lines(), "OFFLINE|N/A|User: |Name: |Rights: |" + where + "|");
  EXPECT_EQ(panel.lines[0].Color(), 0xff0000bfu);
  EXPECT_EQ(panel.lines[1].Color(), 0xff7f7f7fu);

  server.Set("/r/api/v1/login", R"({"status":"ok","user_token":"T","user_id":"me","user_name":"Me","access":"all"})");
  RunCommand(cmLogin);
  EXPECT_EQ(lines(), "ONLINE|READY|User: me|Name: Me|Rights: all|" + where + "|");
  EXPECT_EQ(panel.lines[0].Color(), 0xff00bf00u);
  EXPECT_EQ(panel.lines[1].Color(), 0xff00bf00u);

  // The answer is handled on the window thread: until then the request runs.
  window.Command(cmLogout);
  ASSERT_TRUE(window.repository.IsBusy());
  EXPECT_EQ(panel.lines[1].Text(), "BUSY");
  EXPECT_EQ(panel.lines[1].Color(), 0xff0000bfu);
  WaitForRequest();
  EXPECT_EQ(lines(), "OFFLINE|N/A|User: |Name: |Rights: |" + where + "|");
}

// What each kind of faulty or refusing answer tells the user, word for word.
TEST_F(RepositoryWindowTest, ProtocolFailuresShowTheirMessages) {
  CStandIn server;
  Configure(server.Port());
  const std::string good = R"({"status":"ok","user_token":"T","user_id":"me","user_name":"Me","access":"all"})";
  struct TCase {
    const char* body;
    const char* transcript;
  };
  const TCase logins[] = {
      {R"({"status":"fail","error":"Wrong password"})", "[message] Repository Login Failed\nWrong password\n"},
      {R"({"status":"ok","user_token":"","user_id":"me","user_name":"Me","access":"all"})",
       "[message] Web Repository Communication Error\nMissing keyword:\nuser_token\n"},
      {R"({"status":"ok","user_token":"T","user_name":"Me","access":"all"})",
       "[message] Web Repository Communication Error\nMissing keyword:\nuser_id\n"},
      {R"({"user_token":"T"})", "[message] Web Repository Communication Error\nMissing keyword:\nstatus\n"},
      {R"({"status":"maybe"})", "[message] Web Repository Communication Error\nUnknown keyword: \nmaybe\n"},
      {R"({"status":"ok","user_token":"T","user_id":"../../x","user_name":"Me","access":"all"})",
       "[message] Web Repository Communication Error\nInvalid keyword:\nuser_id\n"},
  };
  for (const TCase& c : logins) {
    dialogs.Clear();
    server.Set("/r/api/v1/login", c.body);
    RunCommand(cmLogin);
    EXPECT_EQ(dialogs.Transcript(), c.transcript) << c.body;
    EXPECT_FALSE(window.repository.IsLoggedIn()) << c.body;
    EXPECT_TRUE(Enabled(cmLogin));
  }

  server.Set("/r/api/v1/login", good);
  RunCommand(cmLogin);
  AddObject("V1 Cyg");
  window.pane.FieldReplaced();
  window.pane.SelectObject(0);
  dialogs.Clear();
  server.Set("/r/api/v1/publish_object", R"({"status":"fail"})");
  RunCommand(cmPublish);
  server.Set("/r/api/v1/publish_object", R"({"status":)");
  RunCommand(cmPublish);
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Web Repository Communication Error\nRequest failed:\nReason not provided by the server.\n"
            "[message] Web Repository Communication Error\n");  // the parser gives no reason at the end of text
  EXPECT_TRUE(window.repository.IsLoggedIn());  // protocol failures keep the session

  dialogs.Clear();
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& p = static_cast<CRepositoryPasswordDialog&>(d);
    p.current.SetText("pw");
    p.newPassword.SetText("n");
    p.confirm.SetText("n");
  });
  server.Set("/r/api/v1/change_password", R"({"status":"odd"})");
  RunCommand(cmChangePassword);
  EXPECT_EQ(dialogs.Transcript(),
            "[dialog] Change repository password\nRepository password:\nNew password:\nConfirm new password:\n"
            "[message] Web Repository Communication Error\nUnknown keyword: \nodd\n");
  EXPECT_FALSE(window.repository.IsLoggedIn());
}

}  // namespace
