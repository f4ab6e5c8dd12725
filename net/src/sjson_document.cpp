// Nodes, the document's lifecycle, the cursor, readers and builders.
#include <algorithm>
#include <cstring>

#include "sjson_internal.h"
#include "sjson_support.h"

namespace sjson {

using internal::FirstChild;
using internal::IsContainer;
using internal::NameOf;
using internal::NextSibling;

// --- Nodes ---

CJSONNode::~CJSONNode() { CJSONNode::Clear(); }

void CJSONNode::Clear() {
  if (IsContainer(kind)) {
    CJSONNode* child = FirstChild(*this);
    while (child) {
      CJSONNode* following = NextSibling(*child);
      child->Clear();
      delete child;
      child = following;
    }
    children.ClearList();
  } else if (kind == jkString) {
    support::ReleaseString(value.string);
  }
  kind = jkNull;
  value.raw = 0;
}

bool CJSONNode::HasName() const { return false; }

bool CJSONNamedNode::HasName() const { return true; }

void InitSource(TJSONSource& source, const char* data, uint32_t length) {
  source.data = data;
  source.length = length;
  source.position = 0;
  source.errorText[0] = 0;
}

void DoneText(TJSONText& text) {
  support::ReleaseBlock(text.data);
  text = TJSONText{};
}

namespace {

// Copies text into a fixed array of highest index high, zero-terminated when there is room.
void CopyToArray(std::string_view text, uint32_t high, char* array) {
  size_t room = size_t{high} + 1;
  size_t n = std::min(room, text.size());
  if (n > 0) std::memcpy(array, text.data(), n);
  if (n < room) array[n] = 0;
}

// Length of a fixed-array text: up to the first zero byte or high + 1 bytes.
std::string_view ArrayText(uint32_t high, const char* text) {
  if (!text) return {};
  return {text, strnlen(text, size_t{high} + 1)};
}

std::string_view LookupName(const char* name) {
  return name ? std::string_view(name, strnlen(name, kNameLength)) : std::string_view();
}

}  // namespace

// --- Document ---

CJSON::~CJSON() { CJSON::Done(); }

void CJSON::Done() {
  ForgetLookup();
  delete root;
  root = nullptr;
  current = nullptr;
}

void CJSON::InitRoot(bool asArray) {
  ForgetLookup();
  if (root) root->Clear();
  else root = new CJSONNode;
  root->kind = asArray ? jkArray : jkRecord;
  current = root;
}

void CJSON::ForgetLookup() {
  lookupList = nullptr;
  lookupNode = nullptr;
  lookupIndex = 0;
}

// --- Cursor ---

void CJSON::Rewind() {
  if (!root) InitRoot(false);
  current = root;
  root->children.active = root->children.first;
}

bool CJSON::Leave() {
  if (!current || !current->parent) return false;
  current = current->parent;
  return true;
}

bool CJSON::Enter(CJSONNode* node) {
  if (!node) return false;
  current = node;
  node->children.active = node->children.first;
  return true;
}

CJSONNode* CJSON::FindMember(const char* name, int32_t kind) const {
  if (!current || current->kind != jkRecord) return nullptr;
  std::string_view wanted = LookupName(name);
  for (CJSONNode* member = FirstChild(*current); member; member = NextSibling(*member)) {
    if (NameOf(*member) == wanted) return member->kind == kind ? member : nullptr;
  }
  return nullptr;
}

CJSONNode* CJSON::FindElement(uint32_t index, int32_t kind) {
  if (!current || current->kind != jkArray || index >= current->children.count) return nullptr;
  uint32_t at = 0;
  CJSONNode* element = FirstChild(*current);
  if (lookupList == current && lookupIndex <= index) {
    at = lookupIndex;
    element = lookupNode;
  }
  for (; at < index; ++at) element = NextSibling(*element);
  lookupList = current;
  lookupNode = element;
  lookupIndex = index;
  return element->kind == kind ? element : nullptr;
}

bool CJSON::EnterRecord(const char* name) { return Enter(FindMember(name, jkRecord)); }
bool CJSON::EnterArray(const char* name) { return Enter(FindMember(name, jkArray)); }
bool CJSON::EnterArrayRecord(uint32_t index) { return Enter(FindElement(index, jkRecord)); }
bool CJSON::EnterArrayArray(uint32_t index) { return Enter(FindElement(index, jkArray)); }

// --- Readers ---

namespace {

bool ReadStr(const CJSONNode* node, uint32_t high, char* array) {
  if (!node || !array) return false;
  CopyToArray(support::StringView(node->value.string), high, array);
  return true;
}

bool ReadDStr(const CJSONNode* node, vdstr::TDStringA** string) {
  if (!node || !string) return false;
  std::string_view text = support::StringView(node->value.string);
  support::AssignString(*string, text.data(), static_cast<uint32_t>(text.size()));
  return true;
}

bool ReadNumber(const CJSONNode* integer, const CJSONNode* real, double& result) {
  if (real) result = real->value.real;
  else if (integer) result = static_cast<double>(integer->value.integer);
  else return false;
  return true;
}

bool ReadInt(const CJSONNode* node, int64_t& result) {
  if (!node) return false;
  result = node->value.integer;
  return true;
}

bool ReadBool(const CJSONNode* node, bool& result) {
  if (!node) return false;
  result = node->value.boolean != 0;
  return true;
}

}  // namespace

bool CJSON::GetStr(const char* name, uint32_t high, char* array) {
  return ReadStr(FindMember(name, jkString), high, array);
}

bool CJSON::GetDStr(const char* name, vdstr::TDStringA** string) {
  return ReadDStr(FindMember(name, jkString), string);
}

bool CJSON::GetReal(const char* name, double& result) {
  return ReadNumber(FindMember(name, jkInteger), FindMember(name, jkReal), result);
}

bool CJSON::GetInt(const char* name, int64_t& result) {
  return ReadInt(FindMember(name, jkInteger), result);
}

bool CJSON::GetBool(const char* name, bool& result) {
  return ReadBool(FindMember(name, jkBoolean), result);
}

bool CJSON::GetNull(const char* name) { return FindMember(name, jkNull) != nullptr; }

bool CJSON::GetMemberCount(uint32_t& count) {
  if (!current || current->kind != jkRecord) return false;
  count = current->children.count;
  return true;
}

bool CJSON::GetMemberName(uint32_t index, uint32_t high, char* array, int32_t& kind) {
  if (!current || current->kind != jkRecord || index >= current->children.count || !array)
    return false;
  CJSONNode* member = FirstChild(*current);
  for (uint32_t at = 0; at < index; ++at) member = NextSibling(*member);
  CopyToArray(NameOf(*member), high, array);
  kind = member->kind;
  return true;
}

bool CJSON::GetArrayCount(uint32_t& count) {
  if (!current || current->kind != jkArray) return false;
  count = current->children.count;
  return true;
}

bool CJSON::GetArrayStr(uint32_t index, uint32_t high, char* array) {
  return ReadStr(FindElement(index, jkString), high, array);
}

bool CJSON::GetArrayDStr(uint32_t index, vdstr::TDStringA** string) {
  return ReadDStr(FindElement(index, jkString), string);
}

bool CJSON::GetArrayReal(uint32_t index, double& result) {
  CJSONNode* integer = FindElement(index, jkInteger);
  return ReadNumber(integer, integer ? nullptr : FindElement(index, jkReal), result);
}

bool CJSON::GetArrayInt(uint32_t index, int64_t& result) {
  return ReadInt(FindElement(index, jkInteger), result);
}

bool CJSON::GetArrayBool(uint32_t index, bool& result) {
  return ReadBool(FindElement(index, jkBoolean), result);
}

bool CJSON::GetArrayNull(uint32_t index) { return FindElement(index, jkNull) != nullptr; }

// --- Builders ---

CJSONNode* CJSON::AddNode(const char* name, int32_t kind, bool insert) {
  if (!current) InitRoot(false);
  if (!IsContainer(current->kind)) return nullptr;
  ForgetLookup();
  CJSONNode* node = internal::NewChild(*current);
  if (node->HasName()) internal::SetName(*static_cast<CJSONNamedNode*>(node), LookupName(name));
  node->parent = current;
  node->kind = kind;
  if (insert) current->children.InsertBefore(node);
  else current->children.Append(node);
  return node;
}

bool CJSON::AddStr(const char* name, uint32_t high, const char* text, bool insert) {
  CJSONNode* node = AddNode(name, jkString, insert);
  if (!node) return false;
  std::string_view bytes = ArrayText(high, text);
  support::AssignString(node->value.string, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return true;
}

bool CJSON::AddDStr(const char* name, const vdstr::TDStringA* string, bool insert) {
  CJSONNode* node = AddNode(name, jkString, insert);
  if (!node) return false;
  std::string_view bytes = support::StringView(string);
  support::AssignString(node->value.string, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return true;
}

bool CJSON::AddReal(const char* name, double number, bool insert) {
  CJSONNode* node = AddNode(name, jkReal, insert);
  if (node) node->value.real = number;
  return node != nullptr;
}

bool CJSON::AddInt(const char* name, int64_t number, bool insert) {
  CJSONNode* node = AddNode(name, jkInteger, insert);
  if (node) node->value.integer = number;
  return node != nullptr;
}

bool CJSON::AddBool(const char* name, bool flag, bool insert) {
  CJSONNode* node = AddNode(name, jkBoolean, insert);
  if (node) node->value.boolean = flag ? 1 : 0;
  return node != nullptr;
}

bool CJSON::AddNull(const char* name, bool insert) {
  return AddNode(name, jkNull, insert) != nullptr;
}

bool CJSON::AddRecord(const char* name, bool insert) {
  return Enter(AddNode(name, jkRecord, insert));
}

bool CJSON::AddArray(const char* name, bool insert) {
  return Enter(AddNode(name, jkArray, insert));
}

// --- Deletion ---

namespace {

bool Unlink(CJSONNode& container, CJSONNode* child) {
  if (!child || !container.children.Find(child)) return false;
  container.children.Remove();
  delete child;
  return true;
}

CJSONNode* MemberNamed(const CJSONNode& record, std::string_view name) {
  for (CJSONNode* member = FirstChild(record); member; member = NextSibling(*member))
    if (NameOf(*member) == name) return member;
  return nullptr;
}

}  // namespace

bool CJSON::DeleteMember(const char* name) {
  if (!current || current->kind != jkRecord) return false;
  ForgetLookup();
  return Unlink(*current, MemberNamed(*current, LookupName(name)));
}

bool CJSON::DeleteElement(uint32_t index) {
  if (!current || current->kind != jkArray || index >= current->children.count) return false;
  ForgetLookup();
  CJSONNode* element = FirstChild(*current);
  for (uint32_t at = 0; at < index; ++at) element = NextSibling(*element);
  return Unlink(*current, element);
}

}  // namespace sjson
