// FIO: names, directories and directory enumeration.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "fio_sys.h"
#include "runbase/fixed_text.h"
#include "runbase/fio.h"
#include "runbase/str.h"

namespace FIO {

namespace {

template <class C>
bool StatName(std::uint32_t high, const C* name, struct stat& st) {
  ClearIOresult();
  sys::TNativeName native;
  return sys::ToNative(high, name, native) && ::stat(native.text, &st) == 0;
}

template <class C>
bool IsFile(std::uint32_t high, const C* name) {
  struct stat st {};
  return StatName(high, name, st) && !S_ISDIR(st.st_mode);
}

template <class C>
bool IsDir(std::uint32_t high, const C* name) {
  struct stat st {};
  return StatName(high, name, st) && S_ISDIR(st.st_mode);
}

// Runs op on the native form of a name.
template <class C, class Op>
void OnName(std::uint32_t high, const C* name, Op op) {
  ClearIOresult();
  sys::TNativeName native;
  if (sys::ToNative(high, name, native)) op(native.text);
}

// Renames without replacing an existing target (as the Windows build does):
// EEXIST when newName exists.
bool RenameNoReplace(const sys::TNativeName& from, const sys::TNativeName& to) {
  if (sys::Injected(Fault::Op::Rename)) return false;
  if (::renameat2(AT_FDCWD, from.text, AT_FDCWD, to.text, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse to replace: check first.
  struct stat st {};
  if (::lstat(to.text, &st) == 0) {
    errno = EEXIST;
    return false;
  }
  errno = 0;
  return sys::Rename(from.text, to.text);
}

template <class C>
void RenameNames(std::uint32_t oldHigh, const C* oldName, std::uint32_t newHigh, const C* newName) {
  ClearIOresult();
  sys::TNativeName from, to;
  if (sys::ToNative(oldHigh, oldName, from) && sys::ToNative(newHigh, newName, to))
    RenameNoReplace(from, to);
}

std::uint32_t AttributesOf(const char* name, const struct stat& st) {
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= AttrDirectory;
  else if (!S_ISREG(st.st_mode)) attributes |= AttrSystem;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= AttrReadOnly;
  const char* base = std::strrchr(name, '/');
  base = base ? base + 1 : name;
  if (base[0] == '.' && std::strcmp(base, ".") != 0 && std::strcmp(base, "..") != 0)
    attributes |= AttrHidden;
  return attributes;
}

// Splits a search pattern into its folder (with a trailing '/') and the
// wildcard name; "*.*" means every name, as on Windows.
bool SplitPattern(std::uint32_t high, const char* pattern, DirEntryA& entry) {
  sys::TNativeName native;
  if (!sys::ToNative(high, pattern, native)) return false;
  const std::string_view text(native.text);
  const std::size_t slash = text.rfind('/');
  std::string_view folder = slash == std::string_view::npos ? "./" : text.substr(0, slash + 1);
  std::string_view wildcard = slash == std::string_view::npos ? text : text.substr(slash + 1);
  if (wildcard.empty() || wildcard == "*.*") wildcard = "*";
  FixedText::Assign(sizeof entry.folder - 1, entry.folder, folder);
  FixedText::Assign(sizeof entry.pattern - 1, entry.pattern, wildcard);
  return true;
}

// Fills the record from one directory entry; false when it does not qualify.
bool Qualifies(DirEntryA& entry, const char* name) {
  if (!Str::MatchCSA(0xFFFFFFFFu, name, sizeof entry.pattern - 1, entry.pattern)) return false;
  std::string path(entry.folder);
  path += name;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) return false;
  const std::uint32_t attributes = AttributesOf(path.c_str(), st);
  if (attributes != 0 && (attributes & entry.mask) == 0) return false;
  entry.attributes = attributes;
  entry.creationTime = sys::ToFileTime(st.st_ctim);
  entry.lastAccessTime = sys::ToFileTime(st.st_atim);
  entry.lastWriteTime = sys::ToFileTime(st.st_mtim);
  entry.size = S_ISDIR(st.st_mode) ? 0 : std::uint64_t(st.st_size);
  FixedText::Assign(sizeof entry.name - 1, entry.name, name);
  entry.name[sizeof entry.name - 1] = 0;
  entry.shortName[0] = 0;
  return true;
}

// Advances the open search to the next qualifying entry.
bool NextQualifying(DirEntryA& entry) {
  auto* dir = static_cast<DIR*>(entry.search);
  for (;;) {
    errno = 0;
    const dirent* d = ::readdir(dir);
    if (d == nullptr) return false;
    if (std::strlen(d->d_name) >= sizeof entry.name) continue;   // longer than a name here
    if (Qualifies(entry, d->d_name)) {
      errno = 0;
      return true;
    }
  }
}

}  // namespace

bool ExistsA(std::uint32_t high, const char* name) { return IsFile(high, name); }
bool ExistsDirA(std::uint32_t high, const char* name) { return IsDir(high, name); }
bool ExistsW(std::uint32_t high, const char16_t* name) { return IsFile(high, name); }
bool ExistsDirW(std::uint32_t high, const char16_t* name) { return IsDir(high, name); }

void DeleteA(std::uint32_t high, const char* name) { OnName(high, name, sys::Unlink); }
void DeleteW(std::uint32_t high, const char16_t* name) { OnName(high, name, sys::Unlink); }
void MkDirA(std::uint32_t high, const char* name) { OnName(high, name, sys::MakeDir); }
void MkDirW(std::uint32_t high, const char16_t* name) { OnName(high, name, sys::MakeDir); }
void RmDirA(std::uint32_t high, const char* name) { OnName(high, name, sys::RemoveDir); }
void RmDirW(std::uint32_t high, const char16_t* name) { OnName(high, name, sys::RemoveDir); }

void RenameA(std::uint32_t oldHigh, const char* oldName, std::uint32_t newHigh, const char* newName) {
  RenameNames(oldHigh, oldName, newHigh, newName);
}
void RenameW(std::uint32_t oldHigh, const char16_t* oldName, std::uint32_t newHigh,
             const char16_t* newName) {
  RenameNames(oldHigh, oldName, newHigh, newName);
}

void ChDirA(std::uint32_t high, const char* name) {
  OnName(high, name, [](const char* n) { ::chdir(n); });
}

void GetDirA(std::uint32_t drive, std::uint32_t high, char* buffer) {
  ClearIOresult();
  if (buffer == nullptr) return;
  buffer[0] = 0;
  if (drive != 0) {
    errno = ENODEV;
    return;
  }
  char path[4096];
  if (::getcwd(path, sizeof path) != nullptr) FixedText::Assign(high, buffer, path);
}

std::uint32_t GetDrive() {
  ClearIOresult();
  return 0;
}

void SetDrive(std::uint32_t drive) {
  ClearIOresult();
  if (drive != 0) errno = ENODEV;
}

std::uint32_t GetFileAttrA(std::uint32_t high, const char* name) {
  ClearIOresult();
  sys::TNativeName native;
  struct stat st {};
  if (!sys::ToNative(high, name, native) || ::stat(native.text, &st) != 0) return InvalidAttributes;
  return AttributesOf(native.text, st);
}

void SetFileAttrA(std::uint32_t high, const char* name, std::uint32_t attributes) {
  ClearIOresult();
  sys::TNativeName native;
  struct stat st {};
  if (!sys::ToNative(high, name, native) || ::stat(native.text, &st) != 0) return;
  mode_t mode = st.st_mode & 07777;
  if (attributes & AttrReadOnly) mode &= mode_t(~(S_IWUSR | S_IWGRP | S_IWOTH));
  else mode |= S_IWUSR;
  ::chmod(native.text, mode);
}

bool ReadFirstEntryA(std::uint32_t high, const char* pattern, std::uint32_t mask, DirEntryA& entry) {
  ClearIOresult();
  std::memset(&entry, 0, sizeof entry);
  entry.mask = mask;
  if (!SplitPattern(high, pattern, entry)) return false;
  entry.search = ::opendir(entry.folder);
  if (entry.search == nullptr) return false;
  if (NextQualifying(entry)) return true;
  CloseEntryA(entry);
  return false;
}

bool ReadNextEntryA(DirEntryA& entry) {
  ClearIOresult();
  if (entry.search == nullptr) {
    errno = EBADF;
    return false;
  }
  if (NextQualifying(entry)) return true;
  const int error = errno;
  CloseEntryA(entry);
  errno = error;
  return false;
}

void CloseEntryA(DirEntryA& entry) {
  if (entry.search != nullptr) ::closedir(static_cast<DIR*>(entry.search));
  entry.search = nullptr;
}

}  // namespace FIO
