// Series: the point store kept sorted by time, ordering, effective unit,
// filter and colour; the series kinds and the repository settings.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <runbase/fixed_text.h>
#include <runbase/storage.h>

#include "ombrix_field/filters.h"
#include "ombrix_field/series.h"

namespace ombrix_data {
namespace {

int CompareReals(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

std::atomic<ombrix_model::TTimeScale> gFieldTimeScale{ombrix_model::tsHJD};

void ResizeArray(double*& array, std::uint32_t capacity) {
  Storage::Reallocate(array, sizeof(double) * capacity);
}

}  // namespace

void SetFieldTimeScale(ombrix_model::TTimeScale scale) {
  if (scale == ombrix_model::tsHJD || scale == ombrix_model::tsBJDTDB) gFieldTimeScale = scale;
}

ombrix_model::TTimeScale FieldTimeScale() { return gFieldTimeScale; }

CSeriesTreeElem::CSeriesTreeElem()
    : pointCount(0),
      pointCapacity(0),
      time(nullptr),
      value(nullptr),
      error(nullptr),
      fileTime(0),
      offset(0.0),
      enabled(true),
      converted(false),
      convertedScale(ombrix_model::tsHJD),
      missing(false),
      missingOrder(0) {}

CSeriesTreeElem::~CSeriesTreeElem() { Done(); }

int CSeriesTreeElem::Compare(const vtree::CAVLTreeElem* other) const {
  const auto* o = static_cast<const CSeriesTreeElem*>(other);
  if (missing != o->missing) return missing ? 1 : -1;
  if (missing) return missingOrder < o->missingOrder ? -1 : (missingOrder > o->missingOrder ? 1 : 0);
  return CompareReals(FirstTime(), o->FirstTime());
}

void CSeriesTreeElem::Done() {
  Storage::Free(time);
  Storage::Free(value);
  Storage::Free(error);
  pointCount = pointCapacity = 0;
  fieldMetaData.Done();
  dataMetaData.Done();
  minima.Done();
}

void CSeriesTreeElem::Reserve(std::uint32_t capacity) {
  if (capacity <= pointCapacity) return;
  // Grow geometrically, in whole steps of kPointGrowStep points.
  std::uint64_t wanted = std::max<std::uint64_t>(capacity, std::uint64_t{pointCapacity} * 3 / 2);
  wanted = (wanted + kPointGrowStep - 1) / kPointGrowStep * kPointGrowStep;
  if (wanted > UINT32_MAX) std::abort();
  pointCapacity = static_cast<std::uint32_t>(wanted);
  ResizeArray(time, pointCapacity);
  ResizeArray(value, pointCapacity);
  ResizeArray(error, pointCapacity);
}

void CSeriesTreeElem::InsertPoint(const TSeriesPoint& point) { InsertPoints(&point, 1); }

void CSeriesTreeElem::InsertPoints(const TSeriesPoint* points, std::size_t count) {
  if (count == 0) return;
  if (count > UINT32_MAX - pointCount) std::abort();
  // Sorting the new points stably and merging them behind equal existing times
  // gives the same order as inserting them one by one from the end.
  auto earlier = [](const TSeriesPoint& a, const TSeriesPoint& b) { return a.time < b.time; };
  std::vector<TSeriesPoint> sortedCopy;
  if (!std::is_sorted(points, points + count, earlier)) {
    sortedCopy.assign(points, points + count);
    std::stable_sort(sortedCopy.begin(), sortedCopy.end(), earlier);
    points = sortedCopy.data();
  }
  std::uint32_t oldCount = pointCount;
  std::uint32_t newCount = oldCount + static_cast<std::uint32_t>(count);
  Reserve(newCount);
  // Merge from the back: an existing point moves up while its time is greater.
  std::size_t in = count;
  std::uint32_t old = oldCount;
  std::uint32_t out = newCount;
  while (in > 0) {
    const TSeriesPoint& p = points[in - 1];
    --out;
    if (old > 0 && time[old - 1] > p.time) {
      --old;
      time[out] = time[old];
      value[out] = value[old];
      error[out] = error[old];
    } else {
      --in;
      time[out] = p.time;
      value[out] = p.value;
      error[out] = p.error;
    }
  }
  pointCount = newCount;
}

void CSeriesTreeElem::ClearPoints() { pointCount = 0; }

TSeriesPoint CSeriesTreeElem::Point(std::uint32_t index) const {
  return {time[index], value[index], error[index]};
}

double CSeriesTreeElem::FirstTime() const { return pointCount ? time[0] : 0.0; }

double CSeriesTreeElem::LastTime() const { return pointCount ? time[pointCount - 1] : 0.0; }

bool CSeriesTreeElem::IsLong() const { return LastTime() - FirstTime() >= 1.0; }

TValueUnit CSeriesTreeElem::EffectiveUnit() const {
  if (fieldMetaData.valueUnit != unitUnknown) return fieldMetaData.valueUnit;
  if (dataMetaData.valueUnit != unitUnknown) return dataMetaData.valueUnit;
  return unitMagnitude;
}

const char* CSeriesTreeElem::EffectiveFilter() const {
  return fieldMetaData.filter[0] ? fieldMetaData.filter : dataMetaData.filter;
}

std::uint32_t CSeriesTreeElem::Colour(const CFilterTable& filters) const {
  char name[kFilterNameHigh + 1 + 1];
  FixedText::Assign(kFilterNameHigh + 1, name, FixedText::View(kFilterNameHigh, EffectiveFilter()));
  return filters.ColourOf(name);
}

const char* CSeriesTreeElem::TimeScaleText() const {
  const bool barycentric = (converted ? convertedScale : FieldTimeScale()) == ombrix_model::tsBJDTDB;
  switch (dataMetaData.jdType) {
    case jdGeocentric:
      if (barycentric)
        return converted ? "Series in BJD_TDB (converted from GJD by OMBRIX)"
                         : "Series in GJD, cannot covert to BJD_TDB (unknown RA, Dec)";
      return converted ? "Series in HJD (converted from GJD by OMBRIX)"
                       : "Series in GJD, cannot covert to HJD (unknown RA, Dec)";
    case jdHeliocentric:
      return "Series in HJD";
    case jdBarycentric:
      return "Series in BJD_TDB";
    default:
      return "Series JD type unknown (GJD/HJD not specified)";
  }
}

ombrix_model::TTimeScale CSeriesTreeElem::TimeScale() const {
  if (dataMetaData.jdType == jdBarycentric) return ombrix_model::tsBJDTDB;
  if (dataMetaData.jdType == jdHeliocentric) return ombrix_model::tsHJD;
  return converted ? convertedScale : ombrix_model::tsGJD;
}

ombrix_model::TTimeScale MinimumTimeScale(const CMinimaListElem& minimum, const CSeriesTreeElem& series) {
  return minimum.scaleStated ? minimum.timeScale : series.LegacyTimeScale();
}

ombrix_model::TTimeScale CSeriesTreeElem::LegacyTimeScale() const {
  if (dataMetaData.jdType == jdBarycentric) return ombrix_model::tsBJDTDB;
  if (dataMetaData.jdType == jdHeliocentric || converted) return ombrix_model::tsHJD;
  return ombrix_model::tsGJD;
}

CLocalSeriesTreeElem::CLocalSeriesTreeElem() {
  std::memset(absolutePath, 0, sizeof(absolutePath));
  std::memset(relativePath, 0, sizeof(relativePath));
}

CWebSeriesTreeElem::CWebSeriesTreeElem() { std::memset(userName, 0, sizeof(userName)); }

CWebSeriesLocalDataTreeElem::CWebSeriesLocalDataTreeElem() {
  std::memset(userId, 0, sizeof(userId));
}

int CWebSeriesLocalDataTreeElem::Compare(const vtree::CAVLTreeElem* other) const {
  auto* o = static_cast<const CWebSeriesLocalDataTreeElem*>(other);
  int byUser = std::strncmp(userId, o->userId, sizeof(userId));
  if (byUser != 0) return byUser < 0 ? -1 : 1;
  return fileTime < o->fileTime ? -1 : (fileTime > o->fileTime ? 1 : 0);
}

void CWebSeriesLocalDataTreeElem::Done() {
  metaData.Done();
  minima.Done();
}

}  // namespace ombrix_data
