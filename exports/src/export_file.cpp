#include "ombrix_exports/export_file.h"

#include <cstdint>
#include <limits>

#include <runbase/fio.h>
#include <runbase/fio_replace.h>

namespace ombrix_export {

bool WriteExportFile(const std::string& path, std::string_view text) {
  if (path.empty() || path.size() > std::numeric_limits<std::uint32_t>::max() ||
      text.size() > std::numeric_limits<std::uint32_t>::max())
    return false;
  return FIO::ReplaceFileContentsA(static_cast<std::uint32_t>(path.size()), path.c_str(), text.data(),
                                   static_cast<std::uint32_t>(text.size()), false);
}

bool ExportFileExists(const std::string& path) {
  return !path.empty() && FIO::ExistsA(static_cast<std::uint32_t>(path.size()), path.c_str());
}

}  // namespace ombrix_export
