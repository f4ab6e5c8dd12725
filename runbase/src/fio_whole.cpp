// FIO::ReadWholeFileA: one bounded way to read a whole file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "fio_sys.h"
#include "runbase/fio.h"

namespace FIO {

namespace {

constexpr std::size_t kBlock = 65536;

WholeFile Refuse(WholeFile result, int error, std::string& bytes) {
  bytes.clear();
  errno = error;
  return result;
}

int NotRegularError(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : ENODEV; }

// Opens a regular file without waiting: O_NONBLOCK keeps the open of a FIFO
// from blocking until a writer comes, O_NOCTTY keeps a terminal from becoming
// ours. The check before the open spares devices being opened at all; the
// one after it covers a name changed in between. -1 with result set.
int OpenRegular(const char* name, struct stat& st, WholeFile& result) {
  if (::stat(name, &st) != 0) {
    result = WholeFile::cannotOpen;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    result = WholeFile::notRegularFile;
    errno = NotRegularError(st);
    return -1;
  }
  const int fd = sys::Open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY, Fault::Op::Open);
  if (fd < 0) {
    result = WholeFile::cannotOpen;
    return -1;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISREG(st.st_mode) ? errno : NotRegularError(st);
    sys::CloseFd(fd);
    result = S_ISREG(st.st_mode) ? WholeFile::cannotOpen : WholeFile::notRegularFile;
    errno = error;
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// Reads to the end of the file, or one byte past maxBytes (which then is
// too large). The size stat gave only sizes the buffer: files of /proc show
// 0, and a file may grow while it is read.
WholeFile ReadToEnd(int fd, std::uint64_t expected, std::uint64_t maxBytes, std::string& bytes) {
  bytes.clear();
  bytes.reserve(std::size_t(expected) + kBlock);   // expected <= maxBytes
  for (;;) {
    const std::uint64_t left = maxBytes - bytes.size();   // bytes.size() <= maxBytes here
    const std::size_t want = left >= kBlock ? kBlock : std::size_t(left) + 1;
    const std::size_t used = bytes.size();
    bytes.resize(used + want);
    errno = 0;
    const std::size_t got = sys::ReadAll(fd, bytes.data() + used, want);
    bytes.resize(used + got);
    if (got < want && errno != 0) return WholeFile::cannotRead;
    if (bytes.size() > maxBytes) {
      errno = EFBIG;
      return WholeFile::tooLarge;
    }
    if (got < want) return WholeFile::ok;
  }
}

}  // namespace

WholeFile ReadWholeFileA(std::uint32_t high, const char* name, std::uint64_t maxBytes, std::string& bytes,
                         FileTime* lastWrite) {
  ClearIOresult();
  sys::TNativeName native;
  if (!sys::ToNative(high, name, native)) return Refuse(WholeFile::cannotOpen, errno, bytes);
  struct stat st {};
  WholeFile result = WholeFile::ok;
  const int fd = OpenRegular(native.text, st, result);
  if (fd < 0) return Refuse(result, errno, bytes);
  if (std::uint64_t(st.st_size) > maxBytes) {
    sys::CloseFd(fd);
    return Refuse(WholeFile::tooLarge, EFBIG, bytes);
  }
  result = ReadToEnd(fd, std::uint64_t(st.st_size), maxBytes, bytes);
  const int error = errno;
  sys::CloseFd(fd);
  if (result != WholeFile::ok) return Refuse(result, error, bytes);
  if (lastWrite != nullptr) *lastWrite = sys::ToFileTime(st.st_mtim);
  errno = 0;
  return WholeFile::ok;
}

}  // namespace FIO
