// Writing an export: the whole text goes to a temporary file beside the
// target, which then replaces the target in one step. A failed export leaves
// no partial file, and an earlier file of that name stays as it was.
#pragma once

#include <string>
#include <string_view>

namespace ombrix_export {

// Writes `text` as the file `path`; false when the file cannot be written
// (FIO::IOresult() tells why).
bool WriteExportFile(const std::string& path, std::string_view text);

// True when a file (not a folder) of that name exists.
bool ExportFileExists(const std::string& path);

}  // namespace ombrix_export
