// Photometry series files: locating them from the paths stored in the field,
// reading them into a series, and the heliocentric conversion of their times.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ombrix_field/object.h"
#include "ombrix_field/series.h"

namespace ombrix_data {

// Largest series file that is read.
inline constexpr std::uint64_t kMaxSeriesFileSize = 16777216;

// Folders against which relative series paths are resolved: the root folder
// setting (empty when not set) and the program folder. Zero-terminated.
struct TSeriesFolders {
  const char* rootFolder;
  const char* programFolder;
};

// Locates and reads the file of `series`: the relative path against the root
// (or program) folder first, then the stored absolute path, whose relative
// path is then recomputed. True when at least one point was read; otherwise
// false with `errorText` set ("Cannot open file: " and the path tried,
// "File too big (> 16 MB)"), or empty when the file holds no data.
bool LoadSeriesFile(CLocalSeriesTreeElem& series, const TSeriesFolders& folders,
                    std::uint32_t errorHigh, char* errorText);

// Reads series text held in memory: header keywords into the data meta-data,
// data lines into the points. "JD: BJD_TDB" (or "BJD-TDB") marks times in
// barycentric dynamical time, which are never converted; "JD: HELIOCENTRIC"
// and "JD: GEOCENTRIC" as ever. Malformed data lines are skipped, and so are
// values of 99 and more unless the series' effective unit is flux. Returns
// the number of points added.
std::size_t ReadSeriesText(CSeriesTreeElem& series, const char* data, std::size_t length);

// The path tried first for a relative path (expanded, '/' separators).
void SeriesCandidatePath(const char* relativePath, const TSeriesFolders& folders,
                         std::uint32_t high, char* candidate);
// Relative path of `absolutePath` against the root folder, or the program
// folder when no root is set ("../" for every folder level to go up). Empty
// when the paths carry different drive letters.
void RelativeSeriesPath(const char* absolutePath, const TSeriesFolders& folders,
                        std::uint32_t high, char* relative);

// Sexagesimal value "[-]U<sep>M<sep>S[.s]" (separators: space ':' h H d D for
// the first, space ':' m M for the second). False when a part is missing.
bool ParseSexagesimal(const char* text, std::size_t length, double& value);

// Coordinates used to convert a series of `object`: those of its meta-data
// source series (stated, else from the data), else the object's own; a
// repository series always takes the object's own. May be unknown.
void GetConversionCoordinates(const CObjectListElem& object, bool localSeries,
                              double& ra, double& dec);

// Replaces every time by its heliocentric time for a star at ra, dec (radians).
void ConvertTimesToHeliocentric(CSeriesTreeElem& series, double ra, double dec);
// Replaces every geocentric time by its time in `scale`; false, with the
// times unchanged, when one of them cannot be converted (BJD_TDB before 1960).
bool ConvertTimesToScale(CSeriesTreeElem& series, double ra, double dec, ombrix_model::TTimeScale scale);

// Why a local series freshly read from its file may not join its object.
enum class TSeriesAdmission : std::uint8_t {
  admitted,
  otherUnit,  // magnitudes in a flux object or fluxes in a magnitude object
  duplicate,  // another series starts at the same (converted) time
};

// The rules a local series read from its file passes before it joins
// `object`, the same whether it comes with the field or from a folder scan:
// the first loaded series sets the object's flux flag and a series of the
// other unit is refused; a flux series whose offset is not positive gets 1;
// the times are converted to heliocentric; a series whose first point time
// is already taken is refused. The caller inserts an admitted series.
TSeriesAdmission AdmitLoadedSeries(CObjectListElem& object, CSeriesTreeElem& series);

// The conversion on load: resets `converted`; an unknown or geocentric series
// with points and known coordinates is converted to the field's time scale
// (FieldTimeScale) and flagged. Heliocentric and barycentric series stay.
void ApplyHeliocentricConversion(CSeriesTreeElem& series, const CObjectListElem& object);
// The same with given coordinates.
void ApplyHeliocentricConversion(CSeriesTreeElem& series, double ra, double dec);

}  // namespace ombrix_data
