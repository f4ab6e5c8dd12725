// FIO::CReplaceFile: rewrites a file so that a failure never damages the
// version already on disk.
//
// Begin() creates a temporary file next to the target (same folder, so the
// final rename stays on one file system); the caller writes through Handle()
// with the ordinary FIO writers. Commit() flushes the temporary file to the
// device, optionally keeps the previous version as a backup (the target name
// with the extension "bak": field.ofd → field.bak), and renames the temporary
// file over the target in one step. If anything fails, or the caller calls
// Abort() or destroys the object without committing, the temporary file is
// removed and the target and its backup are exactly as they were. Errors are read from
// FIO::IOresult() after a false result.
//
//   FIO::CReplaceFile out;
//   if (!out.Begin(high, name, true)) return false;
//   FIO::WrStrA(out.Handle(), ...);        // errors here make Commit() fail
//   return out.Commit();
#pragma once

#include <cstdint>
#include <string>

#include "runbase/fio.h"

namespace FIO {

class CReplaceFile {
 public:
  CReplaceFile() = default;
  ~CReplaceFile();  // aborts an uncommitted replacement
  CReplaceFile(const CReplaceFile&) = delete;
  CReplaceFile& operator=(const CReplaceFile&) = delete;

  // Starts replacing `name`; keepBackup moves the previous file to the ".bak"
  // name at commit, replacing an older backup. A symbolic link is followed:
  // the file it leads to is replaced (the backup beside it) and the link
  // stays. False when the temporary file cannot be created, the name is too
  // long, or `name` is a folder (errno EISDIR).
  bool Begin(std::uint32_t high, const char* name, bool keepBackup);

  // Files written in numbers that can be made again (the pictures of an
  // export) may skip flushing to the device: the replacement stays
  // all-or-nothing for every reader, only a power cut may bring back the
  // previous version. Call before Commit.
  void SkipDeviceFlush() { flush_ = false; }

  // The temporary file to write to; InvalidHandle when not begun.
  File Handle() const { return temp_; }

  // Finishes: false (target untouched) when any write since Begin failed,
  // or flushing, backing up or renaming fails.
  bool Commit();

  // Drops the temporary file; the target stays as it was.
  void Abort();

  // True between a successful Begin and Commit/Abort.
  bool Active() const { return temp_ != InvalidHandle; }

 private:
  bool PutInPlaceKeepingBackup();
  bool PutInPlaceMovingBackup();
  void SyncFolder() const;

  File temp_ = InvalidHandle;   // the temporary file being written, owned
  bool keepBackup_ = false;     // keep the previous version under backup_
  bool flush_ = true;           // flush file and folder to the device at commit
  std::string target_;          // target name, native separators
  std::string tempName_;        // temporary file next to the target
  std::string backup_;          // backup name (target with the extension "bak")
};

// Replaces the whole content of `name` with `size` bytes of `data` through a
// CReplaceFile. False (file untouched) on any failure.
bool ReplaceFileContentsA(std::uint32_t high, const char* name, const void* data,
                          std::uint32_t size, bool keepBackup);

}  // namespace FIO
