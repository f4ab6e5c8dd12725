// Helpers shared by the JSON document, parser and writer.
#pragma once

#include <cstring>
#include <string_view>

#include "ombrix_net/sjson.h"

namespace sjson::internal {

inline CJSONNode* FirstChild(const CJSONNode& node) {
  return static_cast<CJSONNode*>(node.children.first);
}

inline CJSONNode* NextSibling(const CJSONNode& node) {
  return static_cast<CJSONNode*>(node.next);
}

inline bool IsContainer(int32_t kind) { return kind == jkRecord || kind == jkArray; }

// A member name: the text up to the first zero byte, at most kNameLength bytes.
inline std::string_view NameOf(const CJSONNode& node) {
  if (!node.HasName()) return {};
  const char* name = static_cast<const CJSONNamedNode&>(node).name;
  return {name, strnlen(name, kNameLength)};
}

// Sets a member name, cut to kNameLength bytes and zero-filled behind.
inline void SetName(CJSONNamedNode& node, std::string_view name) {
  size_t n = name.size() < kNameLength ? name.size() : kNameLength;
  std::memcpy(node.name, name.data(), n);
  std::memset(node.name + n, 0, kNameLength - n);
}

// A new node for a member of a record (named) or an element of an array.
inline CJSONNode* NewChild(const CJSONNode& container) {
  if (container.kind == jkRecord) return new CJSONNamedNode;
  return new CJSONNode;
}

}  // namespace sjson::internal
