// The sample field shipped with OMBRIX: a handful of eclipsing binaries whose
// series are drawn from the program's own light-curve model with seeded
// noise, so that every build writes the same files byte for byte.
#pragma once

#include <string>
#include <vector>

namespace ombrix_samples {

// The field file inside the output folder.
inline constexpr const char kSampleFieldName[] = "sample.ofd";

// Where the committed sample lives, relative to the repository root. The
// field refers to its series files under this folder, so it loads when the
// repository root is the working folder (or the root folder setting).
inline constexpr const char kSampleFolder[] = "samples/field";

// Writes the series files and the field file into `folder` (which must
// exist). The field names each series `storedFolder`/<file> in both of its
// paths. False with `error` set when a file cannot be written.
bool WriteSampleField(const std::string& folder, const std::string& storedFolder, std::string& error);

// Names of every file WriteSampleField writes, the field file first.
std::vector<std::string> SampleFieldFiles();

}  // namespace ombrix_samples
