// The parser: tokens, records, arrays, values, quoted strings and numbers.
//
// Every read checks the source length first, so no byte past the input is
// touched whatever it holds; nesting is limited to kMaxDepth levels so that a
// hostile text cannot exhaust the stack.
#include <cmath>
#include <cstring>
#include <limits>

#include "sjson_internal.h"
#include "sjson_support.h"

namespace sjson {
namespace {

enum class TToken {
  End,
  String,
  Number,
  OpenRecord,
  CloseRecord,
  OpenArray,
  CloseArray,
  True,
  False,
  Null,
  LongIdentifier,  // starts like true, false or null but exceeds the identifier length
  Colon,
  Comma,
  Unknown,
};

constexpr uint32_t kIdentifierLength = 64;
constexpr uint32_t kFractionDigits = 11;
constexpr double kFractionFactor[kFractionDigits] = {1e-1, 1e-2, 1e-3, 1e-4,  1e-5, 1e-6,
                                                     1e-7, 1e-8, 1e-9, 1e-10, 1e-11};
// Beyond this exponent every non-zero value has become zero or infinite.
constexpr int32_t kExponentCap = 100000;

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsWhite(uint8_t c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// Why a quoted string could not be read.
enum class TQuoted { Ok, NotString, TooLong };

class CParser {
 public:
  explicit CParser(TJSONSource& source)
      : source_(source), data_(reinterpret_cast<const uint8_t*>(source.data)),
        length_(source.data ? source.length : 0) {}

  bool Document(CJSON& document);

 private:
  bool AtEnd() const { return source_.position >= length_; }
  uint8_t Byte() const { return data_[source_.position]; }
  bool IsLast() const { return source_.position + 1 >= length_; }
  void SkipWhite() {
    while (!AtEnd() && IsWhite(Byte())) ++source_.position;
  }

  TToken PeekToken();
  TToken IdentifierToken() const;
  uint32_t IdentifierLength() const;
  bool Expect(TToken token, const char* errorText);
  bool Fail(const char* errorText);

  bool Record(CJSONNode& node);
  bool Array(CJSONNode& node);
  bool Container(CJSONNode& node, bool isRecord);
  bool Member(CJSONNode& record, TToken close, const char* separatorError);
  bool Value(CJSONNode& node, const char* separatorError);
  bool Identifier(CJSONNode& node, TToken token);
  TQuoted Quoted(char* out, uint32_t limit, uint32_t& count);
  bool OptionalSign(bool& negative);
  bool Number(CJSONNode& node);

  TJSONSource& source_;
  const uint8_t* data_;
  uint32_t length_;
  uint32_t depth_ = 0;
  // String values are read here, one buffer for all levels of nesting.
  char text_[kMaxStringLength];
};

bool CParser::Fail(const char* errorText) {
  if (errorText && source_.errorText[0] == 0) {
    std::strncpy(source_.errorText, errorText, kErrorTextLength - 1);
    source_.errorText[kErrorTextLength - 1] = 0;
  }
  return false;
}

uint32_t CParser::IdentifierLength() const {
  uint32_t at = source_.position;
  if (at < length_ && IsLetter(data_[at])) ++at;
  while (at < length_ && (IsLetter(data_[at]) || IsDigit(data_[at]))) ++at;
  return at - source_.position;
}

TToken CParser::IdentifierToken() const {
  uint32_t n = IdentifierLength();
  if (n > kIdentifierLength) return TToken::LongIdentifier;
  std::string_view word(reinterpret_cast<const char*>(data_ + source_.position), n);
  if (word == "true") return TToken::True;
  if (word == "false") return TToken::False;
  if (word == "null") return TToken::Null;
  return TToken::Unknown;
}

// Skips white space and tells the kind of the next token without consuming it.
TToken CParser::PeekToken() {
  SkipWhite();
  if (AtEnd()) return TToken::End;
  switch (Byte()) {
    case '"': return TToken::String;
    case '{': return TToken::OpenRecord;
    case '}': return TToken::CloseRecord;
    case '[': return TToken::OpenArray;
    case ']': return TToken::CloseArray;
    case ':': return TToken::Colon;
    case ',': return TToken::Comma;
    case '+': case '-': case '.': return TToken::Number;
    case 't': case 'f': case 'n': return IdentifierToken();
    default: return IsDigit(Byte()) ? TToken::Number : TToken::Unknown;
  }
}

bool CParser::Expect(TToken token, const char* errorText) {
  if (PeekToken() != token) return Fail(errorText);
  ++source_.position;
  return true;
}

bool CParser::Document(CJSON& document) {
  if (length_ == 0) return Fail("No JSON data");
  switch (PeekToken()) {
    case TToken::End:
      return false;
    case TToken::OpenRecord:
      document.InitRoot(false);
      return Record(*document.root);
    case TToken::OpenArray:
      document.InitRoot(true);
      return Array(*document.root);
    default:
      return Fail("Top level JSON structure must be Record {} or Array []");
  }
}

bool CParser::Record(CJSONNode& node) { return Container(node, true); }
bool CParser::Array(CJSONNode& node) { return Container(node, false); }

bool CParser::Container(CJSONNode& node, bool isRecord) {
  const TToken close = isRecord ? TToken::CloseRecord : TToken::CloseArray;
  const char* separatorError = isRecord ? "Expected , or }" : "Expected , or ]";
  if (!Expect(isRecord ? TToken::OpenRecord : TToken::OpenArray,
              isRecord ? "Expected {" : "Expected ["))
    return false;
  if (depth_ >= kMaxDepth) return Fail(kNestingTooDeep);
  if (PeekToken() == close) {
    ++source_.position;
    return true;
  }
  ++depth_;
  bool ok = Member(node, close, separatorError);
  --depth_;
  return ok;
}

// Reads the members or elements of a container up to its closing bracket.
bool CParser::Member(CJSONNode& container, TToken close, const char* separatorError) {
  const bool isRecord = container.kind == jkRecord;
  for (;;) {
    CJSONNode* child = internal::NewChild(container);
    child->parent = &container;
    container.children.Append(child);
    if (isRecord) {
      auto& member = *static_cast<CJSONNamedNode*>(child);
      uint32_t n = 0;
      TQuoted name = Quoted(member.name, kNameLength, n);
      if (name == TQuoted::NotString) return Fail("Expected quoted string");
      if (name == TQuoted::TooLong) return Fail("Expected :");
      if (!Expect(TToken::Colon, "Expected :")) return false;
    }
    if (!Value(*child, separatorError)) return false;
    TToken next = PeekToken();
    if (next == close) {
      ++source_.position;
      return true;
    }
    if (next != TToken::Comma) return Fail(separatorError);
    ++source_.position;
  }
}

bool CParser::Value(CJSONNode& node, const char* separatorError) {
  TToken token = PeekToken();
  switch (token) {
    case TToken::String: {
      uint32_t n = 0;
      TQuoted read = Quoted(text_, kMaxStringLength, n);
      if (read == TQuoted::NotString) return Fail("Expected quoted string");
      if (read == TQuoted::TooLong) return Fail(separatorError);
      node.kind = jkString;
      support::AssignString(node.value.string, text_, n);
      return true;
    }
    case TToken::Number:
      return Number(node);
    case TToken::OpenRecord:
      node.kind = jkRecord;
      return Record(node);
    case TToken::OpenArray:
      node.kind = jkArray;
      return Array(node);
    case TToken::True:
    case TToken::False:
    case TToken::Null:
    case TToken::LongIdentifier:
      return Identifier(node, token);
    default:
      return false;
  }
}

bool CParser::Identifier(CJSONNode& node, TToken token) {
  if (token == TToken::LongIdentifier) return Fail("Expected identifier");
  source_.position += IdentifierLength();
  node.kind = token == TToken::Null ? jkNull : jkBoolean;
  node.value.boolean = token == TToken::True ? 1 : 0;
  return true;
}

// Reads a quoted string into out (at most limit bytes, no terminator added).
// A string that reaches the end of the text without its closing quote is
// taken as it is. A string longer than limit is refused as a whole: reading
// on inside it as if it were structure would let its contents pose as members.
TQuoted CParser::Quoted(char* out, uint32_t limit, uint32_t& count) {
  SkipWhite();
  if (AtEnd() || Byte() != '"' || IsLast()) return TQuoted::NotString;
  ++source_.position;
  count = 0;
  while (!AtEnd()) {
    uint8_t c = Byte();
    ++source_.position;
    if (c == '"') return TQuoted::Ok;
    if (c == '\\') {
      if (AtEnd()) break;
      c = Byte();
      ++source_.position;
      if (c == 't') c = '\t';
      else if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
    }
    if (count == limit) return TQuoted::TooLong;
    out[count++] = static_cast<char>(c);
  }
  return TQuoted::Ok;
}

// Saturating conversion of a magnitude with its sign to a signed 64-bit integer.
int64_t SignedInteger(uint64_t magnitude, bool negative) {
  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (!negative) return magnitude > kMax ? std::numeric_limits<int64_t>::max()
                                         : static_cast<int64_t>(magnitude);
  if (magnitude > kMax) return std::numeric_limits<int64_t>::min();
  return -static_cast<int64_t>(magnitude);
}

// Consumes a '-' or '+' at the current byte; false when the sign ends the text.
bool CParser::OptionalSign(bool& negative) {
  if (Byte() != '-' && Byte() != '+') return true;
  negative = Byte() == '-';
  if (IsLast()) return false;
  ++source_.position;
  return true;
}

bool CParser::Number(CJSONNode& node) {
  constexpr const char* kError = "Expected number";
  bool negative = false;
  if (!OptionalSign(negative)) return Fail(kError);
  // Integer digits: as a double for reals, and exactly for integers.
  double value = 0;
  uint64_t magnitude = 0;
  bool saturated = false;
  uint32_t digits = 0;
  for (; !AtEnd() && IsDigit(Byte()); ++source_.position, ++digits) {
    uint8_t d = Byte() - '0';
    value = value * 10 + d;
    if (magnitude > (std::numeric_limits<uint64_t>::max() - d) / 10) saturated = true;
    else magnitude = magnitude * 10 + d;
  }
  bool isReal = false;
  if (!AtEnd() && Byte() == '.') {
    if (digits == 0 || IsLast()) return Fail(kError);
    ++source_.position;
    isReal = true;
    for (uint32_t k = 0; !AtEnd() && IsDigit(Byte()); ++source_.position, ++k)
      if (k < kFractionDigits) value += (Byte() - '0') * kFractionFactor[k];
  }
  if (!AtEnd() && (Byte() == 'E' || Byte() == 'e')) {
    if (IsLast()) return Fail(kError);
    ++source_.position;
    isReal = true;
    bool negativeExponent = false;
    if (!OptionalSign(negativeExponent)) return Fail(kError);
    int32_t exponent = 0;
    for (; !AtEnd() && IsDigit(Byte()); ++source_.position)
      if (exponent < kExponentCap) exponent = exponent * 10 + (Byte() - '0');
    const double factor = negativeExponent ? 0.1 : 10.0;
    for (; exponent > 0 && value != 0 && std::isfinite(value); --exponent) value *= factor;
  }
  if (isReal) {
    node.kind = jkReal;
    node.value.real = negative ? -value : value;
  } else {
    node.kind = jkInteger;
    node.value.integer =
        SignedInteger(saturated ? std::numeric_limits<uint64_t>::max() : magnitude, negative);
  }
  return true;
}

}  // namespace

bool CJSON::Parse(TJSONSource& input) {
  input.position = 0;
  input.errorText[0] = 0;
  source = &input;
  bool ok = CParser(input).Document(*this);
  source = nullptr;
  Rewind();
  return ok;
}

}  // namespace sjson
