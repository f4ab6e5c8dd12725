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
#include "runbase/fixed_text.h"
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

// True when both names lead to one file (as after an interrupted save that
// left the target and its backup as two links of one file).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Follows symbolic links from name to the file they finally lead to (which
// need not exist yet), so a save writes where the link points and the link
// stays a link. False with errno set for a loop or an unreadable link.
bool FollowLinks(std::string& name) {
  constexpr int kMostLinks = 40;   // as the system allows when it resolves a path
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char target[MaxPathLength + 1];
    const ssize_t n = ::readlink(name.c_str(), target, sizeof target);
    if (n < 0) return false;
    if (n == 0 || std::size_t(n) >= sizeof target) {
      errno = n == 0 ? ENOENT : ENAMETOOLONG;
      return false;
    }
    std::string next(target, std::size_t(n));
    name = next.front() == '/' ? next : FolderOf(name) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

// Errors of link() that mean the file system has no hard links.
bool LinksUnsupported(int error) {
  return error == EPERM || error == EXDEV || error == ENOTSUP || error == EMLINK || error == ENOSYS;
}

}  // namespace

CReplaceFile::~CReplaceFile() { Abort(); }

bool CReplaceFile::Begin(std::uint32_t high, const char* name, bool keepBackup) {
  Abort();
  ClearIOresult();
  sys::TNativeName target;
  if (!sys::ToNative(high, name, target)) return false;
  target_ = target.text;
  if (!FollowLinks(target_)) return false;
  if (target_.size() > MaxPathLength) {   // a link may lead to a longer name
    errno = ENAMETOOLONG;
    return false;
  }
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  // Renaming over a folder would move the folder with its files to the backup.
  if (exists && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  char backup[MaxPathLength + 1];
  FixedText::Assign(MaxPathLength, backup, target_);
  FIOR::ChangeExtensionA(MaxPathLength, backup, 2, "bak");
  backup_ = FixedText::View(MaxPathLength, backup);
  // A target that already carries the backup name has no separate backup.
  keepBackup_ = keepBackup && backup_ != target_;

  const int fd = CreateTemp(target_, tempName_);
  if (fd < 0) return false;
  if (exists) ::fchmod(fd, st.st_mode & 07777);   // keep the target's mode
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
  if (writeError != 0 || (flush_ && !sys::Sync(fd))) {
    if (writeError != 0) errno = writeError;
    Abort();
    return false;
  }
  sys::Unwatch(fd);
  temp_ = InvalidHandle;
  const bool closed = ::close(fd) == 0;

  const bool backUp = keepBackup_ && Exists(target_);
  if (!closed || !(backUp ? PutInPlaceKeepingBackup() : sys::Rename(tempName_.c_str(), target_.c_str()))) {
    CKeepError keep;
    ::unlink(tempName_.c_str());
    return false;
  }
  if (flush_) SyncFolder();
  errno = 0;
  return true;
}

// Moves the temporary file over the target and the previous target over the
// old backup, or leaves all three as they were. A second link keeps the
// previous version reachable while the new file takes its name; the old
// backup is replaced only after that succeeded, and a failure there puts the
// previous version back. Where hard links are not possible the backup is
// made by renames instead.
bool CReplaceFile::PutInPlaceKeepingBackup() {
  // The backup already is the previous version: only the target changes.
  if (SameFile(target_, backup_)) return sys::Rename(tempName_.c_str(), target_.c_str());
  const std::string link = UniqueName(FolderOf(target_), ".bak");
  if (!sys::Link(target_.c_str(), link.c_str())) {
    if (!LinksUnsupported(errno)) return false;
    errno = 0;
    return PutInPlaceMovingBackup();
  }
  if (!sys::Rename(tempName_.c_str(), target_.c_str())) {
    CKeepError keep;
    ::unlink(link.c_str());
    return false;
  }
  if (sys::Rename(link.c_str(), backup_.c_str())) return true;
  CKeepError keep;
  ::rename(link.c_str(), target_.c_str());   // clean-up must not be hit by injected faults
  return false;
}

// Without hard links: the old backup steps aside under a hidden name, the
// target takes the backup name and the new file the target's; only then the
// old backup goes. Each failure undoes the steps before it.
bool CReplaceFile::PutInPlaceMovingBackup() {
  const std::string aside = UniqueName(FolderOf(target_), ".old");
  const bool hadBackup = Exists(backup_);
  if (hadBackup && !sys::Rename(backup_.c_str(), aside.c_str())) return false;
  if (sys::Rename(target_.c_str(), backup_.c_str())) {
    if (sys::Rename(tempName_.c_str(), target_.c_str())) {
      if (hadBackup) ::unlink(aside.c_str());
      return true;
    }
    CKeepError keep;
    ::rename(backup_.c_str(), target_.c_str());
  }
  CKeepError keep;
  if (hadBackup) ::rename(aside.c_str(), backup_.c_str());
  return false;
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
