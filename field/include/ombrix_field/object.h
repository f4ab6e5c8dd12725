// An object of the field (a variable star) and the small list elements of the
// model: period-search results, recent-file paths, pointer-sized values.
#pragma once

#include <cstdint>

#include <corekit/vdstr.h>
#include <corekit/vlist.h>
#include <corekit/vtree.h>
#include <ombrix_model/light_curve_model.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_field/records.h"
#include "ombrix_field/series.h"

namespace ombrix_data {

// One result of a period search.
class CPeriodListElem : public vlist::CListElem {
 public:
  double period = 0.0;    // days
  std::int64_t key = 0;   // period in thousandths of a day, rounded
  double score = 0.0;     // score of the period
};

// A path entry with a label (recent-files list).
class CPathListElem : public vlist::CListElem {
 public:
  char path[kPathHigh + 1];
  char label[kPathLabelHigh + 1];
  CPathListElem();
};

// A list element holding one pointer-sized value.
class CVariantListElem : public vlist::CListElem {
 public:
  std::intptr_t value = 0;
};

// Variability types offered for the variability-type field, in order.
inline constexpr std::uint32_t kVariabilityTypeCount = 18;
extern const char* const kVariabilityTypes[kVariabilityTypeCount];

inline constexpr double kDefaultAmplitude = 0.1;

// An object: names, meta-data, elements, series, minima and fit. Owns its
// series, repository settings, period list and dynamic strings.
class CObjectListElem : public vlist::CListElem {
 public:
  char token[kTokenHigh + 1];                    // repository token, empty when unpublished
  char publisher[kUserNameHigh + 1];             // repository user who published it
  char name[kObjectNameHigh + 1];
  char altName[kObjectNameHigh + 1];             // alternate name
  char comment[kCommentHigh + 1];
  char variabilityType[kVariabilityTypeHigh + 1];
  double minMagnitude;                           // kUnknownMagnitude when unset
  double maxMagnitude;                           // kUnknownMagnitude when unset
  CMetaData metaData;                            // the object's own ("manual entry")
  TMetaDataSource metaDataSource;                // default mdsNewestSeriesFileDate
  double m0;                                     // epoch of primary minimum (0 = not set)
  double period;                                 // days (0 = not set)
  double savedM0;
  double savedPeriod;
  ombrix_model::TTimeScale m0Scale;              // time scale of m0 (HJD unless stated)
  ombrix_model::TTimeScale savedM0Scale;         // time scale of savedM0
  double primaryFitTimeRange;
  double secondaryFitTimeRange;
  char absolutePath[kPathHigh + 1];              // folder of the series files
  char relativePath[kPathHigh + 1];              // the same, relative
  char dirKey[kPathHigh + 1];                    // folder-name key
  char fileNames[kPathHigh + 1];                 // file-name patterns
  double periodAmplitude;                        // range of interactive period change
  double offsetAmplitude;                        // range of interactive offset change
  vtree::CAVLTree series;                        // CSeriesTreeElem by first point time
  vtree::CAVLTree webSettings;                   // CWebSeriesLocalDataTreeElem
  vlist::CList periods;                          // CPeriodListElem, period-search results
  bool fluxFlag;                                 // the object's series are flux series
  ombrix_model::TFitParameters fit;              // light-curve model parameters
  bool fitPresent;                               // a fit was read or accepted
  vdstr::TDStringA* exportFitName;               // null when empty
  vdstr::TDStringA* exportFitPrefix;
  vdstr::TDStringA* exportFitPostfix;
  bool useExportFitName;
  vdstr::TDStringA* notes;                       // lines separated by CR LF; null when absent
  bool toSynchronize;                            // the next repository synchronization pass contributes it

  CObjectListElem();
  CObjectListElem(const CObjectListElem&) = delete;
  CObjectListElem& operator=(const CObjectListElem&) = delete;
  ~CObjectListElem() override;

  // Sets every field to its default (the object must own nothing).
  void Init();
  // Frees everything the object owns and resets it to its defaults.
  void Done();

  // Label for the object list: "name | alt | comment" with the rules for
  // missing parts; "<unnamed>" when all three are empty.
  void GetLabel(std::uint32_t high, char* label) const;
  // The name, or "<unnamed>" when empty, zero-terminated.
  void GetDisplayName(std::uint32_t high, char* shown) const;

  // Series walk in tree order; null at the end.
  CSeriesTreeElem* FirstSeries() const;
  CSeriesTreeElem* LastSeries() const;
  CSeriesTreeElem* NextSeries(CSeriesTreeElem* s) const;
  CSeriesTreeElem* PrevSeries(CSeriesTreeElem* s) const;
  // The series with points whose first point time equals `time`, or null.
  CSeriesTreeElem* FindSeriesStartingAt(double time) const;
  // Inserts a series; false (and the series disposed) when one with the same
  // first point time is already there.
  bool InsertSeries(CSeriesTreeElem* s);
  // Inserts a series whose file could not be read: marked missing, without
  // points, after every other series.
  void InsertMissingSeries(CSeriesTreeElem* s);
  // True when some series of the object is not missing.
  bool HasLoadedSeries() const;

  // The series that supplies the object's meta-data by the meta-data source
  // rule, or null (manual entry, or no series); missing series take no part.
  CSeriesTreeElem* MetaDataSourceSeries() const;
  // Effective meta-data: that series' data meta-data (local series only) and
  // its stated meta-data merged into an empty record, or the object's own.
  void GetEffectiveMetaData(CMetaData& effective) const;
};

// Name order: an empty name sorts first; names longer than one character that
// end in digits with identical text before the digits compare by the number;
// otherwise plain text comparison. Returns -1, 0 or 1.
int CompareObjectNames(const char* a, const char* b);

}  // namespace ombrix_data
