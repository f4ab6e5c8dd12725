// FIOR: the name-redirection list and the file operations that consult it.
#include <cerrno>
#include <string>

#include "fio_sys.h"
#include "runbase/fixed_text.h"
#include "runbase/fior.h"
#include "runbase/storage.h"
#include "runbase/str.h"

namespace FIOR {

namespace {

using FixedText::Trim;
using FixedText::View;

bool IsRelative(std::string_view name) {
  if (name.empty()) return false;
  if (name.front() == '/' || name.front() == '\\') return false;
  return !(name.size() >= 2 && name[1] == ':');
}

// A redirection list is a few lines; anything near this size is not one.
constexpr std::uint64_t kMaxRedirectionFile = 1 << 20;

CRed1A module;

}  // namespace

CRed1A::~CRed1A() { Done(); }

void CRed1A::Done() {
  Storage::Free(entries_);
  count_ = 0;
  capacity_ = 0;
}

bool CRed1A::Add(const char* pattern, const char* directory) {
  const std::string_view p = View(FIO::MaxPathLength + 1, pattern);
  const std::string_view d = View(FIO::MaxPathLength + 1, directory);
  if (p.empty() || p.size() > FIO::MaxPathLength || d.size() > FIO::MaxPathLength) return false;
  if (count_ == capacity_) {
    capacity_ = capacity_ == 0 ? 8 : capacity_ * 2;
    Storage::Reallocate(entries_, capacity_ * sizeof(TEntry));
  }
  TEntry& e = entries_[count_++];
  FixedText::Assign(FIO::MaxPathLength, e.pattern, p);
  FixedText::Assign(FIO::MaxPathLength, e.directory, d);
  return true;
}

bool CRed1A::Init(std::uint32_t high, const char* fileName) {
  Done();
  std::string text;
  if (FIO::ReadWholeFileA(high, fileName, kMaxRedirectionFile, text) != FIO::WholeFile::ok) return false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#' || line.front() == ';' || line.front() == '[') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;   // not an entry
    const std::string pattern(Trim(line.substr(0, equals)));
    const std::string directory(Trim(line.substr(equals + 1)));
    Add(pattern.c_str(), directory.c_str());
  }
  return true;
}

std::int32_t CRed1A::Match(const char* name, std::uint32_t from) const {
  for (std::uint32_t i = from; i < count_; ++i) {
    const TEntry& e = entries_[i];
    if (e.directory[0] != 0 &&
        Str::MatchA(FIO::MaxPathLength, name, FIO::MaxPathLength, e.pattern))
      return std::int32_t(i);
  }
  return -1;
}

bool CRed1A::FindPath(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh,
                      char* destination) const {
  const std::string n(View(nameHigh, name));
  if (IsRelative(n) && n.size() <= FIO::MaxPathLength) {
    char path[FIO::MaxPathLength + 1];
    for (std::int32_t i = Match(n.c_str(), 0); i >= 0; i = Match(n.c_str(), std::uint32_t(i) + 1)) {
      MakePathA(FIO::MaxPathLength, path, FIO::MaxPathLength, entries_[i].directory,
                std::uint32_t(n.size()), n.c_str());
      if (FIO::ExistsA(FIO::MaxPathLength, path)) {
        FixedText::Assign(destHigh, destination, View(FIO::MaxPathLength, path));
        return true;
      }
    }
  }
  FixedText::Assign(destHigh, destination, n);
  return false;
}

bool CRed1A::FindNewPath(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh,
                         char* destination) const {
  const std::string n(View(nameHigh, name));
  const std::int32_t i = IsRelative(n) && n.size() <= FIO::MaxPathLength ? Match(n.c_str(), 0) : -1;
  if (i < 0) {
    FixedText::Assign(destHigh, destination, n);
    return false;
  }
  MakePathA(destHigh, destination, FIO::MaxPathLength, entries_[i].directory, std::uint32_t(n.size()),
            n.c_str());
  return true;
}

bool CRed2A::FindPath2(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh,
                       char* destination) const {
  return FindPath(nameHigh, name, destHigh, destination);
}

CRed1A& Redirection() { return module; }

bool InitA(std::uint32_t high, const char* fileName) { return module.Init(high, fileName); }
void Done() { module.Done(); }

bool FindPathA(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination) {
  return module.FindPath(nameHigh, name, destHigh, destination);
}

bool FindNewPathA(std::uint32_t nameHigh, const char* name, std::uint32_t destHigh, char* destination) {
  return module.FindNewPath(nameHigh, name, destHigh, destination);
}

namespace {

// The name after redirection, long enough to fail in FIO when it is too long.
struct TRedirected {
  char path[FIO::MaxPathLength + 2];
  std::uint32_t High() const { return FIO::MaxPathLength + 1; }
};

template <class Find>
TRedirected Redirect(std::uint32_t high, const char* name, Find find) {
  TRedirected r{};
  find(high, name, r.High(), r.path);
  return r;
}

}  // namespace

FIO::File OpenA(std::uint32_t high, const char* name, std::uint32_t share) {
  const TRedirected r = Redirect(high, name, FindPathA);
  return FIO::OpenA(r.High(), r.path, share);
}

FIO::File OpenReadA(std::uint32_t high, const char* name, std::uint32_t share) {
  const TRedirected r = Redirect(high, name, FindPathA);
  return FIO::OpenReadA(r.High(), r.path, share);
}

FIO::File CreateA(std::uint32_t high, const char* name, std::uint32_t share) {
  const TRedirected r = Redirect(high, name, FindNewPathA);
  return FIO::CreateA(r.High(), r.path, share);
}

void DeleteA(std::uint32_t high, const char* name) {
  const TRedirected r = Redirect(high, name, FindPathA);
  FIO::DeleteA(r.High(), r.path);
}

}  // namespace FIOR
