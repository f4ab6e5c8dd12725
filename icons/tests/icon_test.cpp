// The icon set: every file draws something at the tool box's sizes, and the
// table gives every tool button and listed command an icon that exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <ombrix_app/commands.h>
#include <ombrix_icons/icon_table.h>
#include <winkit/vimage.h>

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = OMBRIX_ICON_FOLDER;
const char* const kGrid = R"(width="24" height="24" viewBox="0 0 24 24")";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every SVG file of the set, relative to the icon folder.
std::vector<std::string> IconFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(kFolder))
    if (entry.path().extension() == ".svg") files.push_back(fs::relative(entry.path(), kFolder).generic_string());
  return files;
}

// The document drawn at size x size: the grid stays, the outer size changes.
std::string AtSize(std::string document, int size) {
  const std::string n = std::to_string(size);
  document.replace(document.find(kGrid), std::string(kGrid).size(),
                   "width=\"" + n + "\" height=\"" + n + "\" viewBox=\"0 0 24 24\"");
  return document;
}

struct TInk {
  int drawn = 0;        // pixels that are not the white background
  int colours = 0;      // distinct colours among all pixels
};

TInk InkOf(const vimage::CImage& image) {
  TInk ink;
  std::set<std::uint32_t> colours;
  for (int y = 0; y < image.Height(); ++y) {
    const vimage::byte* p = image.Row(y);
    for (int x = 0; x < image.Width(); ++x, p += 4) {
      const std::uint32_t c = p[0] | p[1] << 8 | p[2] << 16;
      colours.insert(c);
      if (c != 0xFFFFFF) ++ink.drawn;
    }
  }
  ink.colours = static_cast<int>(colours.size());
  return ink;
}

std::set<std::string> TableFiles() {
  std::set<std::string> files;
  for (const auto& icon : ombrix_icons::kCommandIcons) files.insert(icon.file);
  for (const char* mark : {ombrix_icons::kPublishedMark, ombrix_icons::kImportedMark,
                           ombrix_icons::kSeriesEnabledMark, ombrix_icons::kSeriesDisabledMark,
                           ombrix_icons::kApplicationIcon})
    files.insert(mark);
  return files;
}

TEST(IconSetTest, EveryIconIsOnTheGridAndDrawsAVisibleShapeAt24And48Pixels) {
  const std::vector<std::string> files = IconFiles();
  ASSERT_GE(files.size(), 30u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string document = ReadFile(kFolder / file);
    ASSERT_NE(document.find(kGrid), std::string::npos) << "not drawn on the 24-unit grid";
    EXPECT_NE(document.find("<title>"), std::string::npos) << "says nowhere what it shows";
    for (int size : {24, 48}) {
      vimage::CImage image;
      std::string error;
      ASSERT_TRUE(vimage::RenderSVG(AtSize(document, size), image, error)) << error;
      ASSERT_EQ(image.Width(), size);
      ASSERT_EQ(image.Height(), size);
      const TInk ink = InkOf(image);
      // A shape, not a speck: at least a tenth of the square is drawn, in
      // more than one colour (outline and fill or antialiased edges).
      EXPECT_GE(ink.drawn, size * size / 10) << "at " << size << " pixels";
      EXPECT_GE(ink.colours, 3) << "at " << size << " pixels";
    }
  }
}

TEST(IconSetTest, EveryToolButtonAndListedCommandHasAnIconFileAndEveryFileIsListed) {
  std::uint32_t count = 0;
  const ombrix_app::TToolEntry* tools = ombrix_app::ToolLayout(count);
  int buttons = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t command = tools[i].command;
    if (command == 0 || command == ombrix_app::kToolControls || command == ombrix_app::kToolRight) continue;
    ++buttons;
    EXPECT_NE(ombrix_icons::CommandIconFile(command), nullptr) << "tool button " << command << " has no icon";
  }
  EXPECT_GE(buttons, 18);

  std::set<std::uint32_t> commands;
  for (const auto& icon : ombrix_icons::kCommandIcons) {
    EXPECT_TRUE(commands.insert(icon.command).second) << icon.command << " listed twice";
    // A number with a label is one the menus or the tool box really have.
    EXPECT_STRNE(ombrix_app::CommandLabel(icon.command), "") << icon.command << " is no command";
  }
  EXPECT_EQ(ombrix_icons::CommandIconFile(999), nullptr);

  const std::set<std::string> listed = TableFiles();
  for (const std::string& file : listed) EXPECT_TRUE(fs::is_regular_file(kFolder / file)) << file << " is missing";
  for (const std::string& file : IconFiles()) EXPECT_TRUE(listed.count(file)) << file << " is in no table";
}

}  // namespace
