// Loading and saving field description files with their messages.
#include <cerrno>
#include <cstring>
#include <string>

#include <runbase/fio.h>
#include <runbase/fio_replace.h>

#include "ofd_sections.h"
#include "ombrix_field/ofd.h"

namespace ombrix_data {

namespace {

constexpr std::uint32_t kNameHigh = 4095;

void ShowStop(CUserIO* io, const char* caption, const char* first, const char* second,
              const char* third = nullptr) {
  if (io) io->ShowMessage({caption, {first, second, third}, TMessageIcon::stop});
}

}  // namespace

FIO::WholeFile ReadWholeFile(const char* path, std::uint64_t maxBytes, std::string& data) {
  return FIO::ReadWholeFileA(kNameHigh, path, maxBytes, data);
}

std::string WholeFileProblem(FIO::WholeFile result, std::uint64_t maxBytes) {
  switch (result) {
    case FIO::WholeFile::notRegularFile: return "Not a regular file";
    case FIO::WholeFile::tooLarge: return "File too big (> " + std::to_string(maxBytes >> 20) + " MB)";
    default: return "Cannot open file";
  }
}

TWriteResult ReplaceFileText(const char* path, const std::string& text, bool keepBackup, int& cause) {
  FIO::CReplaceFile out;
  if (!out.Begin(kNameHigh, path, keepBackup)) {
    cause = FIO::IOresult();
    return TWriteResult::cannotCreate;
  }
  const auto size = static_cast<std::uint32_t>(text.size());
  if (FIO::WrBin(out.Handle(), size ? size - 1 : 0, text.data(), size) == size && out.Commit())
    return TWriteResult::ok;
  cause = FIO::IOresult() ? FIO::IOresult() : EIO;
  out.Abort();
  return TWriteResult::cannotWrite;
}

bool LoadField(const char* path, const TFieldLoadContext& context, CField& field, bool& changed) {
  changed = false;
  std::string data;
  const FIO::WholeFile read = ReadWholeFile(path, kMaxFieldFileSize, data);
  if (read != FIO::WholeFile::ok) {
    ShowStop(context.io, "Failed load field description", WholeFileProblem(read, kMaxFieldFileSize).c_str(), path);
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
  int cause = 0;
  const TWriteResult result = ReplaceFileText(path, text, true, cause);
  if (result == TWriteResult::ok) return true;
  ShowStop(&io, "Failed save field description",
           result == TWriteResult::cannotCreate ? "Cannot create file" : "Cannot write file", path,
           std::strerror(cause));
  return false;
}

}  // namespace ombrix_data
