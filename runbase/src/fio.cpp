// FIO: opening files and the operations on an open handle.
#include "runbase/fio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "fio_sys.h"

namespace FIO {

namespace {

constexpr std::uint64_t kAllBits = ~std::uint64_t(0);

template <class C>
File OpenName(std::uint32_t high, const C* name, int flags, Fault::Op op) {
  ClearIOresult();
  sys::TNativeName native;
  if (!sys::ToNative(high, name, native)) return InvalidHandle;
  const int fd = sys::Open(native.text, flags, op);
  if (fd < 0) return InvalidHandle;
  // A directory is not a file: refuse it here as the read-only open would not.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    sys::CloseFd(fd);
    errno = EISDIR;
    return InvalidHandle;
  }
  return File(fd);
}

template <class C>
File AppendName(std::uint32_t high, const C* name) {
  const File f = OpenName(high, name, O_RDWR, Fault::Op::Open);
  if (f == InvalidHandle) return f;
  if (::lseek(sys::Fd(f), 0, SEEK_END) < 0) {
    const int error = errno;
    sys::CloseFd(sys::Fd(f));
    errno = error;
    return InvalidHandle;
  }
  return f;
}

// The descriptor of a handle, or -1 with errno = EBADF.
int FdOf(File f) {
  const int fd = sys::Fd(f);
  if (fd < 0) errno = EBADF;
  return fd;
}

bool Stat(File f, struct stat& st) {
  const int fd = FdOf(f);
  return fd >= 0 && ::fstat(fd, &st) == 0;
}

}  // namespace

int IOresult() { return errno; }
void ClearIOresult() { errno = 0; }

File OpenA(std::uint32_t high, const char* name, std::uint32_t) {
  return OpenName(high, name, O_RDWR, Fault::Op::Open);
}
File OpenReadA(std::uint32_t high, const char* name, std::uint32_t) {
  return OpenName(high, name, O_RDONLY, Fault::Op::Open);
}
File CreateA(std::uint32_t high, const char* name, std::uint32_t) {
  return OpenName(high, name, O_RDWR | O_CREAT | O_TRUNC, Fault::Op::Create);
}
File AppendA(std::uint32_t high, const char* name, std::uint32_t) { return AppendName(high, name); }

File OpenW(std::uint32_t high, const char16_t* name, std::uint32_t) {
  return OpenName(high, name, O_RDWR, Fault::Op::Open);
}
File OpenReadW(std::uint32_t high, const char16_t* name, std::uint32_t) {
  return OpenName(high, name, O_RDONLY, Fault::Op::Open);
}
File CreateW(std::uint32_t high, const char16_t* name, std::uint32_t) {
  return OpenName(high, name, O_RDWR | O_CREAT | O_TRUNC, Fault::Op::Create);
}
File AppendW(std::uint32_t high, const char16_t* name, std::uint32_t) { return AppendName(high, name); }

void Close(File f) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd >= 0) sys::CloseFd(fd);
}

void Flush(File f) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd >= 0) sys::Sync(fd);
}

void Truncate(File f) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd < 0 || sys::Injected(Fault::Op::Truncate)) return;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  if (position >= 0) ::ftruncate(fd, position);
}

void Seek(File f, std::uint64_t position) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd >= 0) sys::SeekTo(fd, position);
}

std::uint64_t GetPos(File f) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd < 0) return kAllBits;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  return position < 0 ? kAllBits : std::uint64_t(position);
}

std::uint64_t Size(File f) {
  ClearIOresult();
  struct stat st {};
  return Stat(f, st) ? std::uint64_t(st.st_size) : kAllBits;
}

bool EndOfFile(File f) {
  // A pending error (from the caller's last operation) means "not at the end".
  if (errno != 0) return false;
  const std::uint64_t size = Size(f);
  if (size == kAllBits) return false;
  const std::uint64_t position = GetPos(f);
  return position != kAllBits && position == size;
}

std::uint32_t RdBin(File f, std::uint32_t high, void* buffer, std::uint32_t count) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd < 0 || buffer == nullptr) return 0;
  if (count > high && high != 0xFFFFFFFFu) count = high + 1;
  return std::uint32_t(sys::ReadAll(fd, buffer, count));
}

std::uint32_t WrBin(File f, std::uint32_t high, const void* buffer, std::uint32_t count) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd < 0 || buffer == nullptr) return 0;
  if (count > high && high != 0xFFFFFFFFu) count = high + 1;
  return std::uint32_t(sys::WriteAll(fd, buffer, count));
}

bool GetFileTime(File f, FileTime& lastWrite) {
  ClearIOresult();
  struct stat st {};
  if (!Stat(f, st)) return false;
  lastWrite = sys::ToFileTime(st.st_mtim);
  return true;
}

bool SetFileTime(File f, FileTime lastWrite) {
  ClearIOresult();
  const int fd = FdOf(f);
  if (fd < 0) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;   // leave the access time alone
  times[1] = sys::ToTimespec(lastWrite);
  return ::futimens(fd, times) == 0;
}

bool GetFileTime2(File f, std::uint16_t& year, std::uint16_t& month, std::uint16_t& day,
                  std::uint16_t& hour, std::uint16_t& minute, std::uint16_t& second,
                  std::uint16_t& millisecond) {
  FileTime t = 0;
  if (!GetFileTime(f, t)) return false;
  const struct timespec ts = sys::ToTimespec(t);
  struct tm parts {};
  if (::gmtime_r(&ts.tv_sec, &parts) == nullptr) {
    errno = EOVERFLOW;
    return false;
  }
  year = std::uint16_t(parts.tm_year + 1900);
  month = std::uint16_t(parts.tm_mon + 1);
  day = std::uint16_t(parts.tm_mday);
  hour = std::uint16_t(parts.tm_hour);
  minute = std::uint16_t(parts.tm_min);
  second = std::uint16_t(parts.tm_sec);
  millisecond = std::uint16_t(ts.tv_nsec / 1000000);
  return true;
}

bool SetFileTime2(File f, std::uint16_t year, std::uint16_t month, std::uint16_t day,
                  std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                  std::uint16_t millisecond) {
  ClearIOresult();
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59 || millisecond > 999) {
    errno = EINVAL;
    return false;
  }
  struct tm parts {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  struct timespec ts {};
  ts.tv_sec = ::timegm(&parts);
  if (parts.tm_mday != day) {   // timegm moved a day that the month does not have
    errno = EINVAL;
    return false;
  }
  ts.tv_nsec = long(millisecond) * 1000000;
  return SetFileTime(f, sys::ToFileTime(ts));
}

FileTime GetCurrentFileTime() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return sys::ToFileTime(now);
}

bool IsUnicodeFile(File f) {
  Seek(f, 0);
  unsigned char head[2] = {0, 0};
  const bool two = RdBin(f, 1, head, 2) == 2;
  if (two && head[0] == 0xFF && head[1] == 0xFE) return true;
  const bool unicode = two && head[1] == 0;   // a plain character followed by a zero byte
  Seek(f, 0);
  return unicode;
}

}  // namespace FIO
