// The system calls behind FIO, FIOR and the file replacer. Every call goes
// through here so that the fault seam can fail it, EINTR is retried in one
// place, and names are checked and converted once.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runbase/fio.h"
#include "runbase/fio_fault.h"

namespace FIO::sys {

// A name ready for the system: at most MaxPathLength characters, '\'
// turned into '/', NUL-terminated.
struct TNativeName {
  char text[MaxPathLength + 1];
};

// Converts (high, name); false with errno = ENAMETOOLONG when the name is
// longer than MaxPathLength, EINVAL for a null pointer.
bool ToNative(std::uint32_t high, const char* name, TNativeName& out);
bool ToNative(std::uint32_t high, const char16_t* name, TNativeName& out);
// The same for a whole string (no high).
bool ToNative(std::string_view name, TNativeName& out);

// True when an armed fault hits this call of op; errno is then set.
bool Injected(Fault::Op op);

int Open(const char* name, int flags, Fault::Op op);   // -1 on failure
void CloseFd(int fd);
// Reads into buffer until count bytes, the end of the file or an error.
std::size_t ReadAll(int fd, void* buffer, std::size_t count);
// Writes until count bytes are written or an error; a write that accepts
// nothing without an error sets ENOSPC.
std::size_t WriteAll(int fd, const void* buffer, std::size_t count);
bool Sync(int fd);
bool SeekTo(int fd, std::uint64_t position);
bool Rename(const char* from, const char* to);
bool Unlink(const char* name);
bool Link(const char* from, const char* to);   // counts as a Rename for faults
bool MakeDir(const char* name);
bool RemoveDir(const char* name);

// Descriptors whose failed writes are remembered (used by the replacer, so
// that an error of any write through its handle fails the commit).
void Watch(int fd);
// Stops watching; returns the error of the first failed write on fd (0: none).
int Unwatch(int fd);
int WriteError(int fd);

// File times: st_mtim and friends in FILETIME units and back.
FileTime ToFileTime(const struct timespec& t);
struct timespec ToTimespec(FileTime t);

// The descriptor of a handle; -1 for values that cannot be one.
inline int Fd(File f) { return (f >= 0 && f <= 0x7FFFFFFF) ? int(f) : -1; }

}  // namespace FIO::sys
