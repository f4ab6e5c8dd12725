// FIO::Fault: a seam that makes the file operations of FIO, FIOR and the
// file replacer fail on purpose, so that tests reach every error path of
// their callers (a full disk, a short write, a file that cannot be opened).
//
// A fault is armed either for one kind of system call (FailNext) or for file
// operations of any kind counted together (FailNextAny): the call after
// `skip` further counted calls fails with the given error code, as the system
// would fail it. A transient fault (Mode::Once) is then spent; a persistent
// one (Mode::FromThenOn) fails that call and every later one it counts, as a
// full disk or a vanished device would. Faults are process-wide; a test arms
// them, runs the code under test and calls Reset().
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

enum class Mode : std::uint8_t {
  Once,        // the hit call fails, later calls succeed
  FromThenOn,  // the hit call and every later counted call fail
};

// The call of op after `skip` further calls of op fails with errno = error.
// EINTR is retried by FIO like a real interrupted call, so an EINTR fault is
// always transient (a persistent one would retry for ever).
void FailNext(Op op, int error, std::uint32_t skip = 0, Mode mode = Mode::Once);

// The file operation of any kind after `skip` further ones fails with
// errno = error; with skip = n - 1 the n-th operation from now fails. Every
// read or write call counts, so a long write may be several operations.
void FailNextAny(int error, std::uint32_t skip = 0, Mode mode = Mode::Once);

// The write after `skip` further writes transfers at most `bytes` bytes and
// reports success, as a system write may; FIO continues with the rest.
// Combine with FailNext(Op::Write, ENOSPC, ...) to model a disk filling up.
void ShortNextWrite(std::uint32_t bytes, std::uint32_t skip = 0);

// Disarms every fault and sets Fired() back to 0.
void Reset();

// True while some fault is armed and not yet spent.
bool Armed();

// How many calls armed faults have failed since the last Reset(): all of
// them, and those failed by the FailNextAny fault alone.
std::uint32_t Fired();
std::uint32_t FiredAny();

}  // namespace FIO::Fault
