// FIOR: splitting, joining and expanding paths, and file-name extensions.
#include <unistd.h>

#include <cctype>
#include <string>
#include <vector>

#include "fio_sys.h"
#include "runbase/fixed_text.h"
#include "runbase/fior.h"
#include "runbase/str.h"

namespace FIOR {

namespace {

using FixedText::Trim;
using FixedText::View;

bool IsSep(char c) { return c == '/' || c == '\\'; }

bool HasDrive(std::string_view p) {
  return p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':';
}

bool IsNetwork(std::string_view p) { return p.size() >= 2 && IsSep(p[0]) && IsSep(p[1]); }

std::size_t FindSep(std::string_view p, std::size_t from) {
  for (std::size_t i = from; i < p.size(); ++i)
    if (IsSep(p[i])) return i;
  return std::string_view::npos;
}

std::size_t LastSep(std::string_view p) {
  for (std::size_t i = p.size(); i > 0; --i)
    if (IsSep(p[i - 1])) return i - 1;
  return std::string_view::npos;
}

// Length of a network root "\\server\share"; npos when the server or the
// share is not followed by a separator (the whole path is then root).
std::size_t NetworkRootLength(std::string_view p) {
  const std::size_t afterServer = FindSep(p, 2);
  if (afterServer == std::string_view::npos) return std::string_view::npos;
  return FindSep(p, afterServer + 1);
}

// Position of the extension's "." (after the last separator); npos when none.
std::size_t ExtensionDot(std::string_view p) {
  const std::size_t sep = LastSep(p);
  const std::size_t dot = p.rfind('.');
  if (dot == std::string_view::npos) return dot;
  if (sep != std::string_view::npos && dot < sep) return std::string_view::npos;
  return dot;
}

struct TSplit {
  std::string_view directory;
  std::string_view name;
};

TSplit Split(std::string_view p) {
  std::size_t rootLength = 0;
  if (IsNetwork(p)) {
    rootLength = NetworkRootLength(p);
    if (rootLength == std::string_view::npos) return {p, {}};
  } else if (HasDrive(p)) {
    rootLength = 2;
  }
  const std::size_t sep = LastSep(p);
  if (sep == std::string_view::npos) {
    if (HasDrive(p)) return {p.substr(0, 2), p.substr(2)};
    return {{}, p};
  }
  if (sep < rootLength) return {p, {}};
  const std::size_t keep = sep == rootLength ? sep + 1 : sep;   // "C:\" and "/" keep theirs
  return {p.substr(0, keep), p.substr(sep + 1)};
}

std::string CurrentDirectory() {
  char path[4096];
  if (::getcwd(path, sizeof path) == nullptr) return "/";
  return path;
}

// Appends the components of p to parts: "." and empty ones are dropped,
// ".." removes the last one built (never the root).
void Walk(std::string_view p, std::vector<std::string_view>& parts) {
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t end = FindSep(p, start);
    if (end == std::string_view::npos) end = p.size();
    const std::string_view part = p.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
}

std::string Expand(std::string_view p) {
  p = Trim(p);
  std::string root;       // written before the first '/'
  std::string relative;   // keeps the current directory alive for Walk
  if (IsNetwork(p)) {
    std::size_t length = NetworkRootLength(p);
    if (length == std::string_view::npos) length = p.size();
    root.assign(p.substr(0, length));
    for (char& c : root)
      if (c == '\\') c = '/';
    p.remove_prefix(length);
  } else if (HasDrive(p)) {
    // No drive has a current directory here: "C:name" is rooted like "C:\name".
    root = {char(std::toupper(static_cast<unsigned char>(p[0]))), ':'};
    p.remove_prefix(2);
  } else if (p.empty() || !IsSep(p.front())) {
    relative = CurrentDirectory() + "/" + std::string(p);
    p = relative;
  }
  std::vector<std::string_view> parts;
  Walk(p, parts);
  std::string out = root;
  if (parts.empty()) out += '/';
  for (std::string_view part : parts) {
    out += '/';
    out += part;
  }
  if (out.size() > FIO::MaxPathLength) out.resize(FIO::MaxPathLength);
  return out;
}

bool IsAbsolute(std::string_view name) {
  return (!name.empty() && IsSep(name.front())) || HasDrive(name);
}

std::string Join(std::string_view directory, std::string_view name) {
  std::string out(directory);
  if (!out.empty() && !IsSep(out.back())) out += '/';
  out += name;
  return out;
}

std::string Make(std::string_view directory, std::string_view name) {
  if (IsAbsolute(name)) return Expand(name);
  return Expand(Join(Expand(directory), name));
}

std::string WithExtension(std::string_view base, std::string_view extension) {
  std::string out(base);
  if (!extension.empty()) {
    out += '.';
    out += extension;
  }
  return out;
}

// Whether ChangeExtensionA must leave the name alone.
bool KeepsItsName(std::string_view p) {
  if (p.empty() || p.back() == ':') return true;
  if (p.back() != '.') return false;
  return p.size() == 1 || p[p.size() - 2] == '.' || IsSep(p[p.size() - 2]);
}

}  // namespace

void SplitPathA(std::uint32_t pathHigh, const char* path, std::uint32_t dirHigh, char* directory,
                std::uint32_t nameHigh, char* name) {
  const std::string copy(View(pathHigh, path));   // the outputs may share the input's array
  const TSplit s = Split(copy);
  FixedText::Assign(dirHigh, directory, s.directory);
  FixedText::Assign(nameHigh, name, s.name);
}

void SplitAllPathA(std::uint32_t pathHigh, const char* path, std::uint32_t dirHigh, char* directory,
                   std::uint32_t baseHigh, char* baseName, std::uint32_t extHigh, char* extension) {
  const std::string copy(View(pathHigh, path));
  const TSplit s = Split(copy);
  const std::size_t dot = s.name.rfind('.');
  FixedText::Assign(dirHigh, directory, s.directory);
  FixedText::Assign(baseHigh, baseName, s.name.substr(0, dot));
  FixedText::Assign(extHigh, extension, dot == std::string_view::npos ? std::string_view() : s.name.substr(dot + 1));
}

void MakePathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
               std::uint32_t nameHigh, const char* name) {
  FixedText::Assign(destHigh, destination, Make(View(dirHigh, directory), View(nameHigh, name)));
}

void MakeAllPathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
                  std::uint32_t baseHigh, const char* baseName, std::uint32_t extHigh,
                  const char* extension) {
  const std::string name = WithExtension(View(baseHigh, baseName), View(extHigh, extension));
  FixedText::Assign(destHigh, destination, Make(View(dirHigh, directory), name));
}

void JoinPathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
               std::uint32_t nameHigh, const char* name) {
  FixedText::Assign(destHigh, destination, Join(View(dirHigh, directory), View(nameHigh, name)));
}

void ExpandPathA(std::uint32_t pathHigh, const char* path, std::uint32_t destHigh, char* destination) {
  FixedText::Assign(destHigh, destination, Expand(View(pathHigh, path)));
}

void GetExtensionA(std::uint32_t nameHigh, const char* name, std::uint32_t extHigh, char* extension) {
  const std::string copy(View(nameHigh, name));
  const std::size_t dot = ExtensionDot(copy);
  FixedText::Assign(extHigh, extension, dot == std::string::npos ? std::string() : copy.substr(dot + 1));
}

void AddExtensionA(std::uint32_t nameHigh, char* name, std::uint32_t extHigh, const char* extension) {
  const std::string_view p = View(nameHigh, name);
  if (ExtensionDot(p) != std::string_view::npos) return;
  FixedText::Assign(nameHigh, name, WithExtension(p, View(extHigh, extension)));
}

void ChangeExtensionA(std::uint32_t nameHigh, char* name, std::uint32_t extHigh, const char* extension) {
  std::string_view p = View(nameHigh, name);
  if (!p.empty() && IsSep(p.back())) p.remove_suffix(1);
  if (KeepsItsName(p)) return;
  const std::size_t dot = ExtensionDot(p);
  const std::string_view base = dot == std::string_view::npos ? p : p.substr(0, dot);
  FixedText::Assign(nameHigh, name, WithExtension(base, View(extHigh, extension)));
}

void RemoveExtensionA(std::uint32_t nameHigh, char* name) {
  const std::string_view p = View(nameHigh, name);
  const std::size_t dot = ExtensionDot(p);
  if (dot != std::string_view::npos) name[dot] = 0;
}

bool IsExtensionA(std::uint32_t nameHigh, const char* name, std::uint32_t extHigh, const char* extension) {
  std::string pattern = "*.";
  pattern += View(extHigh, extension);
  std::string upper(View(nameHigh, name));
  Str::CapsA(std::uint32_t(upper.size()), upper.data());
  Str::CapsA(std::uint32_t(pattern.size()), pattern.data());
  return Str::MatchA(std::uint32_t(upper.size()), upper.c_str(), std::uint32_t(pattern.size()),
                     pattern.c_str());
}

void WildcardTailA(std::uint32_t pathHigh, char* path) {
  const std::string_view p = View(pathHigh, path);
  FixedText::Assign(pathHigh, path, p.empty() ? std::string("*") : Join(p, "*"));
}

}  // namespace FIOR
