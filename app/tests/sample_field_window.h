// A built main window with the sample field open, a private configuration and
// the scripted dialog driver: the fixture of the GUI tests of the tabs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_app/ombrix.h"

namespace ombrix_app {

inline void Pump() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

class SampleFieldWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenSampleField(""); }
  void TearDown() override {
    window.modified = false;
    if (window.IsInitialized()) window.Done();
    Pump();
    background.Done();
  }

  // Settings lines after the root folder, each ending in a line feed.
  void OpenSampleField(const std::string& settings) {
    const std::string repository = std::filesystem::canonical(std::string(OMBRIX_TEST_DATA) + "/../../..").string();
    config.WriteIni("[OMBRIX]\nRootPath = " + repository + "/\n" + settings);
    ASSERT_TRUE(background.Init("OMBRIX"));
    ASSERT_TRUE(window.Build());
    background.RegisterWindow(&window);
    Pump();
    ASSERT_TRUE(window.OpenField((repository + "/samples/field/sample.ofd").c_str()));
    ASSERT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
    Pump();
  }
  COmbrixPane& Pane() { return window.pane; }
  void ShowTab(int tab) {
    Pane().tabs.SetActivePage(tab - 1, true);
    Pump();
  }

  ombrix_test::CTempConfig config;
  vdlg::CScriptedDialogs dialogs;
  view::CBackground background;
  COmbrix window;
};

}  // namespace ombrix_app
