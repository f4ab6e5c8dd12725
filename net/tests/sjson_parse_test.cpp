#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "sjson_test_util.h"

namespace sjson {
namespace {

using test::ParseText;
using test::StringOf;

struct OutcomeCase {
  std::string text;
  bool ok;
  std::string error;
};

class ParseOutcome : public testing::TestWithParam<OutcomeCase> {};

TEST_P(ParseOutcome, ResultAndErrorText) {
  CJSON doc;
  auto result = ParseText(doc, GetParam().text);
  EXPECT_EQ(result.ok, GetParam().ok);
  EXPECT_EQ(result.error, GetParam().error);
  EXPECT_EQ(doc.current, doc.root);
}

const std::string kLongName(65, 'n');

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseOutcome,
    testing::Values(
        OutcomeCase{"", false, "No JSON data"}, OutcomeCase{" \t\r\n", false, ""},
        OutcomeCase{"{}", true, ""}, OutcomeCase{"[]", true, ""},
        OutcomeCase{"[1,]", false, ""}, OutcomeCase{"[1 2]", false, "Expected , or ]"},
        OutcomeCase{"{\"a\" 1}", false, "Expected :"},
        OutcomeCase{"{\"a\":1 \"b\":2}", false, "Expected , or }"},
        OutcomeCase{"{\"a\":1,}", false, "Expected quoted string"},
        OutcomeCase{"{a:1}", false, "Expected quoted string"},
        OutcomeCase{"\"text\"", false, "Top level JSON structure must be Record {} or Array []"},
        OutcomeCase{"12", false, "Top level JSON structure must be Record {} or Array []"},
        OutcomeCase{"]", false, "Top level JSON structure must be Record {} or Array []"},
        OutcomeCase{"[True]", false, ""}, OutcomeCase{"[truex]", false, ""},
        OutcomeCase{"[nil]", false, ""}, OutcomeCase{"[}", false, ""},
        OutcomeCase{"[" + std::string(65, 't') + "]", false, "Expected identifier"},
        OutcomeCase{"[.5]", false, "Expected number"}, OutcomeCase{"[-", false, "Expected number"},
        OutcomeCase{"[1.", false, "Expected number"}, OutcomeCase{"[1e", false, "Expected number"},
        OutcomeCase{"[1e-", false, "Expected number"},
        // Whatever follows the top-level value is not looked at.
        OutcomeCase{"{} trailing ]]", true, ""},
        OutcomeCase{"[\"", false, "Expected quoted string"},
        OutcomeCase{"[\"unterminated", false, "Expected , or ]"},
        OutcomeCase{std::string("[\0]", 3), false, ""},
        OutcomeCase{"{\"" + kLongName + "\":1}", false, "Expected :"}));

struct NumberCase {
  std::string text;
  int32_t kind;
  double value;
};

class ParseNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumber, KindAndValue) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, "[" + GetParam().text + "]").ok);
  const CJSONNode* element = internal::FirstChild(*doc.root);
  ASSERT_EQ(element->kind, GetParam().kind);
  if (element->kind == jkInteger) EXPECT_EQ(element->value.integer, GetParam().value);
  else EXPECT_DOUBLE_EQ(element->value.real, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumber,
    testing::Values(NumberCase{"12", jkInteger, 12}, NumberCase{"-7", jkInteger, -7},
                    NumberCase{"+7", jkInteger, 7}, NumberCase{"12.0", jkReal, 12},
                    NumberCase{"1e1", jkReal, 10}, NumberCase{"-0.5e-1", jkReal, -0.05},
                    NumberCase{"2E+3", jkReal, 2000}, NumberCase{"1.", jkReal, 1},
                    NumberCase{"1.123456789012345", jkReal, 1.12345678901},
                    NumberCase{"1e-400", jkReal, 0}, NumberCase{"0e99999999999", jkReal, 0}));

TEST(ParseNumber, IntegersAreExactAndSaturate) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, "[9007199254740993,-9223372036854775808,"
                             "99999999999999999999999,-99999999999999999999999]")
                  .ok);
  int64_t values[4];
  for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(doc.GetArrayInt(i, values[i]));
  EXPECT_EQ(values[0], 9007199254740993);
  EXPECT_EQ(values[1], std::numeric_limits<int64_t>::min());
  EXPECT_EQ(values[2], std::numeric_limits<int64_t>::max());
  EXPECT_EQ(values[3], std::numeric_limits<int64_t>::min());
}

TEST(ParseNumber, HugeExponentEndsQuickly) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, "[1e999999999999999999,-1e-999999999999]").ok);
  double big = 0, tiny = 1;
  ASSERT_TRUE(doc.GetArrayReal(0, big));
  ASSERT_TRUE(doc.GetArrayReal(1, tiny));
  EXPECT_TRUE(std::isinf(big));
  EXPECT_EQ(tiny, 0);
}

struct StringCase {
  std::string text;      // the quoted string as it stands in the document
  std::string expected;  // the value held by the node
};

class ParseString : public testing::TestWithParam<StringCase> {};

TEST_P(ParseString, Value) {
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, "[" + GetParam().text + "]").ok);
  EXPECT_EQ(StringOf(*internal::FirstChild(*doc.root)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseString,
    testing::Values(StringCase{R"("")", ""}, StringCase{R"("a\tb\nc\rd")", "a\tb\nc\rd"},
                    StringCase{R"("q\"b\\s\/x")", "q\"b\\s/x"}, StringCase{R"("\u00e9")", "u00e9"},
                    StringCase{std::string("\"a\0b\"", 5), std::string("a\0b", 3)},
                    StringCase{"\"\xc3\xa9\xff\"", "\xc3\xa9\xff"},
                    StringCase{"\"" + std::string(4096, 'x') + "\"", std::string(4096, 'x')}));

TEST(ParseString, LongNameFitsExactly) {
  CJSON doc;
  std::string name(64, 'n');
  ASSERT_TRUE(ParseText(doc, "{\"" + name + "\":1}").ok);
  int64_t value = 0;
  EXPECT_TRUE(doc.GetInt(name.c_str(), value));
  EXPECT_EQ(value, 1);
}

TEST(ParseString, OverlongValueIsRefusedNotReadAsStructure) {
  // The rest of an overlong string must not be taken for members.
  std::string value = std::string(4096, 'x') + R"(\",\"admin\":true})";
  CJSON doc;
  auto result = ParseText(doc, "{\"note\":\"" + value + "\"}");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Expected , or }");
  bool admin = false;
  EXPECT_FALSE(doc.GetBool("admin", admin));
}

TEST(ParseString, UnterminatedAtEndIsKept) {
  CJSON doc;
  EXPECT_FALSE(ParseText(doc, "[\"abc\\").ok);  // backslash as the very last byte
  EXPECT_EQ(StringOf(*internal::FirstChild(*doc.root)), "abc");
}

TEST(ParseNesting, LimitGivesErrorText) {
  for (uint32_t depth : {kMaxDepth, kMaxDepth + 1, 200000u}) {
    CJSON doc;
    auto result = ParseText(doc, std::string(depth, '[') + std::string(depth, ']'));
    EXPECT_EQ(result.ok, depth <= kMaxDepth) << depth;
    EXPECT_EQ(result.error, depth <= kMaxDepth ? "" : kNestingTooDeep) << depth;
  }
  CJSON doc;
  std::string records;
  for (uint32_t i = 0; i <= kMaxDepth; ++i) records += "{\"a\":";
  EXPECT_EQ(ParseText(doc, records + "1").error, kNestingTooDeep);
}

TEST(ParseTruncated, EveryPrefixFails) {
  const std::string text =
      R"({"name":"V1 Cas","m0":2455000.5,"fit":{"a_pri":0.5},"notes":["a\tb",null,true,false],)"
      R"("series":[{"data":["1 2 3"],"n":-12}],"e":1e-3})";
  CJSON doc;
  ASSERT_TRUE(ParseText(doc, text).ok);
  for (size_t n = 0; n < text.size(); ++n) {
    CJSON partial;
    EXPECT_FALSE(ParseText(partial, text.substr(0, n)).ok) << n;
  }
}

TEST(ParseTree, PartialTreeStaysAndReparseReplacesIt) {
  CJSON doc;
  EXPECT_FALSE(ParseText(doc, "{\"a\":1,\"b\":[2,").ok);
  uint32_t count = 0;
  ASSERT_TRUE(doc.GetMemberCount(count));
  EXPECT_EQ(count, 2u);
  ASSERT_TRUE(ParseText(doc, "[3]").ok);
  ASSERT_TRUE(doc.GetArrayCount(count));
  EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace sjson
