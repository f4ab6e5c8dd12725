// Results of the exports and the message boxes that report them. The
// exports show nothing themselves: the caller turns a result into the box
// given here (GetExportMessage) or into a line of text.
#pragma once

#include <cstdint>

#include <ombrix_field/user_io.h>

namespace ombrix_export {

enum class TExportResult : std::uint8_t {
  ok,
  cannotCreateFile,    // the target (or a temporary file beside it) cannot be written
  elementsUndefined,   // phased, minus-fit or O-C export without M0 and period
  noMinima,            // minima export of an object without minima
  prefixPostfixEmpty,  // individual minus-fit export would overwrite the series files
  cancelled,           // the user ended the export (no box)
  nothingToExport,     // CSV or HTML of a field without objects (no box)
  noPictureWriter,     // HTML pictures asked for without a way to draw them (no box)
  scalesNotCombined,   // O-C export of minima in another scale than M0 without coordinates
};

// Which command failed: the "Cannot create file" box has its own caption for
// the CSV and the HTML export.
enum class TExportCommand : std::uint8_t { text, csv, html };

// Box captions and lines.
inline constexpr const char* kExportFailedCaption = "Export failed";
inline constexpr const char* kCsvExportFailedCaption = "Error exporting CSV";
inline constexpr const char* kHtmlExportFailedCaption = "Error exporting HTML";
inline constexpr const char* kCannotCreateFileLine = "Cannot create file";  // then the path
inline constexpr const char* kElementsUndefinedLine1 = "Cannot export phased light curve";
inline constexpr const char* kElementsUndefinedLine2 = "if M0 and/or P is not defined";
inline constexpr const char* kScalesLine1 = "Minima of different time scales cannot be combined";
inline constexpr const char* kScalesLine2 = "without the object's coordinates (RA, Dec).";
inline constexpr const char* kNoMinimaLine1 = "No minima defined for";
inline constexpr const char* kNoMinimaLine2 = "the selected object.";
inline constexpr const char* kOverwriteWarningCaption = "File overwrite warning";
inline constexpr const char* kOverwriteWarningLine1 = "Leaving both Prefix and Postfix empty";
inline constexpr const char* kOverwriteWarningLine2 = "causes overwriting of original files.";
// The question before an existing file is replaced (Yes, No, Cancel).
inline constexpr const char* kOverwriteQuestionCaption = "Overwrite file?";
inline constexpr const char* kOverwriteQuestionLine1 = "There is a file on disk:";  // then the path
inline constexpr const char* kOverwriteQuestionLine3 = "Overwrite existing file?";

// The box for a result, with `path` as the line after "Cannot create file"
// (the message points into `path`, which must outlive it). False for the
// results that show no box (ok, cancelled, nothingToExport, noPictureWriter).
bool GetExportMessage(TExportCommand command, TExportResult result, const char* path,
                      ombrix_data::TUserMessage& message);

// The overwrite question for `path` (which must outlive the message).
ombrix_data::TUserMessage OverwriteQuestion(const char* path);

// Shows the box of a failed export through `io`; nothing for the results
// without a box.
void ShowExportResult(ombrix_data::CUserIO& io, TExportCommand command, TExportResult result, const char* path);

}  // namespace ombrix_export
