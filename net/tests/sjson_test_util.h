// Helpers for the JSON tests: parsing from std::string and comparing trees.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "ombrix_net/sjson.h"
#include "sjson_internal.h"
#include "sjson_support.h"

namespace sjson::test {

struct ParseResult {
  bool ok;
  std::string error;
};

// Parses the bytes from an exactly sized heap copy, so that a read past the
// input shows up under AddressSanitizer.
inline ParseResult ParseText(CJSON& doc, std::string_view text) {
  std::unique_ptr<char[]> copy(new char[text.size() ? text.size() : 1]);
  if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size());
  TJSONSource source;
  InitSource(source, copy.get(), static_cast<uint32_t>(text.size()));
  bool ok = doc.Parse(source);
  return {ok, source.errorText};
}

inline std::string WriteText(CJSON& doc) {
  TJSONText text;
  doc.Write(&text);
  std::string result(text.data ? text.data : "", text.length);
  DoneText(text);
  return result;
}

inline std::string_view StringOf(const CJSONNode& node) {
  return support::StringView(node.value.string);
}

inline bool IsZeroReal(const CJSONNode& node) { return node.kind == jkReal && node.value.real == 0; }

// Trees are equal when kinds, names, scalars and children agree; reals within
// the writer's 8 decimals. The writer writes a zero real as 0, which reads
// back as the integer 0.
inline bool SameTree(const CJSONNode& a, const CJSONNode& b) {
  if (IsZeroReal(a) && b.kind == jkInteger) return b.value.integer == 0;
  if (a.kind != b.kind || internal::NameOf(a) != internal::NameOf(b)) return false;
  switch (a.kind) {
    case jkBoolean: return a.value.boolean == b.value.boolean;
    case jkInteger: return a.value.integer == b.value.integer;
    case jkReal: return std::fabs(a.value.real - b.value.real) <= 5e-9 * std::fmax(1, std::fabs(a.value.real));
    case jkString: return StringOf(a) == StringOf(b);
    case jkRecord:
    case jkArray: {
      if (a.children.count != b.children.count) return false;
      const CJSONNode* x = internal::FirstChild(a);
      const CJSONNode* y = internal::FirstChild(b);
      for (; x && y; x = internal::NextSibling(*x), y = internal::NextSibling(*y))
        if (!SameTree(*x, *y)) return false;
      return x == nullptr && y == nullptr;
    }
    default: return true;
  }
}

}  // namespace sjson::test
