// Writes the sample field: make_sample_field <output folder> [<stored folder>].
// The stored folder (default samples/field) is what the field's series paths
// start with.
#include <cstdio>
#include <string>

#include "ombrix_samples/sample_field.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "Usage: %s <output folder> [<stored folder>]\n", argv[0]);
    return 2;
  }
  const std::string stored = argc == 3 ? argv[2] : ombrix_samples::kSampleFolder;
  std::string error;
  if (!ombrix_samples::WriteSampleField(argv[1], stored, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
