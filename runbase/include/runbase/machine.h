// machine: facts about the computer and the user account that several
// libraries need, answered in one place.
#pragma once

#include <string>

namespace machine {

// Vector units the numeric kernels are built for, slowest first.
enum class TVectorUnit { scalar, avx2, avx512f };

// True when the processor runs code for the unit (AVX2 kernels also need FMA).
bool HasVectorUnit(TVectorUnit unit);
// The fastest unit the processor has.
TVectorUnit BestVectorUnit();
// "AVX-512", "AVX2" or "scalar", for reports and benchmark labels.
const char* VectorUnitName(TVectorUnit unit);

// The per-user configuration folder: $XDG_CONFIG_HOME when set and not empty,
// else $HOME/.config; empty when neither variable gives a folder.
std::string ConfigFolder();

}  // namespace machine
