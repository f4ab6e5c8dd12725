// The HTML export of a program built with the GUI libraries: every object's
// picture and thumbnail drawn through the chart panes beside the page.
#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <winkit/vimage.h>

#include "ombrix_cli/command.h"
#include "program_commands.h"

namespace ombrix_cli {
namespace {

class ExportHtmlCli : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    out = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(OMBRIX_TEST_DATA), 0);  // where the field's series files are
  }
  int Run(std::vector<const char*> words, std::string& printed) {
    words.insert(words.begin(), {"ombrix-cli", "export", "cli_field.ofd", "html"});
    std::ostringstream o, e;
    const int status = RunCli(words, o, e, ProgramCommands());
    printed = o.str() + e.str();
    return status;
  }
  static vimage::CImage Load(const std::string& path) {
    vimage::CImage image;
    char error[256] = "";
    EXPECT_TRUE(image.Load(path.c_str(), sizeof error - 1, error)) << path << ": " << error;
    return image;
  }
  std::string out;  // the temporary folder the pages go to
};

TEST_F(ExportHtmlCli, ThumbsAloneWriteThumbnailAndFullPicture) {
  const std::string page = out + "/page.html";
  std::string printed;
  ASSERT_EQ(Run({page.c_str(), "--thumbs", "--thumb-size", "120x90", "--image-size", "400x300"}, printed), kExitOk)
      << printed;
  EXPECT_EQ(printed, "export html " + page + " objects 4 options 128 pictures 4\n");
  const vimage::CImage picture = Load(out + "/cli_field_HD 23642_V1229 Tau.png");
  EXPECT_EQ(picture.Width(), 400);
  EXPECT_EQ(picture.Height(), 300);
  const vimage::CImage thumb = Load(out + "/cli_field_HD 23642_V1229 Tau_thumb.png");
  EXPECT_EQ(thumb.Width(), 120);
  EXPECT_EQ(thumb.Height(), 90);
  // The object without elements gets its compressed series.
  EXPECT_EQ(Load(out + "/cli_field_HD 23642 untyped_thumb.png").Width(), 120);
  EXPECT_NE(ombrix_test::ReadFile(page).find(
                "<a href=\"cli_field_V3 Tri.png\"><img src=\"cli_field_V3 Tri_thumb.png\"></a>"),
            std::string::npos);
}

TEST_F(ExportHtmlCli, UnwritablePageDrawsNothing) {
  const std::string page = out + "/missing/page.html";
  std::string printed;
  EXPECT_EQ(Run({page.c_str(), "--images"}, printed), kExitFailure);
  EXPECT_EQ(printed, "ombrix-cli export: Error exporting HTML: Cannot create file " + page + "\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 0);
}

}  // namespace
}  // namespace ombrix_cli
