// Key files (sectioned "key = value" text) held in memory with typed reads
// and writes, saved only when something changed; and the same typed key
// interface over the registry stand-in.
//
// Names and texts are fixed arrays given as (highest index, pointer); a
// zero-terminated text may be passed with the highest index kAnyLength.
#pragma once

#include <cstdint>
#include <string>

#include "corekit/vcom.h"
#include "corekit/vlist.h"
#include "runbase/fio.h"

namespace vscan {

inline constexpr std::uint32_t kAnyLength = 0xFFFFFFFFu;
inline constexpr std::uint32_t kKeyChars = 80;     // section names and keys
inline constexpr std::uint32_t kValueChars = 256;  // values and plain lines
inline constexpr std::uint32_t kPathChars = 260;

// One line of a key file.
template <class Ch>
class CDataListElemT : public vlist::CListElem {
 public:
  bool isSection = false;      // a "[name]" header
  bool isPlain = false;        // the line had no "="
  Ch key[kKeyChars] = {};      // section name, key, or the whole plain line
  Ch value[kValueChars] = {};  // value, or the whole plain line
};

using CDataListElem = CDataListElemT<char>;
using CDataListElemW = CDataListElemT<char16_t>;

// The whole file in memory between Init/Create and Done.
template <class Ch>
class CTextScannerT {
 public:
  using TLine = CDataListElemT<Ch>;

  CTextScannerT() = default;
  CTextScannerT(const CTextScannerT&) = delete;
  CTextScannerT& operator=(const CTextScannerT&) = delete;
  ~CTextScannerT();  // Done

  // Reads the file; false when it cannot be read: missing, not a regular file
  // (a FIFO or device is refused without waiting) or larger than 16 MB.
  // readResult says which and FIO::IOresult() holds the system's code.
  bool Init(std::uint32_t pathHigh, const Ch* path);
  bool Create(std::uint32_t sectionHigh, const Ch* section, std::uint32_t pathHigh, const Ch* path);
  void Done();  // releases the lines, clears modified

  bool SetSection(std::uint32_t high, const Ch* name);  // false: current becomes the first line
  void CreateSection(std::uint32_t high, const Ch* name);
  void ClearSection(std::uint32_t high, const Ch* name);  // keeps the header
  void DeleteSection(std::uint32_t high, const Ch* name);

  bool GetKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text);
  bool GetKeyInt(std::uint32_t keyHigh, const Ch* key, std::int32_t& value);
  bool GetKeyCard(std::uint32_t keyHigh, const Ch* key, std::uint32_t& value);
  bool GetKeyInt64(std::uint32_t keyHigh, const Ch* key, std::int64_t& value);
  bool GetKeyCard64(std::uint32_t keyHigh, const Ch* key, std::uint64_t& value);
  bool GetKeyCardPtr(std::uint32_t keyHigh, const Ch* key, std::uintptr_t& value);
  bool GetKeyReal(std::uint32_t keyHigh, const Ch* key, double& value);
  bool GetKeyBool(std::uint32_t keyHigh, const Ch* key, bool& value);
  bool GetKeyRect(std::uint32_t keyHigh, const Ch* key, vcom::CRect& value);

  bool SetKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, const Ch* text);
  bool SetKeyInt(std::uint32_t keyHigh, const Ch* key, std::int32_t value);
  bool SetKeyCard(std::uint32_t keyHigh, const Ch* key, std::uint32_t value);
  bool SetKeyInt64(std::uint32_t keyHigh, const Ch* key, std::int64_t value);
  bool SetKeyCard64(std::uint32_t keyHigh, const Ch* key, std::uint64_t value);
  bool SetKeyCardPtr(std::uint32_t keyHigh, const Ch* key, std::uintptr_t value);
  bool SetKeyReal(std::uint32_t keyHigh, const Ch* key, double value);
  bool SetKeyBool(std::uint32_t keyHigh, const Ch* key, bool value);
  bool SetKeyRect(std::uint32_t keyHigh, const Ch* key, const vcom::CRect& value);

  // Repeated keys of one name in the current section, in file order.
  bool GetFirstKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text);
  bool GetNextKeyStr(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text);
  // The lines of the current section (key and value of each).
  bool GetFirstLine(std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value);
  bool GetNextLine(std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value);
  void AddLine(std::uint32_t keyHigh, const Ch* key, std::uint32_t valueHigh, const Ch* value);

  bool SaveModified();  // writes only when modified; false when the file cannot be written
  bool SaveAs(std::uint32_t pathHigh, const Ch* path);

  Ch path[kPathChars] = {};                        // the file
  vlist::CList lines;                              // TLine elements in file order, owned
  TLine* section = nullptr;                        // current section header (or the first line)
  TLine* nextLine = nullptr;                       // where the next line-wise read continues
  bool modified = false;                           // the image differs from the file
  FIO::WholeFile readResult = FIO::WholeFile::ok;  // how the last Init read the file

 protected:
  bool saveUnicode = false;  // save as UTF-16 (W scanner only)
  bool utf8Xlat = false;     // decode 8-bit files as UTF-8 strictly (W scanner only)

 private:
  void Clear();
  bool ReadFile();
  bool WriteFile() const;
  TLine* FindSection(std::uint32_t high, const Ch* name) const;
  TLine* FindKey(TLine* from, std::uint32_t keyHigh, const Ch* key) const;
  TLine* SectionEnd(TLine* header, TLine*& beforeEnd) const;
  bool GetNumberText(std::uint32_t keyHigh, const Ch* key, std::uint32_t high, char* text);
  bool SetNumberText(std::uint32_t keyHigh, const Ch* key, const char* text);
  void InsertAtSectionEnd(TLine* line);
  bool ScanKeyFrom(TLine* from, std::uint32_t keyHigh, const Ch* key, std::uint32_t high, Ch* text);
  bool LineAt(TLine* line, std::uint32_t keyHigh, Ch* key, std::uint32_t valueHigh, Ch* value);
};

extern template class CTextScannerT<char>;
extern template class CTextScannerT<char16_t>;

class CTextScanner : public CTextScannerT<char> {};

class CTextScannerW : public CTextScannerT<char16_t> {
 public:
  void SetSaveUnicode(bool on) { saveUnicode = on; }
  void SetUTF8Xlat(bool on) { utf8Xlat = on; }
};

// ---- registry stand-in -----------------------------------------------------
// One key file, <config>/OMBRIX/registry.ini (config = machine::ConfigFolder()):
// one section per key path ("HKCU\Software\..."), values typed as
// "dword:0000002a", "sz:text" or "binary:0011ff". A hive file that is not a
// regular file, or cannot be read, is left alone and the calls fail.
using TRegRoot = std::uintptr_t;
inline constexpr TRegRoot kHKeyClassesRoot = 0x80000000u;
inline constexpr TRegRoot kHKeyCurrentUser = 0x80000001u;
inline constexpr TRegRoot kHKeyLocalMachine = 0x80000002u;
inline constexpr TRegRoot kHKeyUsers = 0x80000003u;

// Value types, with the registry's numbers.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Overrides the hive file (empty: the default above); for tests and tools.
void SetRegistryFileA(std::uint32_t high, const char* path);
// The hive file in use; empty when no configuration folder is known, and
// then every registry call fails.
std::string RegistryFileA();

class CRegScannerA {
 public:
  CRegScannerA() = default;
  CRegScannerA(const CRegScannerA&) = delete;
  CRegScannerA& operator=(const CRegScannerA&) = delete;
  virtual ~CRegScannerA();

  // An empty machine name means this computer; remote hives are not reachable.
  bool Init(std::uint32_t machineHigh, const char* machine, std::uint32_t pathHigh, const char* keyPath, TRegRoot root);
  bool Create(std::uint32_t machineHigh, const char* machine, std::uint32_t pathHigh, const char* keyPath,
              TRegRoot root);
  void Done();

  virtual bool vfInit(std::uint32_t machineHigh, const char* machine, std::uint32_t pathHigh, const char* keyPath,
                      TRegRoot root);
  virtual bool vfCreate(std::uint32_t machineHigh, const char* machine, std::uint32_t pathHigh, const char* keyPath,
                        TRegRoot root);
  virtual void vfDone();
  virtual void SetRootSection();
  virtual bool SetSection(std::uint32_t high, const char* name);  // subkey of the root key
  virtual bool CreateSection(std::uint32_t high, const char* name);
  virtual bool ClearSection(std::uint32_t high, const char* name);   // removes the subkey's values
  virtual bool DeleteSection(std::uint32_t high, const char* name);  // removes the subkey and its subkeys
  virtual bool DeleteKey(std::uint32_t high, const char* name);      // removes a value of the current section
  virtual bool TryBackupKey(std::uint32_t high, const char* name);   // copies name to "BAK_" + name
  virtual bool TryRecoverKey(std::uint32_t high, const char* name);  // copies it back, deletes the copy
  // size: in the buffer's capacity, out the value's size (false when it does not fit).
  virtual bool GetKeyData(std::uint32_t high, const char* name, std::uint32_t& type, void* buffer, std::uint32_t& size);
  virtual bool SetKeyData(std::uint32_t high, const char* name, std::uint32_t type, const void* data,
                          std::uint32_t size);
  virtual bool EnumKey(std::uint32_t index, std::uint32_t high, char* name);  // subkeys of the current section

  bool GetKeyStr(std::uint32_t keyHigh, const char* key, std::uint32_t high, char* text);
  bool GetKeyInt(std::uint32_t keyHigh, const char* key, std::int32_t& value);
  bool GetKeyCard(std::uint32_t keyHigh, const char* key, std::uint32_t& value);
  bool GetKeyBool(std::uint32_t keyHigh, const char* key, bool& value);
  bool GetKeyReal(std::uint32_t keyHigh, const char* key, double& value);
  bool GetKeyBin(std::uint32_t keyHigh, const char* key, void* buffer, std::uint32_t& size);
  bool SetKeyStr(std::uint32_t keyHigh, const char* key, std::uint32_t high, const char* text);
  bool SetKeyInt(std::uint32_t keyHigh, const char* key, std::int32_t value);
  bool SetKeyCard(std::uint32_t keyHigh, const char* key, std::uint32_t value);
  bool SetKeyBool(std::uint32_t keyHigh, const char* key, bool value);
  bool SetKeyReal(std::uint32_t keyHigh, const char* key, double value);
  bool SetKeyBin(std::uint32_t keyHigh, const char* key, const void* data, std::uint32_t size);

  void SetBackupOption(bool on) { backup = on; }

  std::string rootKey;     // section name of the opened key, empty when closed
  std::string sectionKey;  // section name of the current section (== rootKey at the root)
  bool backup = false;     // every SetKey first copies the old value to "BAK_" + name

 private:
  bool Open(std::uint32_t machineHigh, const char* machine, std::uint32_t pathHigh, const char* keyPath, TRegRoot root,
            bool create);
  bool SetTyped(std::uint32_t keyHigh, const char* key, std::uint32_t type, const void* data, std::uint32_t size);
};

// The UTF-16 twin: names and texts are converted to UTF-8 for the hive.
class CRegScannerW {
 public:
  CRegScannerW() = default;
  CRegScannerW(const CRegScannerW&) = delete;
  CRegScannerW& operator=(const CRegScannerW&) = delete;
  virtual ~CRegScannerW();

  bool Init(std::uint32_t machineHigh, const char16_t* machine, std::uint32_t pathHigh, const char16_t* keyPath,
            TRegRoot root);
  bool Create(std::uint32_t machineHigh, const char16_t* machine, std::uint32_t pathHigh, const char16_t* keyPath,
              TRegRoot root);
  void Done();

  virtual bool vfInit(std::uint32_t machineHigh, const char16_t* machine, std::uint32_t pathHigh,
                      const char16_t* keyPath, TRegRoot root);
  virtual bool vfCreate(std::uint32_t machineHigh, const char16_t* machine, std::uint32_t pathHigh,
                        const char16_t* keyPath, TRegRoot root);
  virtual void vfDone();
  virtual void SetRootSection();
  virtual bool SetSection(std::uint32_t high, const char16_t* name);
  virtual bool CreateSection(std::uint32_t high, const char16_t* name);
  virtual bool ClearSection(std::uint32_t high, const char16_t* name);
  virtual bool DeleteSection(std::uint32_t high, const char16_t* name);
  virtual bool DeleteKey(std::uint32_t high, const char16_t* name);
  virtual bool TryBackupKey(std::uint32_t high, const char16_t* name);
  virtual bool TryRecoverKey(std::uint32_t high, const char16_t* name);
  virtual bool GetKeyData(std::uint32_t high, const char16_t* name, std::uint32_t& type, void* buffer,
                          std::uint32_t& size);
  virtual bool SetKeyData(std::uint32_t high, const char16_t* name, std::uint32_t type, const void* data,
                          std::uint32_t size);
  virtual bool EnumKey(std::uint32_t index, std::uint32_t high, char16_t* name);

  bool GetKeyStr(std::uint32_t keyHigh, const char16_t* key, std::uint32_t high, char16_t* text);
  bool GetKeyInt(std::uint32_t keyHigh, const char16_t* key, std::int32_t& value);
  bool GetKeyCard(std::uint32_t keyHigh, const char16_t* key, std::uint32_t& value);
  bool GetKeyBool(std::uint32_t keyHigh, const char16_t* key, bool& value);
  bool GetKeyReal(std::uint32_t keyHigh, const char16_t* key, double& value);
  bool SetKeyStr(std::uint32_t keyHigh, const char16_t* key, std::uint32_t high, const char16_t* text);
  bool SetKeyInt(std::uint32_t keyHigh, const char16_t* key, std::int32_t value);
  bool SetKeyCard(std::uint32_t keyHigh, const char16_t* key, std::uint32_t value);
  bool SetKeyBool(std::uint32_t keyHigh, const char16_t* key, bool value);
  bool SetKeyReal(std::uint32_t keyHigh, const char16_t* key, double value);

  void SetBackupOption(bool on) { narrow.SetBackupOption(on); }

  CRegScannerA narrow;  // does the work on UTF-8 names
};

}  // namespace vscan
