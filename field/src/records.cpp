// Star and meta-data records: defaults, the "set" tests, copying and merging.
#include <cstring>

#include <runbase/storage.h>

#include "ombrix_field/records.h"

namespace ombrix_data {
namespace {

bool IsTextSet(const char* text) { return text[0] != 0; }

// Copies a text field when the source's is set (same array size).
template <std::size_t N>
void MergeText(char (&dest)[N], const char (&source)[N]) {
  if (IsTextSet(source)) std::memcpy(dest, source, N);
}

void MergeReal(double& dest, double source, double defaultValue) {
  if (source != defaultValue) dest = source;
}

// Star arrays: `count` records, grown to `wanted` with new records at their
// defaults; 0 frees the array.
void ResizeStars(TStarData*& stars, std::uint32_t& count, std::uint32_t wanted) {
  if (wanted == count) return;
  Storage::Reallocate(stars, sizeof(TStarData) * wanted);
  for (std::uint32_t i = count; i < wanted; ++i) stars[i].Init();
  count = wanted;
}

void CopyStars(TStarData*& dest, std::uint32_t& destCount, const TStarData* source,
               std::uint32_t sourceCount) {
  ResizeStars(dest, destCount, 0);
  ResizeStars(dest, destCount, sourceCount);
  if (sourceCount) std::memcpy(dest, source, sizeof(TStarData) * sourceCount);
}

// A non-empty source array replaces the count and merges record by record.
void MergeStars(TStarData*& dest, std::uint32_t& destCount, const TStarData* source,
                std::uint32_t sourceCount) {
  if (sourceCount == 0) return;
  ResizeStars(dest, destCount, sourceCount);
  for (std::uint32_t i = 0; i < sourceCount; ++i) dest[i].Merge(source[i]);
}

}  // namespace

void TStarData::Init() {
  std::memset(this, 0, sizeof(*this));
  ra = kUnknownRA;
  dec = kUnknownDec;
  catalogRA = kUnknownRA;
  catalogDec = kUnknownDec;
  catalogMag = kUnknownMagnitude;
  catalogBV = kUnknownMagnitude;
  catalogJK = kUnknownMagnitude;
}

TStarData DefaultStarData() {
  TStarData star;
  star.Init();
  return star;
}

bool TStarData::IsSet() const {
  return IsTextSet(name) || ra != kUnknownRA || dec != kUnknownDec || IsTextSet(catalog) ||
         IsTextSet(catalogId) || catalogRA != kUnknownRA || catalogDec != kUnknownDec ||
         catalogMag != kUnknownMagnitude || catalogBV != kUnknownMagnitude ||
         catalogJK != kUnknownMagnitude;
}

void TStarData::Merge(const TStarData& source) {
  MergeText(name, source.name);
  MergeReal(ra, source.ra, kUnknownRA);
  MergeReal(dec, source.dec, kUnknownDec);
  MergeText(catalog, source.catalog);
  MergeText(catalogId, source.catalogId);
  MergeReal(catalogRA, source.catalogRA, kUnknownRA);
  MergeReal(catalogDec, source.catalogDec, kUnknownDec);
  MergeReal(catalogMag, source.catalogMag, kUnknownMagnitude);
  MergeReal(catalogBV, source.catalogBV, kUnknownMagnitude);
  MergeReal(catalogJK, source.catalogJK, kUnknownMagnitude);
}

CMetaData::CMetaData() { Init(); }

CMetaData::CMetaData(const CMetaData& other) {
  Init();
  Assign(other);
}

CMetaData& CMetaData::operator=(const CMetaData& other) {
  Assign(other);
  return *this;
}

CMetaData::~CMetaData() { Done(); }

void CMetaData::Init() {
  varAperture = 0.0;
  cmpAperture = 0.0;
  chkAperture = 0.0;
  jdType = jdUnknown;
  valueUnit = unitUnknown;
  std::memset(filter, 0, sizeof(filter));
  var.Init();
  cmpCount = 0;
  cmp = nullptr;
  chkCount = 0;
  chk = nullptr;
}

void CMetaData::Done() {
  ResizeStars(cmp, cmpCount, 0);
  ResizeStars(chk, chkCount, 0);
  Init();
}

void CMetaData::Assign(const CMetaData& source) {
  if (&source == this) return;
  varAperture = source.varAperture;
  cmpAperture = source.cmpAperture;
  chkAperture = source.chkAperture;
  jdType = source.jdType;
  valueUnit = source.valueUnit;
  std::memcpy(filter, source.filter, sizeof(filter));
  var = source.var;
  CopyStars(cmp, cmpCount, source.cmp, source.cmpCount);
  CopyStars(chk, chkCount, source.chk, source.chkCount);
}

bool CMetaData::IsSet() const {
  return varAperture > 0 || cmpAperture > 0 || chkAperture > 0 || jdType != jdUnknown ||
         valueUnit != unitUnknown || IsTextSet(filter) || var.IsSet() || cmpCount > 0 ||
         chkCount > 0;
}

void CMetaData::Merge(const CMetaData& source) {
  MergeReal(varAperture, source.varAperture, 0.0);
  MergeReal(cmpAperture, source.cmpAperture, 0.0);
  MergeReal(chkAperture, source.chkAperture, 0.0);
  if (source.jdType != jdUnknown) jdType = source.jdType;
  // A magnitude source does not override: magnitude is what an unstated
  // series is taken to be anyway.
  if (source.valueUnit != unitMagnitude) valueUnit = source.valueUnit;
  MergeText(filter, source.filter);
  var.Merge(source.var);
  MergeStars(cmp, cmpCount, source.cmp, source.cmpCount);
  MergeStars(chk, chkCount, source.chk, source.chkCount);
}

TStarData& CMetaData::ComparisonStar(std::uint32_t index) {
  if (index >= cmpCount) ResizeStars(cmp, cmpCount, index + 1);
  return cmp[index];
}

TStarData& CMetaData::CheckStar(std::uint32_t index) {
  if (index >= chkCount) ResizeStars(chk, chkCount, index + 1);
  return chk[index];
}

}  // namespace ombrix_data
