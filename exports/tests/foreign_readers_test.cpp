// What other tools make of our files: Python's csv module reads every cell
// of a CSV back, names with separators and quotes included, and its
// html.parser sees a name written like markup as plain text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <ombrix_testsupport/temp_folder.h>

#include "export_test_field.h"
#include "ombrix_exports/field_export.h"

namespace {

using namespace ombrix_export_test;

// Runs a Python script with the file as its argument; its standard output.
bool RunPython(const std::string& script, const std::string& file, std::string& output) {
  const std::string scriptPath = file + ".py", outPath = file + ".out";
  std::ofstream(scriptPath) << script;
  const std::string command = "python3 '" + scriptPath + "' '" + file + "' > '" + outPath + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(outPath);
  output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return status == 0;
}

class ForeignReaders : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    if (std::system("python3 -c pass > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
    field.Init();
  }
  void TearDown() override { field.Done(); }
  CField field;
};

TEST_F(ForeignReaders, PythonCsvReadsEveryCellBack) {
  AddObject(field, "V1; Cyg", "say \"hi\"");
  CObjectListElem* o = AddObject(field, "line\r\nbreak");
  std::snprintf(o->comment, sizeof o->comment, "%s", "unused");
  std::snprintf(o->variabilityType, sizeof o->variabilityType, "%s", "EA;EB");
  const std::string path = (folder_ / "field.csv").string();
  ASSERT_EQ(ombrix_export::ExportFieldCsv(field, ombrix_export::kCsvAllOptions, path),
            ombrix_export::TExportResult::ok);
  std::string output;
  ASSERT_TRUE(RunPython("import csv, sys\n"
                        "with open(sys.argv[1], newline='') as f:\n"
                        "    lines = f.read().split('\\r\\n', 1)\n"
                        "assert lines[0] == 'sep=;'\n"
                        "rows = list(csv.reader(lines[1].splitlines(keepends=True), delimiter=';'))\n"
                        "rows = [r for r in rows if r]\n"
                        "widths = {len(r) for r in rows}\n"
                        "print(len(rows), len(widths))\n"
                        "for r in rows[1:]: print(repr(r[0]), repr(r[1]), repr(r[2]))\n",
                        path, output))
      << output;
  EXPECT_EQ(output,
            "3 1\n"
            "'V1; Cyg' 'say \"hi\"' ''\n"
            "'line\\r\\nbreak' '' 'EA;EB'\n");
}

TEST_F(ForeignReaders, PythonHtmlParserSeesMarkupInNamesAsText) {
  AddObject(field, "<b>x</b>", "a & b");
  const std::string path = (folder_ / "field.html").string();
  ombrix_export::THtmlExportOptions options;
  options.options = ombrix_export::kHtmlType;
  ombrix_export::THtmlExportReport report;
  ASSERT_EQ(ombrix_export::ExportFieldHtml(field, (folder_ / "my <field>.ofd").string(), options, path, nullptr,
                                           report),
            ombrix_export::TExportResult::ok);
  std::string output;
  ASSERT_TRUE(RunPython("import sys\n"
                        "from html.parser import HTMLParser\n"
                        "class P(HTMLParser):\n"
                        "    def __init__(self):\n"
                        "        super().__init__(); self.tags = []; self.texts = []\n"
                        "    def handle_starttag(self, tag, attrs): self.tags.append(tag)\n"
                        "    def handle_data(self, data):\n"
                        "        if data.strip(): self.texts.append(data)\n"
                        "p = P(); p.feed(open(sys.argv[1]).read())\n"
                        "print(p.tags.count('b'), p.texts)\n",
                        path, output))
      << output;
  // Only the two heading cells are bold: the object's name never became a tag.
  EXPECT_EQ(output, "2 ['Field of my <field>', 'Field: my <field>', 'Object', 'Type', '<b>x</b>']\n");
}

}  // namespace
