// The copy-info mask: a text whose %KEYWORDS% stand for facts of an object
// (coordinates, names, elements, magnitudes), expanded for the clipboard
// command, and the coordinate texts that the CSV and HTML exports share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <ombrix_field/object.h>

namespace ombrix_export {

// Setting that keeps the mask, and its default.
inline constexpr const char* kCopyDataMaskSetting = "CopyDataMask";
inline constexpr const char* kDefaultCopyDataMask = "%RA% %DEC%";
// Longest mask kept, and longest expansion (longer results are cut).
inline constexpr std::size_t kCopyDataMaskLength = 1023;
inline constexpr std::size_t kCopyDataResultLength = 2047;

// Texts of the mask dialog (CCoordinateMaskDialog).
inline constexpr const char* kCopyInfoMaskDialogTitle = "Define Copy Info Mask";
inline constexpr const char* kCopyInfoMaskDialogHeading =
    "Mask keywords, substituted with values on [Ctrl+K] command:";

// A keyword with the explanation the dialog shows beside it.
struct TCopyInfoKeyword {
  const char* keyword;
  const char* explanation;
};
// The keywords in the dialog's order. The explanation of "%DEC_HUMAN%"
// holds the degree sign as the single byte 0xB0 (Windows-1252).
inline constexpr std::size_t kCopyInfoKeywordCount = 17;
extern const TCopyInfoKeyword kCopyInfoKeywords[kCopyInfoKeywordCount];

// The three text forms of a sky coordinate.
enum class TCoordinateForm : std::uint8_t {
  spaced,  // "12 34 56.789", "+12 34 56.78"
  colon,   // "12:34:56.789", "+12:34:56.78"
  unit,    // "12h 34m 56.789s", "+12\xB0 34' 56.78\""
};

// Right ascension (radians) as hours, minutes and seconds (3 decimals);
// empty when unknown (-1).
std::string RightAscensionText(double ra, TCoordinateForm form);
// Declination (radians) as signed degrees, minutes and seconds (2 decimals);
// empty when unknown (91).
std::string DeclinationText(double dec, TCoordinateForm form);
// Right ascension and declination in degrees with 8 decimals; empty when
// unknown.
std::string RightAscensionDegreesText(double ra);
std::string DeclinationDegreesText(double dec);

// The field's name: the field file's name without folder and extension;
// empty when no file is loaded (null or empty path).
std::string FieldNameFromPath(const char* fieldPath);

// Expands the mask for the object: every keyword, case-sensitively, in the
// fixed processing order; the coordinates are those of the object's effective
// meta-data; M0, period and magnitudes as stored. The result is cut at
// kCopyDataResultLength characters.
std::string ExpandCopyInfoMask(const std::string& mask, const ombrix_data::CObjectListElem& object,
                               const std::string& fieldName);

}  // namespace ombrix_export
