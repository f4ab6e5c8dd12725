// sjson: the program's JSON documents.
//
// A CJSON holds a tree of nodes. Parse builds the tree from a text, Write turns
// it into an indented text (TAB per level, CR LF line ends), and a cursor (the
// current node) walks into records and arrays to read or add members by name
// and elements by index. A JSON object is called a record here. Texts are
// 8-bit bytes taken and written as they are; no character-set conversion.
//
// Operations return false and leave their outputs untouched when the cursor
// stands on the wrong kind of node or the member or element is missing or of
// another kind. Nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include <corekit/vlist.h>

namespace vdstr {
struct TDStringA;
}

namespace sjson {

// Node kinds, stored as a signed 32-bit code.
enum TJSONKind : int32_t {
  jkNull = 0,
  jkBoolean = 1,
  jkInteger = 2,
  jkReal = 3,
  jkString = 4,
  jkRecord = 5,
  jkArray = 6,
};

inline constexpr uint32_t kNameLength = 64;          // characters of a member name
inline constexpr uint32_t kMaxStringLength = 4096;   // characters of a parsed string value
inline constexpr uint32_t kErrorTextLength = 128;    // characters of a parse error text
inline constexpr uint32_t kMaxDepth = 512;           // nesting levels the parser accepts
inline constexpr uint32_t kTextGrowth = 4096;        // writer buffer growth step in bytes

// The error text when a parsed text nests deeper than kMaxDepth levels.
inline constexpr const char* kNestingTooDeep = "Nesting deeper than 512 levels";

// One value of the tree. Elements of arrays and the root are plain nodes;
// members of records are CJSONNamedNode.
class CJSONNode : public vlist::CListElem {
 public:
  CJSONNode* parent = nullptr;  // the record or array holding this node; null for the root
  int32_t kind = jkNull;        // TJSONKind code
  union {
    uint64_t raw;                 // all 8 bytes; listed first so that {} zeroes them
    uint8_t boolean;              // jkBoolean: 0 or 1
    int64_t integer;              // jkInteger
    double real;                  // jkReal
    vdstr::TDStringA* string;     // jkString: owned by the node, null for ""
  } value{};                      // 8 bytes interpreted by kind
  vlist::CList children;          // jkRecord/jkArray: owned child nodes in order

  CJSONNode() = default;
  CJSONNode(const CJSONNode&) = delete;
  CJSONNode& operator=(const CJSONNode&) = delete;
  virtual ~CJSONNode();

  // Releases the children (each after its own Clear) or the string; kind becomes null.
  virtual void Clear();
  virtual bool HasName() const;
};

class CJSONNamedNode : public CJSONNode {
 public:
  char name[kNameLength] = {};  // text ends at the first zero byte or fills the array

  bool HasName() const override;
};

// Parse input and error report.
struct TJSONSource {
  const char* data = nullptr;              // the bytes to parse (not owned)
  uint32_t length = 0;                     // number of bytes
  uint32_t position = 0;                   // index of the next byte to read
  char errorText[kErrorTextLength] = {};   // why Parse failed; empty when no reason is given
};

// Writer output: a heap block, not zero-terminated.
struct TJSONText {
  char* data = nullptr;    // the text; owned, release with DoneText
  uint64_t capacity = 0;   // bytes allocated
  uint64_t length = 0;     // bytes in use
  uint32_t depth = 0;      // indentation level while writing
};

// Points the source at bytes, with position 0 and an empty error text.
void InitSource(TJSONSource& source, const char* data, uint32_t length);
// Releases the text block and zeroes the record.
void DoneText(TJSONText& text);

class CJSON {
 public:
  CJSONNode* root = nullptr;       // the tree, owned
  CJSONNode* current = nullptr;    // the cursor: the record or array being read or built
  TJSONSource* source = nullptr;   // the source while Parse runs, otherwise null
  TJSONText* output = nullptr;     // the buffer while Write runs, otherwise null

  CJSON() = default;
  CJSON(const CJSON&) = delete;
  CJSON& operator=(const CJSON&) = delete;
  virtual ~CJSON();

  // Releases the whole tree.
  virtual void Done();
  // Discards any tree and makes an empty record (or array) root the current node.
  virtual void InitRoot(bool asArray);

  // Builds the tree from source. On failure source.errorText says why (it may
  // stay empty) and the partial tree remains. The cursor ends on the root.
  bool Parse(TJSONSource& source);
  // Appends the document's text to the buffer; false without a buffer or root.
  bool Write(TJSONText* text);

  // Cursor.
  void Rewind();  // current = root (an empty record root is made when there is none)
  bool Leave();   // current = its parent
  bool EnterRecord(const char* name);
  bool EnterArray(const char* name);
  bool EnterArrayRecord(uint32_t index);
  bool EnterArrayArray(uint32_t index);

  // Members of the current record, found by name (first match, up to 64 characters).
  bool GetStr(const char* name, uint32_t high, char* array);
  bool GetDStr(const char* name, vdstr::TDStringA** string);
  bool GetReal(const char* name, double& result);  // a real, or an integer converted
  bool GetInt(const char* name, int64_t& result);
  bool GetBool(const char* name, bool& result);
  bool GetNull(const char* name);                  // true when the member is null
  bool GetMemberCount(uint32_t& count);
  bool GetMemberName(uint32_t index, uint32_t high, char* array, int32_t& kind);

  // Elements of the current array.
  bool GetArrayCount(uint32_t& count);
  bool GetArrayStr(uint32_t index, uint32_t high, char* array);
  bool GetArrayDStr(uint32_t index, vdstr::TDStringA** string);
  bool GetArrayReal(uint32_t index, double& result);
  bool GetArrayInt(uint32_t index, int64_t& result);
  bool GetArrayBool(uint32_t index, bool& result);
  bool GetArrayNull(uint32_t index);

  // Builders: a member of the current record (name cut to 64 characters) or an
  // element of the current array (name ignored). insert places the node before
  // the active child instead of appending it. AddRecord and AddArray make the
  // new container current; Leave returns from it.
  bool AddStr(const char* name, uint32_t high, const char* text, bool insert = false);
  bool AddDStr(const char* name, const vdstr::TDStringA* string, bool insert = false);
  bool AddReal(const char* name, double number, bool insert = false);
  bool AddInt(const char* name, int64_t number, bool insert = false);
  bool AddBool(const char* name, bool flag, bool insert = false);
  bool AddNull(const char* name, bool insert = false);
  bool AddRecord(const char* name, bool insert = false);
  bool AddArray(const char* name, bool insert = false);

  // Removes and releases a member of the current record or an element of the current array.
  bool DeleteMember(const char* name);
  bool DeleteElement(uint32_t index);

 private:
  CJSONNode* FindMember(const char* name, int32_t kind) const;
  CJSONNode* FindElement(uint32_t index, int32_t kind);
  bool Enter(CJSONNode* node);
  CJSONNode* AddNode(const char* name, int32_t kind, bool insert);
  void ForgetLookup();

  // Index lookups remember the last element reached, so that walking an array
  // by increasing index does not restart from its first element every time.
  CJSONNode* lookupList = nullptr;   // container of lookupNode
  CJSONNode* lookupNode = nullptr;   // element number lookupIndex of lookupList
  uint32_t lookupIndex = 0;
};

// Module initialiser; acts on the first call only.
void Init_();

// Parses bytes and writes the document as Write writes it into output (which
// is emptied first). On failure errorText holds the parse error.
bool ReformatText(const char* data, size_t length, TJSONText& output,
                  char (&errorText)[kErrorTextLength]);
// The same for the contents of a file; "Cannot read file" when it cannot be
// read, "Not a regular file" for a folder, pipe or device, "JSON data too
// large" above 64 MB.
bool ReformatFile(const char* path, TJSONText& output, char (&errorText)[kErrorTextLength]);

}  // namespace sjson
