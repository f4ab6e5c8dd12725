// Photometry series of an object: the base class with its point store and the
// series kinds (local file, repository), and the field's local settings of a
// repository series.
#pragma once

#include <cstddef>
#include <cstdint>

#include <corekit/vtree.h>

#include <ombrix_model/time_scales.h>

#include "ombrix_field/minima.h"
#include "ombrix_field/records.h"

namespace ombrix_data {

class CFilterTable;
// Reader and writer of field description files; defined with that format.
class COFDReader;
class COFDWriter;

// The scale geocentric series are converted to when they are loaded: HJD
// (the default) or BJD_TDB, as the user chose in the settings. Process-wide;
// other scales are ignored. A change applies to series loaded afterwards.
void SetFieldTimeScale(ombrix_model::TTimeScale scale);
ombrix_model::TTimeScale FieldTimeScale();

// Point arrays grow in multiples of this many points.
inline constexpr std::uint32_t kPointGrowStep = 20;

// A series: meta-data, points sorted by time, offset, minima and state.
// Element of an object's series tree, ordered by the time of the first point;
// two series with equal first times are duplicates. Missing series follow
// all others, in the order they were loaded.
class CSeriesTreeElem : public vtree::CAVLTreeElem {
 public:
  CMetaData fieldMetaData;     // meta-data as stated in the field file
  CMetaData dataMetaData;      // meta-data read from the series' own data
  std::uint32_t pointCount;    // points in use
  std::uint32_t pointCapacity; // points the arrays can hold
  double* time;                // Julian dates, ascending; owned
  double* value;               // magnitudes or fluxes; owned
  double* error;               // errors; owned
  std::uint64_t fileTime;      // last write of the data file (FILETIME units)
  double offset;               // added to magnitudes, multiplies fluxes
  CMinimaList minima;          // times of minima measured on this series
  bool enabled;                // selected for display and analysis
  bool converted;              // times were converted from geocentric ones
  ombrix_model::TTimeScale convertedScale;  // the scale they were converted to
  // The series' data file could not be read when the field was loaded: the
  // series has no points, keeps its settings as the field file stated them
  // and is written back unchanged, so it loads again once its file is back.
  bool missing;
  std::uint32_t missingOrder;  // among missing series: 1, 2, ... in load order

  CSeriesTreeElem();
  CSeriesTreeElem(const CSeriesTreeElem&) = delete;
  CSeriesTreeElem& operator=(const CSeriesTreeElem&) = delete;
  ~CSeriesTreeElem() override;

  // Orders by first point time (missing series last, by missingOrder):
  // -1, 0 or 1 for smaller, equal, larger.
  int Compare(const vtree::CAVLTreeElem* other) const override;
  // Frees points, meta-data and minima.
  void Done() override;
  // Field description file section of this series.
  virtual bool WriteFieldSection(COFDWriter& writer) const;
  virtual bool ReadFieldSection(COFDReader& reader);
  // True for a series loaded from a local file.
  virtual bool IsLocalSeries() const { return false; }

  // Inserts a point after every point with a time less than or equal to its
  // time, so equal times keep their insertion order.
  void InsertPoint(const TSeriesPoint& point);
  // Inserts many points with the same rule as InsertPoint called for each in
  // turn, in O(n log n).
  void InsertPoints(const TSeriesPoint* points, std::size_t count);
  // Removes all points.
  void ClearPoints();
  TSeriesPoint Point(std::uint32_t index) const;

  double FirstTime() const;  // 0 without points
  double LastTime() const;   // 0 without points
  // True when the last point time minus the first is at least one day.
  bool IsLong() const;

  // The stated unit when set, else the unit from the data, else magnitude.
  TValueUnit EffectiveUnit() const;
  // The stated filter when set, else the data's filter.
  const char* EffectiveFilter() const;
  // Colour of the effective filter in the table.
  std::uint32_t Colour(const CFilterTable& filters) const;
  // Status-bar text of the time scale read from the data, e.g.
  // "Series in HJD (converted from GJD by OMBRIX)".
  const char* TimeScaleText() const;
  // The scale the times are in: BJD_TDB or HJD as the data state it, the
  // scale they were converted to, else geocentric.
  ombrix_model::TTimeScale TimeScale() const;
  // The scale the times had before series could be converted to BJD_TDB:
  // as TimeScale, with every conversion counted as one to HJD. Minima
  // stored without a scale are in this one.
  ombrix_model::TTimeScale LegacyTimeScale() const;

 private:
  void Reserve(std::uint32_t capacity);
};

// The scale of a minimum of `series`: as stated, else the series' legacy
// scale.
ombrix_model::TTimeScale MinimumTimeScale(const CMinimaListElem& minimum, const CSeriesTreeElem& series);

// A series loaded from a local file.
class CLocalSeriesTreeElem : public CSeriesTreeElem {
 public:
  char absolutePath[kPathHigh + 1];  // where the file was found
  char relativePath[kPathHigh + 1];  // against the root or program folder

  CLocalSeriesTreeElem();
  bool WriteFieldSection(COFDWriter& writer) const override;
  bool ReadFieldSection(COFDReader& reader) override;
  bool IsLocalSeries() const override { return true; }
};

// A series taken from the web repository.
class CWebSeriesTreeElem : public CSeriesTreeElem {
 public:
  char userName[kUserNameHigh + 1];  // contributing repository user

  CWebSeriesTreeElem();
  bool WriteFieldSection(COFDWriter& writer) const override;
};

// The field's local settings for one repository series. Element of an
// object's settings tree, ordered by user identifier (case-sensitive), then
// by file time (unsigned).
class CWebSeriesLocalDataTreeElem : public vtree::CAVLTreeElem {
 public:
  char userId[kUserNameHigh + 1];  // repository user who contributed it
  std::uint64_t fileTime = 0;      // file time stated by the repository
  double offset = 0.0;             // series offset
  bool enabled = true;             // selected for display and analysis
  CMetaData metaData;              // stated meta-data
  CMinimaList minima;              // minima measured on the series

  CWebSeriesLocalDataTreeElem();
  int Compare(const vtree::CAVLTreeElem* other) const override;
  void Done() override;
};

}  // namespace ombrix_data
