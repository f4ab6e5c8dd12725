// FIO: files and directories on raw handles, with text and binary helpers.
//
// A file is a POSIX descriptor held in FIO::File; every operation is one
// system call on it (no buffering layer). Errors are never raised: open and
// create return FIO::InvalidHandle, everything else leaves the system's error
// code, which FIO::IOresult() reads (0 = success). Each operation first clears
// the calling thread's error code.
//
// Names follow the fixed-array convention of the string library: a pair
// (high, pointer) where high is the array's highest index; the name ends at
// its first NUL or after high + 1 characters. Names handed to the system are
// limited to 259 characters; a longer one fails without a system call with
// ENAMETOOLONG (open and create return the invalid handle). Both '/' and '\'
// are accepted as separators in names; the system sees '/'.
//
// The W forms take UTF-16 text (char16_t) and convert it to UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace FIO {

// A file handle: a POSIX descriptor. The invalid handle has all bits set.
using File = std::intptr_t;
inline constexpr File InvalidHandle = -1;

// File times in Windows FILETIME units: 100 ns since 1601-01-01 UTC.
using FileTime = std::uint64_t;

// Longest name handed to the system (without the terminator).
inline constexpr std::uint32_t MaxPathLength = 259;

// Share modes. POSIX has no sharing control; the value is accepted and ignored.
inline constexpr std::uint32_t ShareNone = 0;
inline constexpr std::uint32_t ShareRead = 1;
inline constexpr std::uint32_t ShareWrite = 2;
inline constexpr std::uint32_t ShareDelete = 4;

// File attribute bits (the Windows values). A plain regular file has
// attributes 0; InvalidAttributes reports a failure.
inline constexpr std::uint32_t AttrReadOnly = 0x01;   // owner may not write
inline constexpr std::uint32_t AttrHidden = 0x02;     // name begins with '.'
inline constexpr std::uint32_t AttrSystem = 0x04;     // device, pipe or socket
inline constexpr std::uint32_t AttrDirectory = 0x10;
inline constexpr std::uint32_t AttrAnyFile = 0x3F;
inline constexpr std::uint32_t InvalidAttributes = 0xFFFFFFFF;

// ---- module variables (process-wide, set at start-up, not locked) ----

extern char EOLA;              // end-of-line character of RdStrA (LF)
extern char16_t EOLW;          // end-of-line character of RdStrW (LF)
extern char PrefixCharA;       // left padding of WrStrAdjA and the writers (space)
extern char16_t PrefixCharW;
extern char SuffixCharA;       // right padding (space)
extern char16_t SuffixCharW;
extern std::uint8_t ChopOff;   // non-zero: WrStrAdjA cuts text wider than the field
extern std::uint8_t Eng;       // non-zero: WrRealA writes engineering exponents
extern std::uint8_t SeparatorsA[32];   // 256-bit set: item separators of RdItemA
                                       // {tab, LF, CR, Ctrl-Z, space}
extern std::uint8_t SeparatorsW[32];   // the same for RdItemW (codes below 256)

// ---- error state ----

// The calling thread's error code after the last operation (0 = success).
int IOresult();
// Clears the calling thread's error code.
void ClearIOresult();

// ---- opening ----

File OpenA(std::uint32_t high, const char* name, std::uint32_t share = ShareRead);      // existing, read/write
File OpenReadA(std::uint32_t high, const char* name, std::uint32_t share = ShareRead);  // existing, read only
File CreateA(std::uint32_t high, const char* name, std::uint32_t share = ShareRead);    // create or truncate, read/write
File AppendA(std::uint32_t high, const char* name, std::uint32_t share = ShareRead);    // existing, read/write, at the end
File OpenW(std::uint32_t high, const char16_t* name, std::uint32_t share = ShareRead);
File OpenReadW(std::uint32_t high, const char16_t* name, std::uint32_t share = ShareRead);
File CreateW(std::uint32_t high, const char16_t* name, std::uint32_t share = ShareRead);
File AppendW(std::uint32_t high, const char16_t* name, std::uint32_t share = ShareRead);

// ---- handle operations ----

void Close(File f);
void Flush(File f);                          // data and metadata to the device (fsync)
void Truncate(File f);                       // cut the file at the current position
void Seek(File f, std::uint64_t position);   // from the start
std::uint64_t GetPos(File f);                // all bits set on failure
std::uint64_t Size(File f);                  // all bits set on failure
bool EndOfFile(File f);                      // no error pending and position == size

// Reads up to count bytes (at most high + 1) into buffer; returns the bytes read
// (fewer only at the end of the file or on an error).
std::uint32_t RdBin(File f, std::uint32_t high, void* buffer, std::uint32_t count);
// Writes count bytes (at most high + 1) from buffer; returns the bytes written.
// A partial system write is continued; fewer bytes than asked always come with
// an error code (ENOSPC when the device accepted nothing more).
std::uint32_t WrBin(File f, std::uint32_t high, const void* buffer, std::uint32_t count);

// Last-write time of the file.
bool GetFileTime(File f, FileTime& lastWrite);
bool SetFileTime(File f, FileTime lastWrite);
// The same as a UTC calendar date and time.
bool GetFileTime2(File f, std::uint16_t& year, std::uint16_t& month, std::uint16_t& day,
                  std::uint16_t& hour, std::uint16_t& minute, std::uint16_t& second,
                  std::uint16_t& millisecond);
bool SetFileTime2(File f, std::uint16_t year, std::uint16_t month, std::uint16_t day,
                  std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                  std::uint16_t millisecond);
// The current system time in FILETIME units.
FileTime GetCurrentFileTime();

// Rewinds and reads two bytes: FF FE (UTF-16 LE mark) → true, positioned after
// the mark; a little-endian value below 256 → true, rewound; else false, rewound.
bool IsUnicodeFile(File f);

// ---- reading a whole file ----

// What ReadWholeFileA found. IOresult() holds the error code behind it.
enum class WholeFile : std::uint8_t {
  ok,
  cannotOpen,      // missing, no permission, name too long: the system's code
  notRegularFile,  // a folder (EISDIR), a pipe, device or socket (ENODEV)
  tooLarge,        // more than maxBytes (EFBIG)
  cannotRead,      // a read failed: the system's code
};

// Reads the whole of the file `name` into bytes (replacing their content), if
// it is a regular file of at most maxBytes bytes. What can never end or
// blocks (a FIFO, /dev/zero, a terminal) is refused without being read or
// waited for; a file that grows past maxBytes while being read is refused
// too. lastWrite, when given, receives the file's last-write time. On any
// result but ok, bytes is empty. Every reader of whole files goes through
// here so that none of them can hang or exhaust memory on such names.
WholeFile ReadWholeFileA(std::uint32_t high, const char* name, std::uint64_t maxBytes, std::string& bytes,
                         FileTime* lastWrite = nullptr);

// ---- text reading (one system read per character) ----

// One line: Ctrl-Z or EOLA ends it (a NUL is stored), CR and LF are never
// stored, at most high + 1 characters; a longer line comes in pieces. At the
// end of the file every further character reads as 0 (test EndOfFile).
void RdStrA(File f, std::uint32_t high, char* buffer);
void RdStrW(File f, std::uint32_t high, char16_t* buffer);   // the same on 16-bit units
char RdCharA(File f);                        // 0 at the end of the file
char16_t RdCharW(File f);
// The next item: leading separators (SeparatorsA) are skipped, the item ends
// at the next separator (consumed) or the end of the file.
void RdItemA(File f, std::uint32_t high, char* buffer);

// Item readers: read an item and convert it; ok is false when the item is not
// a valid number of the type (the converted value is still returned).
std::int8_t RdInt8A(File f, bool& ok);
std::int16_t RdInt16A(File f, bool& ok);
std::int32_t RdInt32A(File f, bool& ok);
std::uint8_t RdCard8A(File f, bool& ok);
std::uint16_t RdCard16A(File f, bool& ok);
std::uint32_t RdCard32A(File f, bool& ok);
std::uint8_t RdHex8A(File f, bool& ok);
std::uint16_t RdHex16A(File f, bool& ok);
std::uint32_t RdHex32A(File f, bool& ok);
float RdRealA(File f, bool& ok);
double RdLngRealA(File f, bool& ok);
bool RdBoolA(File f, bool& ok);              // "TRUE" / "FALSE", any case

// ---- text writing ----

void WrStrA(File f, std::uint32_t high, const char* text);     // up to NUL or high + 1, no terminator
void WrStrW(File f, std::uint32_t high, const char16_t* text);
void WrLnA(File f);                          // CR LF (two bytes)
void WrLnW(File f);                          // CR LF as two 16-bit units
void WrCharA(File f, char c);
void WrCharW(File f, char16_t c);
void WrCharRepA(File f, char c, std::uint32_t count);
// Text in a field of |width| characters: width > 0 right-aligns (PrefixCharA on
// the left), width < 0 left-aligns (SuffixCharA on the right); with ChopOff set
// a longer text is cut to the field.
void WrStrAdjA(File f, std::uint32_t high, const char* text, std::int32_t width);

// Number writers (value, precision where it applies, field width as WrStrAdjA).
void WrInt8A(File f, std::int8_t value, std::int32_t width);
void WrInt16A(File f, std::int16_t value, std::int32_t width);
void WrInt32A(File f, std::int32_t value, std::int32_t width);
void WrCard8A(File f, std::uint8_t value, std::int32_t width);
void WrCard16A(File f, std::uint16_t value, std::int32_t width);
void WrCard32A(File f, std::uint32_t value, std::int32_t width);
void WrHex8A(File f, std::uint8_t value, std::int32_t width);
void WrHex16A(File f, std::uint16_t value, std::int32_t width);
void WrHex32A(File f, std::uint32_t value, std::int32_t width);
void WrRealA(File f, float value, std::uint32_t digits, std::int32_t width);       // scientific
void WrLngRealA(File f, double value, std::uint32_t digits, std::int32_t width);
void WrFixRealA(File f, float value, std::uint32_t decimals, std::int32_t width);  // fixed point
void WrFixLngRealA(File f, double value, std::uint32_t decimals, std::int32_t width);
void WrBoolA(File f, bool value, std::int32_t width);                              // "TRUE" / "FALSE"

// ---- names and directories ----

bool ExistsA(std::uint32_t high, const char* name);        // a file, not a directory
bool ExistsDirA(std::uint32_t high, const char* name);
void DeleteA(std::uint32_t high, const char* name);
void RenameA(std::uint32_t oldHigh, const char* oldName, std::uint32_t newHigh, const char* newName);
void MkDirA(std::uint32_t high, const char* name);
void RmDirA(std::uint32_t high, const char* name);
void ChDirA(std::uint32_t high, const char* name);
bool ExistsW(std::uint32_t high, const char16_t* name);
bool ExistsDirW(std::uint32_t high, const char16_t* name);
void DeleteW(std::uint32_t high, const char16_t* name);
void RenameW(std::uint32_t oldHigh, const char16_t* oldName, std::uint32_t newHigh, const char16_t* newName);
void MkDirW(std::uint32_t high, const char16_t* name);
void RmDirW(std::uint32_t high, const char16_t* name);
// The current directory. There are no drive letters here: drive 0 (current)
// is the only one; any other fails with ENODEV and leaves an empty buffer.
void GetDirA(std::uint32_t drive, std::uint32_t high, char* buffer);
std::uint32_t GetDrive();                    // always 0
void SetDrive(std::uint32_t drive);          // 0 succeeds, others fail with ENODEV
std::uint32_t GetFileAttrA(std::uint32_t high, const char* name);   // InvalidAttributes on failure
void SetFileAttrA(std::uint32_t high, const char* name, std::uint32_t attributes);  // AttrReadOnly only

// ---- directory enumeration ----

// The find-data record of one entry followed by the state of the search.
struct DirEntryA {
  std::uint32_t attributes;     // Attr* bits of the entry
  FileTime creationTime;        // status-change time (POSIX keeps no creation time)
  FileTime lastAccessTime;
  FileTime lastWriteTime;
  std::uint64_t size;           // bytes; 0 for directories
  char name[260];               // entry name, NUL-terminated
  char shortName[14];           // always empty here
  void* search;                 // the open directory stream; null when closed
  std::uint32_t mask;           // attribute mask of the enumeration
  char folder[260];             // folder searched, with a trailing '/'
  char pattern[260];            // wildcard the names must match (case-sensitive)
};

// Starts a search for pattern (folder and wildcard name, e.g. "data/*.txt"):
// entries whose attributes are non-zero and share no bit with mask are skipped;
// false when nothing qualifies. "." and ".." are reported like Windows does.
bool ReadFirstEntryA(std::uint32_t high, const char* pattern, std::uint32_t mask, DirEntryA& entry);
// The next qualifying entry; when the search is exhausted it closes it
// (entry.search becomes null) and returns false.
bool ReadNextEntryA(DirEntryA& entry);
// Closes an unfinished search.
void CloseEntryA(DirEntryA& entry);

}  // namespace FIO
