#include "runbase/machine.h"

#include <cstdlib>

namespace machine {

bool HasVectorUnit(TVectorUnit unit) {
  __builtin_cpu_init();
  switch (unit) {
    case TVectorUnit::avx512f:
      return __builtin_cpu_supports("avx512f");
    case TVectorUnit::avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case TVectorUnit::scalar:
      return true;
  }
  return false;
}

TVectorUnit BestVectorUnit() {
  if (HasVectorUnit(TVectorUnit::avx512f)) return TVectorUnit::avx512f;
  if (HasVectorUnit(TVectorUnit::avx2)) return TVectorUnit::avx2;
  return TVectorUnit::scalar;
}

const char* VectorUnitName(TVectorUnit unit) {
  switch (unit) {
    case TVectorUnit::avx512f:
      return "AVX-512";
    case TVectorUnit::avx2:
      return "AVX2";
    case TVectorUnit::scalar:
      return "scalar";
  }
  return "scalar";
}

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return {};
}

}  // namespace machine
