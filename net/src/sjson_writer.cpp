// The writer: one value per line, a TAB per nesting level, CR LF line ends.
#include <charconv>
#include <cmath>
#include <cstring>

#include "sjson_internal.h"
#include "sjson_support.h"

namespace sjson {
namespace {

// Bytes a string takes between its quotes once TAB, LF, CR, '"' and '\' are escaped.
uint64_t EscapedLength(std::string_view text) {
  uint64_t n = text.size();
  for (char c : text)
    if (c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\\') ++n;
  return n;
}

class CWriter {
 public:
  explicit CWriter(TJSONText& text) : text_(text) {}

  void Node(const CJSONNode& node, bool last);

 private:
  // Makes room for a line of the given length, growing in whole kTextGrowth steps.
  void Reserve(uint64_t bytes) {
    uint64_t needed = text_.length + bytes;
    if (needed <= text_.capacity) return;
    uint64_t steps = (needed - text_.capacity + kTextGrowth - 1) / kTextGrowth;
    support::ResizeBlock(text_.data, text_.capacity + steps * kTextGrowth);
    text_.capacity += steps * kTextGrowth;
  }
  void Put(std::string_view bytes) {
    if (bytes.empty()) return;
    std::memcpy(text_.data + text_.length, bytes.data(), bytes.size());
    text_.length += bytes.size();
  }
  void PutTabs() {
    std::memset(text_.data + text_.length, '\t', text_.depth);
    text_.length += text_.depth;
  }
  void PutQuoted(std::string_view bytes);

  // The value part of a scalar line, rendered into scratch_ unless it is a string.
  std::string_view ScalarText(const CJSONNode& node);
  void Line(const CJSONNode* member, std::string_view value, bool quoted, bool comma);

  TJSONText& text_;
  char scratch_[support::kRealTextLength];
};

void CWriter::PutQuoted(std::string_view bytes) {
  char* out = text_.data + text_.length;
  *out++ = '"';
  for (char c : bytes) {
    switch (c) {
      case '\t': *out++ = '\\'; *out++ = 't'; break;
      case '\n': *out++ = '\\'; *out++ = 'n'; break;
      case '\r': *out++ = '\\'; *out++ = 'r'; break;
      case '"': case '\\': *out++ = '\\'; *out++ = c; break;
      default: *out++ = c;
    }
  }
  *out++ = '"';
  text_.length = static_cast<uint64_t>(out - text_.data);
}

std::string_view CWriter::ScalarText(const CJSONNode& node) {
  switch (node.kind) {
    case jkBoolean:
      return node.value.boolean ? "true" : "false";
    case jkInteger: {
      auto end = std::to_chars(scratch_, scratch_ + sizeof scratch_, node.value.integer).ptr;
      return {scratch_, static_cast<size_t>(end - scratch_)};
    }
    case jkReal: {
      double real = node.value.real;
      if (real == 0) return "0";
      // Infinity and NaN have no JSON text; null keeps the document readable.
      if (!std::isfinite(real)) return "null";
      return {scratch_, support::FormatReal(real, scratch_)};
    }
    case jkString:
      return support::StringView(node.value.string);
    default:
      return "null";
  }
}

// Writes one line: tabs, the quoted name when member is a named node, the
// value, a comma, CR LF.
void CWriter::Line(const CJSONNode* member, std::string_view value, bool quoted, bool comma) {
  const bool named = member && member->HasName();
  std::string_view name = named ? internal::NameOf(*member) : std::string_view();
  uint64_t length = text_.depth + value.size() + (comma ? 1 : 0) + 2;
  if (named) length += EscapedLength(name) + 4;
  if (quoted) length += EscapedLength(value) - value.size() + 2;
  Reserve(length);
  PutTabs();
  if (named) {
    PutQuoted(name);
    Put(": ");
  }
  if (quoted) PutQuoted(value);
  else Put(value);
  if (comma) Put(",");
  Put("\r\n");
}

void CWriter::Node(const CJSONNode& node, bool last) {
  if (!internal::IsContainer(node.kind)) {
    Line(&node, ScalarText(node), node.kind == jkString, !last);
    return;
  }
  const bool isRecord = node.kind == jkRecord;
  Line(&node, isRecord ? "{" : "[", false, false);
  ++text_.depth;
  for (const CJSONNode* child = internal::FirstChild(node); child;
       child = internal::NextSibling(*child))
    Node(*child, internal::NextSibling(*child) == nullptr);
  --text_.depth;
  Line(nullptr, isRecord ? "}" : "]", false, !last);
}

}  // namespace

bool CJSON::Write(TJSONText* text) {
  if (!text || !root) return false;
  output = text;
  uint32_t depth = text->depth;
  CWriter(*text).Node(*root, true);
  text->depth = depth;
  output = nullptr;
  Rewind();
  return true;
}

}  // namespace sjson
