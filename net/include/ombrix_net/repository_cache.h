// Repository series from the local cache: one JSON file per shared object
// and per uploading user, "<token>_<user id>.json" in the logged-in user's
// cache folder (see web_interface.h). Loading rebuilds an object's
// repository series from those files, converts their times to heliocentric,
// and applies the field's local settings of each series.
#pragma once

#include <string>

#include <ombrix_field/ofd.h>
#include <ombrix_field/series.h>
#include <ombrix_field/user_io.h>

#include "ombrix_net/sjson.h"
#include "ombrix_net/web_protocol.h"

namespace ombrix_web {

// Characters of one "data" element that are read.
inline constexpr std::uint32_t kSeriesDataItemHigh = 127;

// Reads one record of "series" (the current record of `doc`) into a
// repository series: file time, apertures, JD type, unit, filter and minima
// into the series' data, the points of "data". False when "file_time" (a
// hexadecimal string) or "data" is missing.
bool ReadSeriesRecord(sjson::CJSON& doc, ombrix_data::CWebSeriesTreeElem& series);

// Fills what the object still lacks from a version of its publisher: names,
// comment and variability type when empty, M0 and period when 0, the own
// star's coordinates and catalogue data when unset (setting its right
// ascension makes the meta-data source manual entry), the fit when none.
void FillObjectFromPublisher(ombrix_data::CObjectListElem& object, const CWebObjectListElem& version);

// What one load did, for callers and tests.
struct TCacheLoadReport {
  std::uint32_t files = 0;    // cache files read
  std::uint32_t skipped = 0;  // cache files too large, unreadable or not JSON
  std::uint32_t series = 0;   // repository series that joined the object
  std::uint32_t dropped = 0;  // series records refused or duplicates
};

// Rebuilds the repository series of `object` for the user `userId` from the
// cache below `cacheRoot` (the settings' root path, ending with "/"):
// removes the object's repository series, reads every "<token>_*.json" of
// the user's folder in name order, takes the publisher's data the object
// lacks, adds each file's series and applies the stored local settings.
// The settings of the series removed first are kept, so a reload keeps the
// user's offsets, selections and minima. Messages go to `io` (may be null):
// a duplicate series, and a cache file that is skipped (named, with why).
TCacheLoadReport LoadRepositorySeries(ombrix_data::CObjectListElem& object, const std::string& cacheRoot,
                                      const char* userId, ombrix_data::CUserIO* io);

// The cache as the field loader's source of repository series. The program
// and the command-line tool register one with SetRepositorySeriesSource and
// keep cacheRoot up to date with the root path setting.
class CRepositoryCache : public ombrix_data::CRepositorySeriesSource {
 public:
  std::string cacheRoot;               // the settings' root path, ending with "/"
  ombrix_data::CUserIO* io = nullptr;  // where messages go; not owned, may be null

  void LoadObjectSeries(ombrix_data::CObjectListElem& object, const char* repositoryUser) override;
};

}  // namespace ombrix_web
