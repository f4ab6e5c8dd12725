// Every command of the menus and the tool box, sent to the window with the
// sample field open and every dialog cancelled: none may answer that it is
// not available.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ombrix_app/commands.h"
#include "sample_field_window.h"

namespace ombrix_app {
namespace {

class EveryCommandTest : public SampleFieldWindowTest {
 protected:
  void SetUp() override {
    SampleFieldWindowTest::SetUp();
    vcore::SetDocumentOpener([](const char*) { return true; });  // no viewer starts
  }
  void TearDown() override {
    vcore::SetDocumentOpener(nullptr);
    SampleFieldWindowTest::TearDown();
  }
  // Sends the command; true when it said "not available".
  bool NotAvailable(std::uint32_t command) {
    dialogs.Clear();
    window.Command(command);
    Pump();
    window.modified = false;  // no question about changes before the next one
    return dialogs.Transcript().find("This function is not available") != std::string::npos;
  }
};

TEST_F(EveryCommandTest, NoMenuItemOrToolButtonIsMissing) {
  std::vector<std::uint32_t> missing;
  std::uint32_t count = 0;
  const TMenuEntry* menu = MenuLayout(count);
  for (std::uint32_t i = 0; i < count; ++i)
    if (menu[i].kind == meItem && NotAvailable(menu[i].command)) missing.push_back(menu[i].command);
  const TToolEntry* tools = ToolLayout(count);
  for (std::uint32_t i = 0; i < count; ++i)
    if (tools[i].command > kToolRight && NotAvailable(tools[i].command)) missing.push_back(tools[i].command);
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

}  // namespace
}  // namespace ombrix_app
