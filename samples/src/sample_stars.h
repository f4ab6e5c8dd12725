// The stars of the sample field: their catalogue data, light-curve model and
// the nights on which they were "observed".
#pragma once

#include <cstdint>
#include <span>

#include <ombrix_field/records.h>

namespace ombrix_samples {

struct TSampleStarPosition {
  const char* name;
  const char* ra;   // sexagesimal hours, as photometry programs write it
  const char* dec;  // sexagesimal degrees
  double catalogMag;  // 0: none given
};

// One night of photometry centred on an eclipse.
struct TSampleNight {
  int cycle;              // eclipse cycle counted from M0
  bool secondary;         // centred on the secondary instead of the primary
  const char* filter;     // "V", "R", "I" or "Clear"
  double hours;           // length of the run
  double cadence;         // seconds between exposures
  ombrix_data::TMinimumType minimumType;  // type the observer gave the minimum
  bool minimumEnabled;    // used by the analyses
};

struct TSampleModel {
  double mag0, secPhase;
  double aPri, dPri, gPri;
  double aSec, dSec, gSec;
  double aSin1, aCos2;
};

struct TSampleStar {
  const char* name;
  const char* altName;
  const char* type;
  const char* fileStem;      // series files are <stem>_<night>_<filter>.txt
  TSampleStarPosition var;
  TSampleStarPosition comparison;
  double m0, period;
  TSampleModel model;        // magnitudes in V
  double noise;              // standard deviation of one V point, mag
  bool storeFit;             // the field keeps the model as the object's fit
  const char* note;          // the observer's note besides the common ones
  std::span<const TSampleNight> nights;
};

std::span<const TSampleStar> SampleStars();

// Colour of the stars in each filter against V (they are taken alike), and
// the offset that levels a series of that filter onto V.
double FilterShift(const char* filter);

}  // namespace ombrix_samples
