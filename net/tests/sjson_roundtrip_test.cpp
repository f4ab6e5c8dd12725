// Any document the writer produces parses back to an equal tree, and writing
// that tree again gives the same bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sjson_test_util.h"

namespace sjson {
namespace {

using test::ParseText;
using test::SameTree;
using test::WriteText;

class CRandomTree {
 public:
  explicit CRandomTree(uint32_t seed) : random_(seed) {}

  void Fill(CJSON& doc, int levels) {
    doc.InitRoot(Pick(2) == 0);
    Children(doc, levels);
  }

 private:
  uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

  // Any bytes, escapes and NUL included; names up to their full 64 bytes.
  std::string Bytes(uint32_t maxLength) {
    std::string text(Pick(maxLength + 1), '\0');
    for (char& c : text) c = static_cast<char>(Pick(4) == 0 ? "\t\n\r\"\\\0"[Pick(6)] : Pick(256));
    return text;
  }

  void Children(CJSON& doc, int levels) {
    uint32_t n = Pick(6);
    for (uint32_t i = 0; i < n; ++i) {
      std::string name = Bytes(kNameLength);
      name = name.substr(0, name.find('\0'));  // member names end at a zero byte
      switch (Pick(levels > 0 ? 8 : 6)) {
        case 0: doc.AddNull(name.c_str()); break;
        case 1: doc.AddBool(name.c_str(), Pick(2)); break;
        case 2: doc.AddInt(name.c_str(), static_cast<int64_t>(random_()) << Pick(32) | random_()); break;
        case 3: doc.AddReal(name.c_str(), (static_cast<int64_t>(Pick(2000000000)) - 1000000000) / 1e4); break;
        case 4: doc.AddReal(name.c_str(), Pick(2) ? 0.0 : 1e-3 * Pick(1000)); break;
        case 5: {
          std::string value = Bytes(Pick(10) == 0 ? kMaxStringLength : 40);
          vdstr::TDStringA* string = nullptr;
          support::AssignString(string, value.data(), static_cast<uint32_t>(value.size()));
          doc.AddDStr(name.c_str(), string);
          support::ReleaseString(string);
          break;
        }
        default:
          if (Pick(2)) doc.AddRecord(name.c_str());
          else doc.AddArray(name.c_str());
          Children(doc, levels - 1);
          doc.Leave();
      }
    }
  }

  std::mt19937 random_;
};

TEST(RoundTrip, RandomTrees) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    CJSON original;
    CRandomTree(seed).Fill(original, 4);
    std::string text = WriteText(original);

    CJSON parsed;
    auto result = ParseText(parsed, text);
    ASSERT_TRUE(result.ok) << "seed " << seed << ": " << result.error;
    EXPECT_TRUE(SameTree(*original.root, *parsed.root)) << "seed " << seed;
    EXPECT_EQ(WriteText(parsed), text) << "seed " << seed;
  }
}

TEST(RoundTrip, DeepestAcceptedNesting) {
  CJSON original;
  original.InitRoot(true);
  for (uint32_t level = 1; level < kMaxDepth; ++level) {
    if (original.current->kind == jkArray) original.AddRecord(nullptr);
    else original.AddArray("x");
  }
  std::string text = WriteText(original);
  CJSON parsed;
  ASSERT_TRUE(ParseText(parsed, text).ok);
  EXPECT_EQ(WriteText(parsed), text);
}

}  // namespace
}  // namespace sjson
