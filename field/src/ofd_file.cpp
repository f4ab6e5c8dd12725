// Loading and saving field description files with their messages.
#include <cerrno>
#include <cstring>
#include <string>

#include <runbase/fio.h>
#include <runbase/fio_replace.h>

#include "ombrix_field/ofd.h"
#include "text.h"

namespace ombrix_data {

namespace {

constexpr std::uint32_t kNameHigh = 4095;

void ShowStop(CUserIO* io, const char* caption, const char* first, const char* second,
              const char* third = nullptr) {
  if (io) io->ShowMessage({caption, {first, second, third}, TMessageIcon::stop});
}

bool ReadWholeFile(const char* path, std::string& data) {
  FIO::File f = FIO::OpenReadA(kNameHigh, path);
  if (f == FIO::InvalidHandle) return false;
  const std::uint64_t size = FIO::Size(f);
  bool ok = size != ~std::uint64_t{0} && size < 0x7FFFFFFFull;
  if (ok) {
    data.resize(static_cast<std::size_t>(size));
    ok = size == 0 || FIO::RdBin(f, static_cast<std::uint32_t>(size - 1), data.data(),
                                 static_cast<std::uint32_t>(size)) == size;
  }
  FIO::Close(f);
  return ok;
}

}  // namespace

bool LoadField(const char* path, const TFieldLoadContext& context, CField& field, bool& changed) {
  changed = false;
  std::string data;
  if (!ReadWholeFile(path, data)) {
    ShowStop(context.io, "Failed load field description", "Cannot open file", path);
    return false;
  }
  char error[kErrorTextHigh + 1];
  if (ReadFieldText(data.data(), data.size(), context, field, changed, error)) return true;
  ShowStop(context.io, "Failed load field description", "Load data failed", error);
  return false;
}

bool SaveField(const CField& field, const char* path, CUserIO& io) {
  std::string text;
  WriteFieldText(field, text);
  FIO::CReplaceFile out;
  if (!out.Begin(kNameHigh, path, true)) {
    const int cause = FIO::IOresult();
    ShowStop(&io, "Failed save field description", "Cannot create file", path, std::strerror(cause));
    return false;
  }
  bool ok = FIO::WrBin(out.Handle(), static_cast<std::uint32_t>(text.size() ? text.size() - 1 : 0), text.data(),
                       static_cast<std::uint32_t>(text.size())) == text.size();
  if (ok) ok = out.Commit();
  if (!ok) {
    const int cause = FIO::IOresult() ? FIO::IOresult() : EIO;
    out.Abort();
    ShowStop(&io, "Failed save field description", "Cannot write file", path, std::strerror(cause));
  }
  return ok;
}

}  // namespace ombrix_data
