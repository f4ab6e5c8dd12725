// Basic records of the field model: enumerations, "unknown" markers, the star
// record, the meta-data record and the series point.
//
// Text fields are fixed arrays sized by their highest index h (h + 1 bytes): they
// hold a zero-terminated string of up to h characters, or h + 1 characters without
// terminator when full. Sky coordinates are in radians, times are Julian dates.
#pragma once

#include <cstdint>

namespace ombrix_data {

// Time scale of a series (stored as a 32-bit integer).
enum TJDType : std::int32_t {
  jdUnknown = 0,
  jdGeocentric = 1,
  jdHeliocentric = 2,
  jdBarycentric = 3,  // BJD_TDB; never converted
};

// Brightness unit of a series (stored as a 32-bit integer).
enum TValueUnit : std::int32_t {
  unitUnknown = 0,
  unitMagnitude = 1,
  unitFlux = 2,
};

// Type of a time of minimum; 0 is written "any" in field files.
enum TMinimumType : std::int32_t {
  minUndefined = 0,
  minPrimary = 1,
  minSecondary = 2,
};

// Which record supplies an object's coordinates and meta-data.
enum TMetaDataSource : std::int32_t {
  mdsManualEntry = 0,
  mdsOldestSeries = 1,
  mdsNewestSeries = 2,
  mdsOldestSeriesFileDate = 3,
  mdsNewestSeriesFileDate = 4,
};

// "Unknown" markers shared by everything that reads meta-data.
inline constexpr double kUnknownRA = -1.0;
inline constexpr double kUnknownDec = 91.0;
inline constexpr double kUnknownMagnitude = 100.0;

inline bool IsRAKnown(double ra) { return ra != kUnknownRA; }
inline bool IsDecKnown(double dec) { return dec != kUnknownDec; }

// Highest indices of the text fields.
inline constexpr std::uint32_t kStarNameHigh = 31;
inline constexpr std::uint32_t kCatalogNameHigh = 15;
inline constexpr std::uint32_t kCatalogIdHigh = 31;
inline constexpr std::uint32_t kFilterNameHigh = 15;
inline constexpr std::uint32_t kPathHigh = 259;
inline constexpr std::uint32_t kUserNameHigh = 63;
inline constexpr std::uint32_t kTokenHigh = 15;
inline constexpr std::uint32_t kObjectNameHigh = 63;
inline constexpr std::uint32_t kCommentHigh = 255;
inline constexpr std::uint32_t kVariabilityTypeHigh = 31;
inline constexpr std::uint32_t kFilterTableNameHigh = 63;
inline constexpr std::uint32_t kPathLabelHigh = 79;
inline constexpr std::uint32_t kErrorTextHigh = 79;

// One star: the variable, or one comparison or check star.
struct TStarData {
  char name[kStarNameHigh + 1];           // star name
  double ra;                              // right ascension, radians (kUnknownRA)
  double dec;                             // declination, radians (kUnknownDec)
  char catalog[kCatalogNameHigh + 1];     // catalogue name
  char catalogId[kCatalogIdHigh + 1];     // identifier in that catalogue
  double catalogRA;                       // catalogue right ascension, radians
  double catalogDec;                      // catalogue declination, radians
  double catalogMag;                      // catalogue magnitude (kUnknownMagnitude)
  double catalogBV;                       // B-V index (kUnknownMagnitude)
  double catalogJK;                       // J-K index (kUnknownMagnitude)

  // Sets every field to its default.
  void Init();
  // True when any field differs from its default.
  bool IsSet() const;
  // Copies every field of `source` that differs from its default.
  void Merge(const TStarData& source);
};

// A star record with all defaults.
TStarData DefaultStarData();

// Meta-data of an object, of a series as stated in the field file, or of a
// series as read from its data. Owns its comparison and check arrays.
class CMetaData {
 public:
  double varAperture;                     // variable aperture (0 = unknown)
  double cmpAperture;                     // comparison aperture (0 = unknown)
  double chkAperture;                     // check aperture (0 = unknown)
  TJDType jdType;                         // time scale of the times
  TValueUnit valueUnit;                   // brightness unit
  char filter[kFilterNameHigh + 1];       // filter name, empty when unknown
  TStarData var;                          // the variable star
  std::uint32_t cmpCount;                 // number of comparison records
  TStarData* cmp;                         // comparison stars, owned (null when none)
  std::uint32_t chkCount;                 // number of check records
  TStarData* chk;                         // check stars, owned (null when none)

  CMetaData();
  CMetaData(const CMetaData& other);
  CMetaData& operator=(const CMetaData& other);
  ~CMetaData();

  // Sets all defaults; frees nothing (use on raw memory or after Done).
  void Init();
  // Frees the star arrays and resets the record to its defaults.
  void Done();
  // Deep copy of `source`.
  void Assign(const CMetaData& source);

  // True when any aperture is positive, the JD type or unit is set, the
  // filter is non-empty, the variable star is set or a star array is non-empty.
  bool IsSet() const;

  // Every set field of `source` overwrites this record: apertures when non-zero,
  // JD type when non-zero, the unit unless the source says magnitude, the filter
  // when non-empty, star fields when not default; a non-empty comparison or check
  // array replaces the count and merges element by element.
  void Merge(const CMetaData& source);

  // Grows the comparison (check) array to at least index + 1 records, new records
  // at their defaults, and returns record `index`.
  TStarData& ComparisonStar(std::uint32_t index);
  TStarData& CheckStar(std::uint32_t index);
};

// One photometric measurement.
struct TSeriesPoint {
  double time;    // Julian date
  double value;   // magnitude or flux
  double error;   // error of value, 0 when not given
};

}  // namespace ombrix_data
