// FIO::Fault: a seam that makes the file operations of FIO, FIOR and the
// file replacer fail on purpose, so that tests reach every error path of
// their callers (a full disk, a short write, a file that cannot be opened).
//
// A fault is armed for one kind of system call: the call after `skip`
// further calls of that kind fails with the given error code, as the system
// would fail it, and the fault is then spent. Faults are process-wide; a test
// arms them, runs the code under test and calls Reset().
#pragma once

#include <cstdint>

namespace FIO::Fault {

enum class Op : std::uint8_t {
  Open,      // open of an existing file (OpenA, OpenReadA, AppendA, ...)
  Create,    // create or truncate (CreateA, temporary files of the replacer)
  Read,
  Write,
  Sync,      // Flush
  Seek,
  Truncate,
  Rename,    // renames, and the hard link the file replacer makes for a backup
  Delete,    // deleting a file or removing a directory
  MkDir,
  Count
};

// The call of op after `skip` further calls fails with errno = error.
// EINTR is retried by FIO like a real interrupted call.
void FailNext(Op op, int error, std::uint32_t skip = 0);

// The write after `skip` further writes transfers at most `bytes` bytes and
// reports success, as a system write may; FIO continues with the rest.
// Combine with FailNext(Op::Write, ENOSPC, ...) to model a disk filling up.
void ShortNextWrite(std::uint32_t bytes, std::uint32_t skip = 0);

// Disarms every fault.
void Reset();

// True while some fault is armed and not yet spent.
bool Armed();

}  // namespace FIO::Fault
