#include <gtest/gtest.h>

#include <clocale>

#include <cmath>
#include <limits>
#include <string>

#include "sjson_test_util.h"

namespace sjson {
namespace {

using test::WriteText;
using namespace std::string_literals;

TEST(Write, ExampleDocument) {
  CJSON doc;
  doc.InitRoot(false);
  ASSERT_TRUE(doc.AddStr("status", 1, "ok"));
  ASSERT_TRUE(doc.AddArray("list"));
  ASSERT_TRUE(doc.AddInt(nullptr, 1));
  ASSERT_TRUE(doc.AddReal(nullptr, 2.5));
  ASSERT_TRUE(doc.Leave());
  EXPECT_EQ(WriteText(doc),
            "{\r\n\t\"status\": \"ok\",\r\n\t\"list\": [\r\n\t\t1,\r\n\t\t2.50000000\r\n\t]\r\n}\r\n");
  EXPECT_EQ(doc.current, doc.root);
}

TEST(Write, NestedContainersAndEmptyOnes) {
  CJSON doc;
  doc.InitRoot(true);
  doc.AddRecord(nullptr);
  doc.AddArray("e");
  doc.Leave();
  doc.AddNull("n");
  doc.AddBool("t", true);
  doc.AddBool("f", false);
  doc.Leave();
  doc.AddRecord(nullptr);
  EXPECT_EQ(WriteText(doc),
            "[\r\n\t{\r\n\t\t\"e\": [\r\n\t\t],\r\n\t\t\"n\": null,\r\n\t\t\"t\": true,\r\n"
            "\t\t\"f\": false\r\n\t},\r\n\t{\r\n\t}\r\n]\r\n");
}

struct RealCase {
  double value;
  std::string text;
};

class WriteReal : public testing::TestWithParam<RealCase> {};

TEST_P(WriteReal, Text) {
  CJSON doc;
  doc.InitRoot(true);
  doc.AddReal(nullptr, GetParam().value);
  EXPECT_EQ(WriteText(doc), "[\r\n\t" + GetParam().text + "\r\n]\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Values, WriteReal,
    testing::Values(RealCase{0.0, "0"}, RealCase{-0.0, "0"}, RealCase{-1, "-1.00000000"},
                    RealCase{2.5, "2.50000000"}, RealCase{1e-9, "0.00000000"},
                    RealCase{2455000.123456789, "2455000.12345679"},
                    RealCase{1e20, "100000000000000000000.00000000"},
                    RealCase{std::numeric_limits<double>::infinity(), "null"},
                    RealCase{std::nan(""), "null"}));

// Documents sent to a repository keep the decimal point whatever the user's
// locale, and read back to the same values.
TEST(Write, RealsKeepThePointUnderADecimalCommaLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  CJSON doc;
  doc.InitRoot(true);
  doc.AddReal(nullptr, 2455000.123456789);
  doc.AddReal(nullptr, -0.5);
  const std::string text = WriteText(doc);
  CJSON back;
  const bool parsed = test::ParseText(back, text).ok;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(text, "[\r\n\t2455000.12345679,\r\n\t-0.50000000\r\n]\r\n");
  EXPECT_TRUE(parsed);
  EXPECT_EQ(WriteText(back), text);
}

TEST(Write, EscapesNamesAndStrings) {
  CJSON doc;
  doc.InitRoot(false);
  std::string value = "t\tn\nr\rq\"b\\z\0\x01\xff"s;
  vdstr::TDStringA* string = nullptr;
  support::AssignString(string, value.data(), static_cast<uint32_t>(value.size()));
  doc.AddDStr("a\"b", string);
  support::ReleaseString(string);
  EXPECT_EQ(WriteText(doc), "{\r\n\t\"a\\\"b\": \"t\\tn\\nr\\rq\\\"b\\\\z\0\x01\xff\"\r\n}\r\n"s);
}

TEST(Write, IntegersAtTheirLimits) {
  CJSON doc;
  doc.InitRoot(true);
  doc.AddInt(nullptr, std::numeric_limits<int64_t>::min());
  doc.AddInt(nullptr, std::numeric_limits<int64_t>::max());
  EXPECT_EQ(WriteText(doc), "[\r\n\t-9223372036854775808,\r\n\t9223372036854775807\r\n]\r\n");
}

TEST(Write, AppendsAndGrowsInWholeSteps) {
  CJSON doc;
  doc.InitRoot(true);
  std::string big(5000, 'x');
  doc.AddStr(nullptr, static_cast<uint32_t>(big.size() - 1), big.data());

  TJSONText text;
  ASSERT_TRUE(doc.Write(&text));
  EXPECT_EQ(text.capacity, 2 * kTextGrowth);
  uint64_t first = text.length;
  ASSERT_TRUE(doc.Write(&text));
  EXPECT_EQ(text.length, 2 * first);
  EXPECT_EQ(text.capacity % kTextGrowth, 0u);
  EXPECT_EQ(std::string(text.data, first), std::string(text.data + first, first));
  EXPECT_EQ(text.depth, 0u);
  DoneText(text);
  EXPECT_EQ(text.data, nullptr);
}

TEST(Write, RefusesWithoutBufferOrRoot) {
  CJSON doc;
  TJSONText text;
  EXPECT_FALSE(doc.Write(&text));
  doc.InitRoot(false);
  EXPECT_FALSE(doc.Write(nullptr));
  EXPECT_EQ(text.length, 0u);
}

}  // namespace
}  // namespace sjson
