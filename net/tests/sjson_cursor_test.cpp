#include <gtest/gtest.h>
#include <ombrix_testsupport/temp_folder.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "sjson_test_util.h"

namespace sjson {
namespace {

using test::ParseText;
using test::StringOf;
using test::WriteText;

const char* const kDocument =
    R"({"name":"V1","m0":2455000.5,"n":3,"s":"1.5","flag":true,"none":null,)"
    R"("dup":1,"dup":"second","fit":{"a":1},"rows":[{"x":1},[7],"t",2,false,null]})";

class Cursor : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ParseText(doc, kDocument).ok); }
  CJSON doc;
};

TEST_F(Cursor, ReadersTakeOnlyTheirKind) {
  double real = -1;
  EXPECT_TRUE(doc.GetReal("m0", real));
  EXPECT_EQ(real, 2455000.5);
  EXPECT_TRUE(doc.GetReal("n", real));  // an integer converts
  EXPECT_EQ(real, 3);
  real = -1;
  EXPECT_FALSE(doc.GetReal("s", real));  // never from a string
  EXPECT_FALSE(doc.GetReal("missing", real));
  EXPECT_EQ(real, -1);

  int64_t integer = -1;
  EXPECT_FALSE(doc.GetInt("m0", integer));
  EXPECT_EQ(integer, -1);
  bool flag = false;
  EXPECT_TRUE(doc.GetBool("flag", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(doc.GetNull("none"));
  EXPECT_FALSE(doc.GetNull("flag"));

  char text[8] = "xxxxxxx";
  EXPECT_FALSE(doc.GetStr("n", 7, text));
  EXPECT_STREQ(text, "xxxxxxx");
  EXPECT_TRUE(doc.GetStr("s", 7, text));
  EXPECT_STREQ(text, "1.5");
}

TEST_F(Cursor, FixedArraysAreCutWithoutTerminator) {
  char text[3] = {'z', 'z', 'z'};
  ASSERT_TRUE(doc.GetStr("name", 1, text));
  EXPECT_EQ(std::string(text, 3), "V1z");
  ASSERT_TRUE(doc.GetStr("name", 2, text));
  EXPECT_EQ(std::string(text, 3), std::string("V1\0", 3));
}

TEST_F(Cursor, DuplicateNamesFindTheFirst) {
  int64_t integer = 0;
  char text[16];
  EXPECT_TRUE(doc.GetInt("dup", integer));
  EXPECT_EQ(integer, 1);
  EXPECT_FALSE(doc.GetStr("dup", 15, text));
  uint32_t count = 0;
  ASSERT_TRUE(doc.GetMemberCount(count));
  EXPECT_EQ(count, 10u);
  int32_t kind = -1;
  ASSERT_TRUE(doc.GetMemberName(7, 15, text, kind));
  EXPECT_STREQ(text, "dup");
  EXPECT_EQ(kind, jkString);
  EXPECT_FALSE(doc.GetMemberName(10, 15, text, kind));
}

TEST_F(Cursor, EnterAndLeave) {
  EXPECT_FALSE(doc.Leave());
  EXPECT_FALSE(doc.EnterArray("fit"));
  EXPECT_FALSE(doc.EnterRecord("name"));
  EXPECT_EQ(doc.current, doc.root);

  ASSERT_TRUE(doc.EnterArray("rows"));
  uint32_t count = 0;
  EXPECT_FALSE(doc.GetMemberCount(count));
  ASSERT_TRUE(doc.GetArrayCount(count));
  EXPECT_EQ(count, 6u);
  EXPECT_FALSE(doc.EnterArrayRecord(1));
  EXPECT_FALSE(doc.EnterArrayArray(0));
  EXPECT_FALSE(doc.EnterArrayRecord(6));

  ASSERT_TRUE(doc.EnterArrayArray(1));
  int64_t seven = 0;
  EXPECT_TRUE(doc.GetArrayInt(0, seven));
  EXPECT_EQ(seven, 7);
  ASSERT_TRUE(doc.Leave());

  char text[4];
  double two = 0;
  bool flag = true;
  EXPECT_TRUE(doc.GetArrayStr(2, 3, text));
  EXPECT_STREQ(text, "t");
  EXPECT_TRUE(doc.GetArrayReal(3, two));
  EXPECT_EQ(two, 2);
  EXPECT_TRUE(doc.GetArrayBool(4, flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(doc.GetArrayNull(5));
  EXPECT_FALSE(doc.GetArrayNull(4));
  EXPECT_FALSE(doc.GetArrayStr(3, 3, text));

  ASSERT_TRUE(doc.EnterArrayRecord(0));
  EXPECT_TRUE(doc.GetReal("x", two));
  EXPECT_TRUE(doc.Leave());
  EXPECT_TRUE(doc.Leave());
  EXPECT_EQ(doc.current, doc.root);
  EXPECT_FALSE(doc.Leave());
}

TEST_F(Cursor, DynamicStringsAreCopies) {
  vdstr::TDStringA* string = nullptr;
  ASSERT_TRUE(doc.GetDStr("name", &string));
  EXPECT_EQ(support::StringView(string), "V1");
  ASSERT_TRUE(doc.EnterArray("rows"));
  ASSERT_TRUE(doc.GetArrayDStr(2, &string));
  EXPECT_EQ(support::StringView(string), "t");
  EXPECT_FALSE(doc.GetArrayDStr(3, &string));
  support::ReleaseString(string);
}

TEST_F(Cursor, DeletionKeepsOrderAndIndexLookups) {
  ASSERT_TRUE(doc.DeleteMember("dup"));
  int64_t integer = 0;
  EXPECT_FALSE(doc.GetInt("dup", integer));
  char text[16];
  EXPECT_TRUE(doc.GetStr("dup", 15, text));  // the second one remains
  EXPECT_FALSE(doc.DeleteMember("missing"));
  EXPECT_FALSE(doc.DeleteElement(0));

  ASSERT_TRUE(doc.EnterArray("rows"));
  EXPECT_TRUE(doc.GetArrayStr(2, 15, text));  // remembered position at index 2 ...
  ASSERT_TRUE(doc.DeleteElement(1));
  EXPECT_TRUE(doc.GetArrayInt(2, integer));   // ... must not survive the deletion
  EXPECT_EQ(integer, 2);
  EXPECT_FALSE(doc.DeleteElement(5));
  ASSERT_TRUE(doc.DeleteElement(4));
  uint32_t count = 0;
  ASSERT_TRUE(doc.GetArrayCount(count));
  EXPECT_EQ(count, 4u);
  EXPECT_TRUE(doc.GetArrayBool(3, *reinterpret_cast<bool*>(text)));
}

TEST(Build, WithoutRootStartsAnEmptyRecord) {
  CJSON doc;
  ASSERT_TRUE(doc.AddReal("x", 1.5));
  ASSERT_NE(doc.root, nullptr);
  EXPECT_EQ(doc.root->kind, jkRecord);
  EXPECT_FALSE(doc.Leave());
}

TEST(Build, NamesAreCutAndArraysIgnoreThem) {
  CJSON doc;
  std::string longName(70, 'k');
  doc.AddInt(longName.c_str(), 1);
  doc.AddArray("a");
  doc.AddInt("ignored", 2);
  doc.Rewind();
  char name[80];
  int32_t kind = 0;
  ASSERT_TRUE(doc.GetMemberName(0, 79, name, kind));
  EXPECT_EQ(std::string(name), longName.substr(0, 64));
  int64_t value = 0;
  EXPECT_TRUE(doc.GetInt(longName.c_str(), value));  // compared up to 64 characters
  EXPECT_EQ(WriteText(doc).find("ignored"), std::string::npos);
}

TEST(Build, InsertGoesBeforeTheActiveChild) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, "[1,2]").ok);
  doc.AddInt(nullptr, 0, true);   // right after parsing the active child is the first
  doc.AddInt(nullptr, 3);         // appended, and now active
  doc.AddInt(nullptr, 9, true);   // before 3
  EXPECT_EQ(WriteText(doc), "[\r\n\t0,\r\n\t1,\r\n\t2,\r\n\t9,\r\n\t3\r\n]\r\n");

  CJSON empty;
  empty.InitRoot(true);
  empty.AddInt(nullptr, 5, true);  // no active child: appended
  EXPECT_EQ(WriteText(empty), "[\r\n\t5\r\n]\r\n");
}

TEST(Build, InitRootAndDoneDiscardTheTree) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, R"({"a":[1,{"b":"c"}]})").ok);
  doc.InitRoot(true);
  uint32_t count = 1;
  ASSERT_TRUE(doc.GetArrayCount(count));
  EXPECT_EQ(count, 0u);
  doc.Done();
  EXPECT_EQ(doc.root, nullptr);
  EXPECT_EQ(doc.current, nullptr);
  EXPECT_FALSE(doc.GetArrayCount(count));
  doc.Rewind();
  EXPECT_EQ(doc.root->kind, jkRecord);
}

TEST(Reformat, WritesOrReportsTheError) {
  TJSONText text;
  char error[kErrorTextLength];
  ASSERT_TRUE(ReformatText("{\"a\":[1]}", 9, text, error));
  EXPECT_EQ(std::string(text.data, text.length), "{\r\n\t\"a\": [\r\n\t\t1\r\n\t]\r\n}\r\n");
  EXPECT_FALSE(ReformatText("[1 2]", 5, text, error));
  EXPECT_STREQ(error, "Expected , or ]");
  EXPECT_FALSE(ReformatFile("/nonexistent/file.json", text, error));
  EXPECT_STREQ(error, "Cannot read file");
  DoneText(text);
}

// A path that names a pipe or a device is refused at once: reading it would
// block or never end.
TEST(Reformat, RefusesWhatIsNotARegularFile) {
  ombrix_test::CTempFolder folder("sjson");
  const std::string fifo = folder.Path("pipe.json");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TJSONText text;
  char error[kErrorTextLength];
  for (const char* path : {fifo.c_str(), "/dev/zero", folder.Root().c_str()}) {
    EXPECT_FALSE(ReformatFile(path, text, error)) << path;
    EXPECT_STREQ(error, "Not a regular file") << path;
  }
  DoneText(text);
}

}  // namespace
}  // namespace sjson
