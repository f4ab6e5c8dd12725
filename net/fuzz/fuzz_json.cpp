// Parses any bytes and walks the result. A text that parses is written and
// parsed again; that tree, written and parsed once more, must come back equal.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ombrix_net/sjson.h"
#include "sjson_support.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Walks the tree through the cursor, touching every reader once.
void Walk(sjson::CJSON& doc, int levels) {
  char text[64];
  uint32_t count = 0;
  if (doc.GetMemberCount(count)) {
    for (uint32_t i = 0; i < count; ++i) {
      int32_t kind = 0;
      Check(doc.GetMemberName(i, sizeof text - 1, text, kind));
      text[sizeof text - 1] = 0;
      double real;
      doc.GetReal(text, real);
      doc.GetStr(text, sizeof text - 1, text);
      if (levels > 0 && (doc.EnterRecord(text) || doc.EnterArray(text))) {
        Walk(doc, levels - 1);
        Check(doc.Leave());
      }
    }
  } else if (doc.GetArrayCount(count)) {
    for (uint32_t i = 0; i < count; ++i) {
      double real;
      doc.GetArrayReal(i, real);
      doc.GetArrayStr(i, sizeof text - 1, text);
      if (levels > 0 && (doc.EnterArrayRecord(i) || doc.EnterArrayArray(i))) {
        Walk(doc, levels - 1);
        Check(doc.Leave());
      }
    }
  }
}

// A zero real is written as 0 and reads back as the integer 0.
bool SameTree(const sjson::CJSONNode& a, const sjson::CJSONNode& b) {
  if (a.kind == sjson::jkReal && a.value.real == 0 && b.kind == sjson::jkInteger)
    return b.value.integer == 0;
  if (a.kind != b.kind || a.HasName() != b.HasName() || a.children.count != b.children.count)
    return false;
  if (a.HasName() && std::strncmp(static_cast<const sjson::CJSONNamedNode&>(a).name,
                                  static_cast<const sjson::CJSONNamedNode&>(b).name,
                                  sjson::kNameLength) != 0)
    return false;
  switch (a.kind) {
    case sjson::jkBoolean: return a.value.boolean == b.value.boolean;
    case sjson::jkInteger: return a.value.integer == b.value.integer;
    case sjson::jkString:
      return sjson::support::StringView(a.value.string) == sjson::support::StringView(b.value.string);
    case sjson::jkReal:
      return std::fabs(a.value.real - b.value.real) <= 1e-8 + 1e-9 * std::fabs(a.value.real);
    default: break;
  }
  const auto* x = static_cast<const sjson::CJSONNode*>(a.children.first);
  const auto* y = static_cast<const sjson::CJSONNode*>(b.children.first);
  for (; x && y; x = static_cast<const sjson::CJSONNode*>(x->next),
                 y = static_cast<const sjson::CJSONNode*>(y->next))
    if (!SameTree(*x, *y)) return false;
  return true;
}

// Parses a written text; it must parse.
void Reparse(sjson::TJSONText& text, sjson::CJSON& doc) {
  sjson::TJSONSource source;
  sjson::InitSource(source, text.data, static_cast<uint32_t>(text.length));
  Check(doc.Parse(source));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  // An exact copy, so that a read past the end is caught.
  std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
  if (size) std::memcpy(bytes.get(), data, size);

  sjson::TJSONSource source;
  sjson::InitSource(source, bytes.get(), static_cast<uint32_t>(size));
  sjson::CJSON doc;
  bool ok = doc.Parse(source);
  Check(source.position <= size);
  Check(std::memchr(source.errorText, 0, sizeof source.errorText) != nullptr);
  Walk(doc, 8);
  if (!ok) return 0;

  sjson::TJSONText first, second;
  Check(doc.Write(&first));
  sjson::CJSON once, twice;
  Reparse(first, once);
  Check(once.Write(&second));
  Reparse(second, twice);
  Check(SameTree(*once.root, *twice.root));
  sjson::DoneText(first);
  sjson::DoneText(second);
  return 0;
}
