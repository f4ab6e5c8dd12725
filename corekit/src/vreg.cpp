// The registry stand-in: a hive file of sections named by key paths whose
// values carry their type ("dword:", "sz:", "binary:", "hex(n):").
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "corekit/vscan.h"
#include "runbase/fio.h"
#include "runbase/fixed_text.h"
#include "runbase/machine.h"
#include "runbase/str.h"

namespace vscan {

namespace {

using FixedText::Length;

std::recursive_mutex hiveLock;  // one process-wide image at a time
std::string hiveOverride;       // SetRegistryFileA

std::string Arg(std::uint32_t high, const char* text) { return std::string(FixedText::View(high, text)); }

const char* RootName(TRegRoot root) {
  switch (root) {
    case kHKeyClassesRoot: return "HKCR";
    case kHKeyCurrentUser: return "HKCU";
    case kHKeyLocalMachine: return "HKLM";
    case kHKeyUsers: return "HKU";
    default: return nullptr;
  }
}

// Key paths are taken without leading and trailing backslashes.
std::string TrimBackslashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

// The hive's image for one operation: read on construction, saved on demand.
// A missing file is an empty hive. A hive that cannot be placed (no
// configuration folder) or read (not a regular file, too large, unreadable)
// is never written: it holds no keys and Save fails, so every call that
// needs it fails as for a missing key instead of replacing what is there.
class CHive {
 public:
  CHive() : hold_(hiveLock), path_(RegistryFileA()) {
    if (path_.empty()) return;
    if (scanner_.Init(kAnyLength, path_.c_str())) {
      usable_ = true;
    } else if (scanner_.readResult == FIO::WholeFile::cannotOpen && FIO::IOresult() == ENOENT) {
      scanner_.Create(0, "", kAnyLength, path_.c_str());
      scanner_.modified = false;
      usable_ = true;
    }
  }

  bool Save() {
    if (!usable_) return false;
    if (!scanner_.modified) return true;
    const auto slash = path_.rfind('/');
    if (slash != std::string::npos) MakeFolders(path_.substr(0, slash));
    return scanner_.SaveModified();
  }

  bool HasSection(const std::string& name) {
    for (vlist::CListElem* e = scanner_.lines.first; e; e = e->next) {
      const auto* line = static_cast<CDataListElem*>(e);
      if (!line->isSection) continue;
      const std::string key(line->key, Length(kKeyChars - 1, line->key));
      if (key == name || key.rfind(name + "\\", 0) == 0) return true;
    }
    return false;
  }

  std::vector<std::string> Sections() const {
    std::vector<std::string> out;
    for (vlist::CListElem* e = scanner_.lines.first; e; e = e->next) {
      const auto* line = static_cast<CDataListElem*>(e);
      if (line->isSection) out.emplace_back(line->key, Length(kKeyChars - 1, line->key));
    }
    return out;
  }

  bool Select(const std::string& section) { return scanner_.SetSection(kAnyLength, section.c_str()); }
  void Create(const std::string& section) { scanner_.CreateSection(kAnyLength, section.c_str()); }

  bool Get(const std::string& section, const std::string& name, std::string& value) {
    char text[kValueChars] = {};
    if (!Select(section) || !scanner_.GetKeyStr(kAnyLength, name.c_str(), kValueChars - 1, text)) return false;
    value.assign(text, Length(kValueChars - 1, text));
    return true;
  }

  bool Set(const std::string& section, const std::string& name, const std::string& value) {
    if (!Select(section)) return false;
    return scanner_.SetKeyStr(kAnyLength, name.c_str(), kAnyLength, value.c_str());
  }

  // Rewrites a section without the value `name` (all values when empty).
  bool Drop(const std::string& section, const std::string& name) {
    if (!Select(section)) return false;
    std::vector<std::pair<std::string, std::string>> kept;
    bool dropped = false;
    char key[kKeyChars] = {}, value[kValueChars] = {};
    for (bool ok = scanner_.GetFirstLine(kKeyChars - 1, key, kValueChars - 1, value); ok;
         ok = scanner_.GetNextLine(kKeyChars - 1, key, kValueChars - 1, value)) {
      std::string k(key, Length(kKeyChars - 1, key));
      if (name.empty() || k == name) dropped = true;
      else kept.emplace_back(std::move(k), std::string(value, Length(kValueChars - 1, value)));
    }
    scanner_.ClearSection(kAnyLength, section.c_str());
    Select(section);
    for (const auto& [k, v] : kept) scanner_.AddLine(kAnyLength, k.c_str(), kAnyLength, v.c_str());
    return dropped || name.empty();
  }

  void Delete(const std::string& section) { scanner_.DeleteSection(kAnyLength, section.c_str()); }

 private:
  static void MakeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
      if (at == folder.size() || folder[at] == '/') {
        const std::string part = folder.substr(0, at);
        const auto high = static_cast<std::uint32_t>(part.size() - 1);
        if (!FIO::ExistsDirA(high, part.c_str())) FIO::MkDirA(high, part.c_str());
      }
    }
  }

  std::lock_guard<std::recursive_mutex> hold_;  // the hive file is read and written by one CHive at a time
  const std::string path_;                      // the hive file, empty when it cannot be placed
  bool usable_ = false;                         // the file was read, or is missing and may be created
  CTextScanner scanner_;                        // the file's image
};

const char kHexDigits[] = "0123456789abcdef";

std::string Encode(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  if (type == kRegSz) {
    std::uint32_t n = 0;
    while (n < size && data[n] != 0) ++n;
    return "sz:" + std::string(reinterpret_cast<const char*>(data), n);
  }
  if (type == kRegDword && size == 4) {
    char text[16];
    std::uint32_t v = 0;
    std::memcpy(&v, data, 4);
    std::snprintf(text, sizeof text, "dword:%08x", v);
    return text;
  }
  std::string out = type == kRegBinary ? "binary:" : "hex(" + std::to_string(type) + "):";
  for (std::uint32_t i = 0; i < size; ++i) {
    out += kHexDigits[data[i] >> 4];
    out += kHexDigits[data[i] & 15];
  }
  return out;
}

bool DecodeHex(const std::string& text, std::vector<std::uint8_t>& out) {
  if (text.size() % 2) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = FixedText::HexDigit(text[i]), lo = FixedText::HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

bool Decode(const std::string& value, std::uint32_t& type, std::vector<std::uint8_t>& data) {
  data.clear();
  if (value.rfind("sz:", 0) == 0) {
    type = kRegSz;
    data.assign(value.begin() + 3, value.end());
    return true;
  }
  if (value.rfind("dword:", 0) == 0) {
    bool ok = false;
    const std::string digits = value.substr(6);
    const std::uint32_t v = Str::StrToCardA(static_cast<std::uint32_t>(digits.size()), digits.c_str(), 16, ok);
    if (!ok || digits.empty()) return false;
    type = kRegDword;
    data.resize(4);
    std::memcpy(data.data(), &v, 4);
    return true;
  }
  if (value.rfind("binary:", 0) == 0) {
    type = kRegBinary;
    return DecodeHex(value.substr(7), data);
  }
  if (value.rfind("hex(", 0) == 0) {
    const auto close = value.find("):");
    if (close == std::string::npos) return false;
    bool ok = false;
    const std::string number = value.substr(4, close - 4);
    type = Str::StrToCardA(static_cast<std::uint32_t>(number.size()), number.c_str(), 10, ok);
    return ok && DecodeHex(value.substr(close + 2), data);
  }
  return false;
}

}  // namespace

void SetRegistryFileA(std::uint32_t high, const char* path) {
  std::lock_guard<std::recursive_mutex> hold(hiveLock);
  hiveOverride = Arg(high, path);
}

std::string RegistryFileA() {
  std::lock_guard<std::recursive_mutex> hold(hiveLock);
  if (!hiveOverride.empty()) return hiveOverride;
  const std::string config = machine::ConfigFolder();
  return config.empty() ? std::string() : config + "/OMBRIX/registry.ini";
}

// ---- CRegScannerA ----------------------------------------------------------

CRegScannerA::~CRegScannerA() = default;

bool CRegScannerA::Init(std::uint32_t mh, const char* machine, std::uint32_t ph, const char* keyPath, TRegRoot root) {
  return vfInit(mh, machine, ph, keyPath, root);
}

bool CRegScannerA::Create(std::uint32_t mh, const char* machine, std::uint32_t ph, const char* keyPath, TRegRoot root) {
  return vfCreate(mh, machine, ph, keyPath, root);
}

void CRegScannerA::Done() { vfDone(); }

bool CRegScannerA::vfInit(std::uint32_t mh, const char* machine, std::uint32_t ph, const char* keyPath, TRegRoot root) {
  return Open(mh, machine, ph, keyPath, root, false);
}

bool CRegScannerA::vfCreate(std::uint32_t mh, const char* machine, std::uint32_t ph, const char* keyPath,
                            TRegRoot root) {
  return Open(mh, machine, ph, keyPath, root, true);
}

void CRegScannerA::vfDone() {
  rootKey.clear();
  sectionKey.clear();
}

bool CRegScannerA::Open(std::uint32_t mh, const char* machine, std::uint32_t ph, const char* keyPath, TRegRoot root,
                        bool create) {
  vfDone();
  const char* rootName = RootName(root);
  if (!Arg(mh, machine).empty() || !rootName) return false;  // remote hives are not reachable
  const std::string path = TrimBackslashes(Arg(ph, keyPath));
  if (path.size() > 256) return false;
  const std::string section = path.empty() ? rootName : std::string(rootName) + "\\" + path;
  if (section.size() > kKeyChars) return false;  // longer names would collide in the hive
  CHive hive;
  if (!hive.HasSection(section)) {
    if (!create) return false;
    hive.Create(section);
    if (!hive.Save()) return false;
  }
  rootKey = sectionKey = section;
  return true;
}

void CRegScannerA::SetRootSection() { sectionKey = rootKey; }

bool CRegScannerA::SetSection(std::uint32_t high, const char* name) {
  sectionKey = rootKey;
  const std::string sub = TrimBackslashes(Arg(high, name));
  if (sub.empty()) return !rootKey.empty();
  const std::string section = rootKey + "\\" + sub;
  CHive hive;
  if (rootKey.empty() || section.size() > kKeyChars || !hive.HasSection(section)) return false;
  sectionKey = section;
  return true;
}

bool CRegScannerA::CreateSection(std::uint32_t high, const char* name) {
  const std::string sub = TrimBackslashes(Arg(high, name));
  const std::string section = sub.empty() ? rootKey : rootKey + "\\" + sub;
  if (rootKey.empty() || section.size() > kKeyChars) return false;
  CHive hive;
  hive.Create(section);
  if (!hive.Save()) return false;
  sectionKey = section;
  return true;
}

bool CRegScannerA::ClearSection(std::uint32_t high, const char* name) {
  const std::string sub = TrimBackslashes(Arg(high, name));
  const std::string section = sub.empty() ? rootKey : rootKey + "\\" + sub;
  CHive hive;
  if (rootKey.empty() || !hive.Select(section)) return false;
  hive.Drop(section, "");
  return hive.Save();
}

bool CRegScannerA::DeleteSection(std::uint32_t high, const char* name) {
  const std::string sub = TrimBackslashes(Arg(high, name));
  if (rootKey.empty() || sub.empty()) return false;
  const std::string section = rootKey + "\\" + sub;
  CHive hive;
  bool found = false;
  for (const std::string& s : hive.Sections()) {
    if (s == section || s.rfind(section + "\\", 0) == 0) {
      hive.Delete(s);
      found = true;
    }
  }
  if (sectionKey == section || sectionKey.rfind(section + "\\", 0) == 0) sectionKey = rootKey;
  return found && hive.Save();
}

bool CRegScannerA::DeleteKey(std::uint32_t high, const char* name) {
  const std::string key = Arg(high, name);
  if (sectionKey.empty() || key.empty()) return false;
  CHive hive;
  return hive.Drop(sectionKey, key) && hive.Save();
}

bool CRegScannerA::TryBackupKey(std::uint32_t high, const char* name) {
  const std::string key = Arg(high, name);
  CHive hive;
  std::string value;
  if (sectionKey.empty() || !hive.Get(sectionKey, key, value)) return false;
  return hive.Set(sectionKey, "BAK_" + key, value) && hive.Save();
}

bool CRegScannerA::TryRecoverKey(std::uint32_t high, const char* name) {
  const std::string key = Arg(high, name);
  CHive hive;
  std::string value;
  if (sectionKey.empty() || !hive.Get(sectionKey, "BAK_" + key, value)) return false;
  return hive.Set(sectionKey, key, value) && hive.Drop(sectionKey, "BAK_" + key) && hive.Save();
}

bool CRegScannerA::GetKeyData(std::uint32_t high, const char* name, std::uint32_t& type, void* buffer,
                              std::uint32_t& size) {
  CHive hive;
  std::string value;
  std::vector<std::uint8_t> data;
  if (sectionKey.empty() || !hive.Get(sectionKey, Arg(high, name), value) || !Decode(value, type, data)) return false;
  const auto needed = static_cast<std::uint32_t>(data.size());
  const bool fits = buffer && needed <= size;
  if (fits && needed) std::memcpy(buffer, data.data(), needed);
  size = needed;
  return fits || needed == 0;
}

bool CRegScannerA::SetKeyData(std::uint32_t high, const char* name, std::uint32_t type, const void* data,
                              std::uint32_t size) {
  const std::string key = Arg(high, name);
  if (sectionKey.empty() || key.empty() || (!data && size)) return false;
  const std::string value = Encode(type, static_cast<const std::uint8_t*>(data), size);
  if (value.size() > kValueChars) return false;  // would not survive the hive's value field
  CHive hive;
  std::string old;
  if (backup && hive.Get(sectionKey, key, old)) {
    // A value that does not exist yet has nothing to back up.
    if (!hive.Set(sectionKey, "BAK_" + key, old)) return false;
  }
  return hive.Set(sectionKey, key, value) && hive.Save();
}

bool CRegScannerA::EnumKey(std::uint32_t index, std::uint32_t high, char* name) {
  FixedText::Assign<char>(high, name, {});
  if (sectionKey.empty()) return false;
  CHive hive;
  const std::string prefix = sectionKey + "\\";
  std::vector<std::string> children;
  for (const std::string& s : hive.Sections()) {
    if (s.rfind(prefix, 0) != 0) continue;
    const std::string child = s.substr(prefix.size(), s.find('\\', prefix.size()) - prefix.size());
    bool seen = false;
    for (const auto& c : children) seen = seen || c == child;
    if (!seen && !child.empty()) children.push_back(child);
  }
  if (index >= children.size()) return false;
  FixedText::Assign(high, name, children[index]);
  return true;
}

// ---- typed access ----------------------------------------------------------

bool CRegScannerA::SetTyped(std::uint32_t keyHigh, const char* key, std::uint32_t type, const void* data,
                            std::uint32_t size) {
  return SetKeyData(keyHigh, key, type, data, size);
}

bool CRegScannerA::GetKeyStr(std::uint32_t keyHigh, const char* key, std::uint32_t high, char* text) {
  FixedText::Assign<char>(high, text, {});
  std::uint32_t type = kRegNone, size = kValueChars;
  char buffer[kValueChars];
  if (!GetKeyData(keyHigh, key, type, buffer, size) || type != kRegSz) return false;
  FixedText::Assign(high, text, {buffer, size});
  return true;
}

namespace {
template <class Scanner>
bool GetDword(Scanner& s, std::uint32_t keyHigh, const char* key, std::uint32_t& v) {
  std::uint32_t type = kRegNone, size = 4, value = 0;
  if (!s.GetKeyData(keyHigh, key, type, &value, size) || type != kRegDword || size != 4) return false;
  v = value;
  return true;
}
}  // namespace

bool CRegScannerA::GetKeyInt(std::uint32_t keyHigh, const char* key, std::int32_t& value) {
  std::uint32_t v = 0;
  if (!GetDword(*this, keyHigh, key, v)) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

bool CRegScannerA::GetKeyCard(std::uint32_t keyHigh, const char* key, std::uint32_t& value) {
  return GetDword(*this, keyHigh, key, value);
}

bool CRegScannerA::GetKeyBool(std::uint32_t keyHigh, const char* key, bool& value) {
  std::uint32_t v = 0;
  if (!GetDword(*this, keyHigh, key, v)) return false;
  value = v != 0;
  return true;
}

bool CRegScannerA::GetKeyReal(std::uint32_t keyHigh, const char* key, double& value) {
  std::uint32_t type = kRegNone, size = 8;
  double v = 0;
  if (!GetKeyData(keyHigh, key, type, &v, size) || type != kRegBinary || size != 8) return false;
  value = v;
  return true;
}

bool CRegScannerA::GetKeyBin(std::uint32_t keyHigh, const char* key, void* buffer, std::uint32_t& size) {
  std::uint32_t type = kRegNone;
  return GetKeyData(keyHigh, key, type, buffer, size) && type == kRegBinary;
}

bool CRegScannerA::SetKeyStr(std::uint32_t keyHigh, const char* key, std::uint32_t high, const char* text) {
  return SetTyped(keyHigh, key, kRegSz, text ? text : "", Length(high, text));
}

bool CRegScannerA::SetKeyInt(std::uint32_t keyHigh, const char* key, std::int32_t value) {
  return SetTyped(keyHigh, key, kRegDword, &value, 4);
}

bool CRegScannerA::SetKeyCard(std::uint32_t keyHigh, const char* key, std::uint32_t value) {
  return SetTyped(keyHigh, key, kRegDword, &value, 4);
}

bool CRegScannerA::SetKeyBool(std::uint32_t keyHigh, const char* key, bool value) {
  const std::uint32_t v = value ? 1 : 0;
  return SetTyped(keyHigh, key, kRegDword, &v, 4);
}

bool CRegScannerA::SetKeyReal(std::uint32_t keyHigh, const char* key, double value) {
  return SetTyped(keyHigh, key, kRegBinary, &value, 8);
}

bool CRegScannerA::SetKeyBin(std::uint32_t keyHigh, const char* key, const void* data, std::uint32_t size) {
  return SetTyped(keyHigh, key, kRegBinary, data, size);
}

// ---- CRegScannerW ----------------------------------------------------------

namespace {
std::string U8(std::uint32_t high, const char16_t* text) {
  const std::uint32_t n = Length(high, text);
  std::string out(std::size_t{n} * 3, '\0');
  out.resize(n ? Str::U2AP(text, n, out.data(), static_cast<std::uint32_t>(out.size())) : 0);
  return out;
}

void ToUnits(const char* text, std::uint32_t n, std::uint32_t high, char16_t* out) {
  std::u16string units(n, u'\0');
  units.resize(n ? Str::A2UP(text, n, units.data(), n) : 0);
  FixedText::Assign<char16_t>(high, out, units);
}
}  // namespace

CRegScannerW::~CRegScannerW() = default;

bool CRegScannerW::Init(std::uint32_t mh, const char16_t* m, std::uint32_t ph, const char16_t* p, TRegRoot root) {
  return vfInit(mh, m, ph, p, root);
}
bool CRegScannerW::Create(std::uint32_t mh, const char16_t* m, std::uint32_t ph, const char16_t* p, TRegRoot root) {
  return vfCreate(mh, m, ph, p, root);
}
void CRegScannerW::Done() { vfDone(); }
bool CRegScannerW::vfInit(std::uint32_t mh, const char16_t* m, std::uint32_t ph, const char16_t* p, TRegRoot root) {
  return narrow.Init(kAnyLength, U8(mh, m).c_str(), kAnyLength, U8(ph, p).c_str(), root);
}
bool CRegScannerW::vfCreate(std::uint32_t mh, const char16_t* m, std::uint32_t ph, const char16_t* p, TRegRoot root) {
  return narrow.Create(kAnyLength, U8(mh, m).c_str(), kAnyLength, U8(ph, p).c_str(), root);
}
void CRegScannerW::vfDone() { narrow.Done(); }
void CRegScannerW::SetRootSection() { narrow.SetRootSection(); }
bool CRegScannerW::SetSection(std::uint32_t h, const char16_t* n) {
  return narrow.SetSection(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::CreateSection(std::uint32_t h, const char16_t* n) {
  return narrow.CreateSection(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::ClearSection(std::uint32_t h, const char16_t* n) {
  return narrow.ClearSection(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::DeleteSection(std::uint32_t h, const char16_t* n) {
  return narrow.DeleteSection(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::DeleteKey(std::uint32_t h, const char16_t* n) {
  return narrow.DeleteKey(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::TryBackupKey(std::uint32_t h, const char16_t* n) {
  return narrow.TryBackupKey(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::TryRecoverKey(std::uint32_t h, const char16_t* n) {
  return narrow.TryRecoverKey(kAnyLength, U8(h, n).c_str());
}
bool CRegScannerW::GetKeyData(std::uint32_t h, const char16_t* n, std::uint32_t& type, void* buffer,
                              std::uint32_t& size) {
  return narrow.GetKeyData(kAnyLength, U8(h, n).c_str(), type, buffer, size);
}
bool CRegScannerW::SetKeyData(std::uint32_t h, const char16_t* n, std::uint32_t type, const void* data,
                              std::uint32_t size) {
  return narrow.SetKeyData(kAnyLength, U8(h, n).c_str(), type, data, size);
}
bool CRegScannerW::EnumKey(std::uint32_t index, std::uint32_t high, char16_t* name) {
  char text[kKeyChars + 1] = {};
  const bool ok = narrow.EnumKey(index, kKeyChars, text);
  ToUnits(text, Length(kKeyChars, text), high, name);
  return ok;
}
bool CRegScannerW::GetKeyStr(std::uint32_t kh, const char16_t* k, std::uint32_t high, char16_t* text) {
  char value[kValueChars] = {};
  const bool ok = narrow.GetKeyStr(kAnyLength, U8(kh, k).c_str(), kValueChars - 1, value);
  ToUnits(value, Length(kValueChars - 1, value), high, text);
  return ok;
}
bool CRegScannerW::GetKeyInt(std::uint32_t kh, const char16_t* k, std::int32_t& v) {
  return narrow.GetKeyInt(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::GetKeyCard(std::uint32_t kh, const char16_t* k, std::uint32_t& v) {
  return narrow.GetKeyCard(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::GetKeyBool(std::uint32_t kh, const char16_t* k, bool& v) {
  return narrow.GetKeyBool(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::GetKeyReal(std::uint32_t kh, const char16_t* k, double& v) {
  return narrow.GetKeyReal(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::SetKeyStr(std::uint32_t kh, const char16_t* k, std::uint32_t high, const char16_t* text) {
  return narrow.SetKeyStr(kAnyLength, U8(kh, k).c_str(), kAnyLength, U8(high, text).c_str());
}
bool CRegScannerW::SetKeyInt(std::uint32_t kh, const char16_t* k, std::int32_t v) {
  return narrow.SetKeyInt(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::SetKeyCard(std::uint32_t kh, const char16_t* k, std::uint32_t v) {
  return narrow.SetKeyCard(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::SetKeyBool(std::uint32_t kh, const char16_t* k, bool v) {
  return narrow.SetKeyBool(kAnyLength, U8(kh, k).c_str(), v);
}
bool CRegScannerW::SetKeyReal(std::uint32_t kh, const char16_t* k, double v) {
  return narrow.SetKeyReal(kAnyLength, U8(kh, k).c_str(), v);
}

}  // namespace vscan
