// FIO::CReplaceFile: write a temporary file next to the target, then rename
// it over the target once everything reached the device.
#include "runbase/fio_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "fio_sys.h"
#include "runbase/fior.h"

namespace FIO {

namespace {

std::atomic<std::uint32_t> tempCounter{0};

// Keeps errno across clean-up calls, so IOresult reports the first failure.
class CKeepError {
 public:
  CKeepError() : error_(errno) {}
  ~CKeepError() { errno = error_; }

 private:
  int error_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A name in folder that no file has yet; ending names what it is for.
std::string UniqueName(const std::string& folder, const char* ending) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "/.~%ld-%u%s", long(::getpid()),
                unsigned(tempCounter.fetch_add(1)), ending);
  return folder + suffix;
}

// Creates a new temporary file beside target; -1 on failure.
int CreateTemp(const std::string& target, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = UniqueName(FolderOf(target), ".tmp");
    const int fd = sys::Open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, Fault::Op::Create);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool Exists(const std::string& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0;
}

}  // namespace

CReplaceFile::~CReplaceFile() { Abort(); }

bool CReplaceFile::Begin(std::uint32_t high, const char* name, bool keepBackup) {
  Abort();
  ClearIOresult();
  sys::TNativeName target;
  if (!sys::ToNative(high, name, target)) return false;
  target_ = target.text;
  char backup[MaxPathLength + 1];
  sys::CopyOut(MaxPathLength, backup, target_);
  FIOR::ChangeExtensionA(MaxPathLength, backup, 2, "bak");
  backup_ = sys::View(MaxPathLength, backup);
  // A target that already carries the backup name has no separate backup.
  keepBackup_ = keepBackup && backup_ != target_;

  const int fd = CreateTemp(target_, tempName_);
  if (fd < 0) return false;
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);   // keep the target's mode
  sys::Watch(fd);
  temp_ = File(fd);
  errno = 0;
  return true;
}

bool CReplaceFile::Commit() {
  ClearIOresult();
  if (!Active()) {
    errno = EBADF;
    return false;
  }
  const int fd = sys::Fd(temp_);
  const int writeError = sys::WriteError(fd);
  if (writeError != 0 || !sys::Sync(fd)) {
    if (writeError != 0) errno = writeError;
    Abort();
    return false;
  }
  sys::Unwatch(fd);
  temp_ = InvalidHandle;
  const bool closed = ::close(fd) == 0;

  bool movedTarget = false;
  if (!closed || (keepBackup_ && Exists(target_) && !BackUpOld(movedTarget)) ||
      !sys::Rename(tempName_.c_str(), target_.c_str())) {
    CKeepError keep;
    if (movedTarget) ::rename(backup_.c_str(), target_.c_str());
    ::unlink(tempName_.c_str());
    return false;
  }
  SyncFolder();
  errno = 0;
  return true;
}

// Gives the current target the backup name as a second link, then moves that
// link over the old backup in one step: the target stays in place until the
// final rename replaces it, and the old backup survives a failure. Where hard
// links are not possible the target itself is renamed (movedTarget is set,
// so a failure can put it back).
bool CReplaceFile::BackUpOld(bool& movedTarget) {
  const std::string link = UniqueName(FolderOf(target_), ".bak");
  if (sys::Link(target_.c_str(), link.c_str())) {
    if (sys::Rename(link.c_str(), backup_.c_str())) return true;
    CKeepError keep;
    ::unlink(link.c_str());
    return false;
  }
  if (errno != EPERM && errno != EXDEV && errno != ENOTSUP && errno != EMLINK && errno != ENOSYS)
    return false;
  errno = 0;
  movedTarget = sys::Rename(target_.c_str(), backup_.c_str());
  return movedTarget;
}

void CReplaceFile::SyncFolder() const {
  const int fd = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);   // makes the rename durable; nothing to undo if it fails
  ::close(fd);
}

void CReplaceFile::Abort() {
  if (!Active()) return;
  CKeepError keep;
  const int fd = sys::Fd(temp_);
  sys::Unwatch(fd);
  sys::CloseFd(fd);
  temp_ = InvalidHandle;
  ::unlink(tempName_.c_str());   // clean-up must not be hit by injected faults
}

bool ReplaceFileContentsA(std::uint32_t high, const char* name, const void* data, std::uint32_t size,
                          bool keepBackup) {
  CReplaceFile out;
  if (!out.Begin(high, name, keepBackup)) return false;
  if (size > 0 && WrBin(out.Handle(), size - 1, data, size) != size) return false;
  return out.Commit();
}

}  // namespace FIO
