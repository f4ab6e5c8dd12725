// FIOR: path splitting, joining, expansion and extensions, and an optional
// name-redirection list used by the FIOR file operations.
//
// Paths use the fixed-array convention (high, pointer). '/' is the native
// separator; '\' is accepted in input everywhere, so relative paths written
// by a Windows build ("..\data\a.txt") still resolve. Functions that build a
// path (ExpandPathA, MakePathA, JoinPathA, ...) write '/'. Splitting and
// extension handling keep the caller's characters. Comparisons of names are
// case-sensitive except the wildcard tests of IsExtensionA and the
// redirection patterns.
//
// A path's root is one of: "/" (POSIX absolute), a network root
// "\\server\share" (or "//server/share"), a drive letter with colon "C:"
// (Windows paths, kept textually; there are no drive current directories
// here, so "C:name" resolves as "C:/name").
#pragma once

#include <cstdint>

#include "runbase/fio.h"

namespace FIOR {

// ---- paths ----

// directory ← everything before the last separator (keeping the separator
// only when it directly follows the root: "/a.txt" → "/", "C:\a.txt" → "C:\");
// name ← the text after it. "C:a.txt" → "C:", "a.txt"; "a.txt" → "", "a.txt";
// a path that is only a root ("/", "\\server\share") is all directory.
void SplitPathA(std::uint32_t pathHigh, const char* path, std::uint32_t dirHigh, char* directory,
                std::uint32_t nameHigh, char* name);
// As SplitPathA, and the name further split at its extension's "." into the
// base name and the extension (without the ".").
void SplitAllPathA(std::uint32_t pathHigh, const char* path, std::uint32_t dirHigh, char* directory,
                   std::uint32_t baseHigh, char* baseName, std::uint32_t extHigh, char* extension);

// destination ← ExpandPathA(directory + "/" + name) for a relative name, the
// expansion of the name itself for an absolute one.
void MakePathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
               std::uint32_t nameHigh, const char* name);
// MakePathA of directory and baseName + "." + extension (no "." for an empty extension).
void MakeAllPathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
                  std::uint32_t baseHigh, const char* baseName, std::uint32_t extHigh,
                  const char* extension);
// destination ← directory, a "/" unless it is empty or already ends in a
// separator, then name; no expansion.
void JoinPathA(std::uint32_t destHigh, char* destination, std::uint32_t dirHigh, const char* directory,
               std::uint32_t nameHigh, const char* name);
// The absolute, normalised form: trimmed, relative paths appended to the
// current directory, "." dropped, ".." removing the previous component (never
// the root), '/' between components, cut to 259 characters.
void ExpandPathA(std::uint32_t pathHigh, const char* path, std::uint32_t destHigh, char* destination);

// ---- extensions (the last "." after the last separator) ----

void GetExtensionA(std::uint32_t nameHigh, const char* name, std::uint32_t extHigh, char* extension);
// Appends "." + extension only when the name has no extension.
void AddExtensionA(std::uint32_t nameHigh, char* name, std::uint32_t extHigh, const char* extension);
// Replaces the extension, or appends one. A trailing separator is removed
// first; names ending in "." after "." or after a separator, names ending in
// ":" and the empty name are left unchanged.
void ChangeExtensionA(std::uint32_t nameHigh, char* name, std::uint32_t extHigh, const char* extension);
void RemoveExtensionA(std::uint32_t nameHigh, char* name);
// Whether the name matches "*." + extension, case-insensitively.
bool IsExtensionA(std::uint32_t nameHigh, const char* name, std::uint32_t extHigh, const char* extension);
// Appends the wildcard "*" as a last component ("data" → "data/*",
// "data/" → "data/*"), giving the pattern that enumerates a folder.
void WildcardTailA(std::uint32_t pathHigh, char* path);

// ---- name redirection ----

// An ordered list of (wildcard pattern, directory) entries read from a
// redirection file. The file is text, one entry a line:
//     pattern = directory
// Blank lines and lines beginning with '#' or ';' are ignored, a line "[...]"
// (a section header) too; spaces around both parts are trimmed; entries with
// an empty directory are kept but never used for a lookup.
// Patterns match the name case-insensitively with "*" and "?".
class CRed1A {
 public:
  CRed1A() = default;
  virtual ~CRed1A();
  CRed1A(const CRed1A&) = delete;
  CRed1A& operator=(const CRed1A&) = delete;

  // Reads the list from a redirection file (replacing any earlier list);
  // false when the file cannot be read, is not a regular file or is larger
  // than 1 MiB (the list is then empty).
  bool Init(std::uint32_t high, const char* fileName);
  // Empties the list.
  void Done();
  // Adds one entry at the end; false when pattern or directory is too long.
  bool Add(const char* pattern, const char* directory);
  std::uint32_t Count() const { return count_; }

  // For a relative name: the path in the directory of the first matching
  // entry where that file exists; false (destination ← name) when none.
  bool FindPath(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination) const;
  // For a relative name: the path in the directory of the first matching
  // entry that has a directory (whether the file exists or not); false
  // (destination ← name) when none.
  bool FindNewPath(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination) const;

 protected:
  struct TEntry {
    char pattern[FIO::MaxPathLength + 1];    // wildcard on the name
    char directory[FIO::MaxPathLength + 1];  // where matching names live; may be empty
  };
  // The first entry matching the relative name, from index `from`; -1 when none.
  std::int32_t Match(const char* name, std::uint32_t from) const;

  TEntry* entries_ = nullptr;    // list of count_ entries, owned (Storage)
  std::uint32_t count_ = 0;      // entries in use
  std::uint32_t capacity_ = 0;   // entries allocated
};

// A variant whose path lookup is a virtual operation, for callers that look
// names up in other places; the default is CRed1A::FindPath.
class CRed2A : public CRed1A {
 public:
  virtual bool FindPath2(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh,
                         char* destination) const;
};

// The module's list, used by the functions below. Empty unless InitA is called.
CRed1A& Redirection();

bool InitA(std::uint32_t high, const char* fileName);   // read the module's list
void Done();                                             // empty it
bool FindPathA(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination);
bool FindNewPathA(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination);

// The FIO operations after looking the name up in the list: OpenA, OpenReadA
// and DeleteA use FindPathA (an existing file), CreateA uses FindNewPathA.
FIO::File OpenA(std::uint32_t high, const char* name, std::uint32_t share = FIO::ShareRead);
FIO::File OpenReadA(std::uint32_t high, const char* name, std::uint32_t share = FIO::ShareRead);
FIO::File CreateA(std::uint32_t high, const char* name, std::uint32_t share = FIO::ShareRead);
void DeleteA(std::uint32_t high, const char* name);

}  // namespace FIOR
