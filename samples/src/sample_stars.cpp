#include "sample_stars.h"

#include <cstring>

namespace ombrix_samples {

namespace {

using ombrix_data::minPrimary;
using ombrix_data::minSecondary;
using ombrix_data::minUndefined;

constexpr TSampleNight kLyrNights[] = {
    {4, false, "V", 6.0, 100, minPrimary, true},
    {11, false, "R", 6.5, 90, minPrimary, true},
    {23, true, "V", 6.0, 100, minSecondary, true},
    {30, false, "I", 5.5, 120, minPrimary, true},
};
constexpr TSampleNight kCygNights[] = {
    {10, false, "V", 5.0, 90, minPrimary, true},
    {40, true, "I", 5.0, 110, minSecondary, true},
    {95, false, "Clear", 4.5, 60, minPrimary, true},
};
constexpr TSampleNight kCasNights[] = {
    {5, false, "V", 6.0, 100, minPrimary, true},
    {17, true, "R", 6.0, 100, minUndefined, true},
};
constexpr TSampleNight kHerNights[] = {
    {3, false, "V", 8.0, 150, minPrimary, true},
    {8, true, "V", 7.0, 150, minSecondary, false},
    {14, false, "Clear", 7.5, 120, minPrimary, true},
};
constexpr TSampleNight kPegNights[] = {
    {20, false, "Clear", 4.0, 60, minPrimary, true},
    {47, true, "Clear", 4.0, 60, minSecondary, true},
    {80, false, "V", 4.5, 80, minPrimary, true},
};

constexpr TSampleStar kStars[] = {
    {"V0501 Lyr", "GSC 03130-00721", "EA (Algol)", "v0501_lyr",
     {"V0501 Lyr", "18:55:12.30", "+36:12:40.0", 0},
     {"GSC 03130-00801", "18:55:40.12", "+36:15:02.7", 11.412},
     2459398.41237, 1.0723456,
     {11.820, 0.5, 0.92, 0.045, 1.6, 0.14, 0.048, 1.3, 0.0, 0.0},
     0.010, true, "Detached; the fit was accepted after the R night was levelled.", kLyrNights},
    {"V0962 Cyg", "TYC 3148-01122-1", "EW (W UMa)", "v0962_cyg",
     {"V0962 Cyg", "20:41:33.85", "+44:05:12.3", 0},
     {"TYC 3148-01210-1", "20:41:58.40", "+44:02:31.9", 11.905},
     2459401.30455, 0.3712345,
     {12.410, 0.5, 0.48, 0.11, 1.0, 0.41, 0.11, 1.0, 0.0, 0.06},
     0.008, true, "Contact binary; minima of nearly equal depth.", kCygNights},
    {"V0344 Cas", "GSC 04021-01567", "EB (beta Lyr)", "v0344_cas",
     {"V0344 Cas", "00:52:17.62", "+61:48:03.9", 0},
     {"GSC 04021-01602", "00:52:49.05", "+61:45:40.2", 10.733},
     2459420.55820, 0.8321770,
     {10.950, 0.5, 0.55, 0.14, 1.0, 0.30, 0.14, 1.0, 0.0, 0.12},
     0.007, false, "The R minimum is left untyped.", kCasNights},
    {"V0723 Her", "UCAC4 650-061234", "EA (Algol)", "v0723_her",
     {"V0723 Her", "17:22:05.14", "+39:57:31.6", 0},
     {"UCAC4 650-061260", "17:22:31.77", "+39:59:12.4", 12.874},
     2459385.47210, 2.3456120,
     {13.180, 0.4712, 0.68, 0.028, 2.0, 0.05, 0.030, 1.0, 0.0, 0.0},
     0.015, false, "Eccentric orbit: the secondary falls near phase 0.47; its minimum is doubtful.",
     kHerNights},
    {"V0190 Peg", "GSC 01712-00234", "EW (W UMa)", "v0190_peg",
     {"V0190 Peg", "22:14:48.03", "+21:33:10.7", 0},
     {"GSC 01712-00310", "22:15:02.66", "+21:30:55.8", 12.251},
     2459430.38912, 0.2987650,
     {12.870, 0.5, 0.62, 0.12, 1.0, 0.55, 0.12, 1.0, 0.015, 0.04},
     0.012, false, "Unequal maxima (O'Connell effect).", kPegNights},
};

struct TFilterShift {
  const char* filter;
  double shift;
};

constexpr TFilterShift kFilterShifts[] = {{"V", 0.0}, {"R", -0.42}, {"I", -0.81}, {"Clear", -0.25}};

}  // namespace

std::span<const TSampleStar> SampleStars() { return kStars; }

double FilterShift(const char* filter) {
  for (const TFilterShift& f : kFilterShifts)
    if (std::strcmp(f.filter, filter) == 0) return f.shift;
  return 0.0;
}

}  // namespace ombrix_samples
