// Text exports of the shown object: its series' points (as measured, phased,
// reduced into one cycle, or as residuals from the fitted model), its minima,
// the minima of all objects and its O-C data. Each builds the whole text
// (lines ended by CR LF) in memory; WriteExportFile writes it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <ombrix_field/field.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_exports/export_messages.h"

namespace ombrix_export {

// ---- commands and their file dialogs ----

// Setting of the folder and file the text exports start from.
inline constexpr const char* kLastExportPathSetting = "LastExportPath";
// File types of the text exports' save dialogs: label and mask.
struct TFileType {
  const char* label;
  const char* mask;
};
inline constexpr TFileType kTextFileTypes[] = {{"TXT Files (*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}};

// Save-dialog titles.
inline constexpr const char* kTimeSeriesDialogTitle = "Time Series...";  // also minima, all minima, ETV
inline constexpr const char* kPhasedSeriesDialogTitle = "Phased Series...";
inline constexpr const char* kPhasedTimeSeriesDialogTitle = "Phased Time Series...";
inline constexpr const char* kSeriesMinusFitDialogTitle = "Time Series minus Fit...";

// ---- series lines ----

enum class TSeriesLines : std::uint8_t {
  timeSeries,   // time, adjusted value, error
  phased,       // phase in [0, 1], adjusted value, error
  phasedTime,   // M0 + phase * P, adjusted value, error
  minusFit,     // time, adjusted value - model(phase), error
};

// True for the kinds that need M0 > 0 and P > 0.
bool NeedsElements(TSeriesLines kind);
// True when the object's M0 and period are both positive.
bool HasElements(const ombrix_data::CObjectListElem& object);

// Phase of time t in [0, 1]: a time below M0 is raised, one above M0 + P
// lowered, by whole periods; M0 + P itself keeps phase 1.
double ExportPhase(double t, double m0, double period);

// The value of point `index` as the charts show it: plus the series offset
// for magnitudes, times it for fluxes (the object's unit).
double AdjustedValue(const ombrix_data::CObjectListElem& object, const ombrix_data::CSeriesTreeElem& series,
                     std::uint32_t index);

// The lines of one series (whether it is enabled is not asked). The model
// of a minus-fit export is prepared from the object's fit parameters.
void AppendSeriesLines(const ombrix_data::CObjectListElem& object, const ombrix_data::CSeriesTreeElem& series,
                       TSeriesLines kind, std::string& text);

// The lines of every enabled series of the object, in series order, no
// header. elementsUndefined (text empty) when the kind needs M0 and P and
// the object lacks them.
TExportResult SeriesLinesText(const ombrix_data::CObjectListElem& object, TSeriesLines kind, std::string& text);

// Builds the text and writes it to `path`: the whole "Time Series...",
// "Phased Series...", "Phased Time Series..." and "Time Series minus
// Fit..." commands after their file dialog.
TExportResult ExportSeriesLines(const ombrix_data::CObjectListElem& object, TSeriesLines kind,
                                const std::string& path);

// ---- individual series minus fit ----

// The options dialog, CExportSeriesDialog.
inline constexpr const char* kExportSeriesDialogTitle = "Save Series - Fit";
inline constexpr const char* kExportSeriesDialogText1 =
    "If original files are in different folders, common new file name can be used.";
inline constexpr const char* kExportSeriesUseNewName = "Use new file name";
inline constexpr const char* kExportSeriesNewNameLabel = "New file name:";
inline constexpr const char* kExportSeriesDialogText2 = "Otherwise, use original file name with prefix and/or postfix.";
inline constexpr const char* kExportSeriesUsePrefixPostfix = "Use original name + prefix/postfix";
inline constexpr const char* kExportSeriesPrefixLabel = "File name prefix:";
inline constexpr const char* kExportSeriesPostfixLabel = "File name postfix:";
inline constexpr const char* kExportSeriesOverwrite = "Overwrite existing files";

struct TIndividualExportOptions {
  bool useNewName = true;  // else original name with prefix and postfix
  std::string newName;
  std::string prefix;
  std::string postfix;
  bool overwrite = false;  // replace existing files without asking (not kept)
};

// The options kept with the object, and storing them back (all but
// `overwrite`). Storing returns true when something changed.
void GetIndividualExportOptions(const ombrix_data::CObjectListElem& object, TIndividualExportOptions& options);
bool StoreIndividualExportOptions(ombrix_data::CObjectListElem& object, const TIndividualExportOptions& options);

// The output file of a series file: in its folder, the new name (".txt"
// added when it has no extension), or prefix + name without extension +
// postfix + extension.
std::string IndividualTargetPath(const std::string& seriesPath, const TIndividualExportOptions& options);

enum class TOverwriteAnswer : std::uint8_t { yes, no, cancel };
// Asked for each existing target unless `overwrite` is set.
using TOverwriteQuestionFn = std::function<TOverwriteAnswer(const std::string& path)>;

struct TIndividualExportReport {
  std::vector<std::string> written;    // files written, in series order
  std::vector<std::string> skipped;    // existing files the user kept (No)
  std::vector<std::string> protectedFiles;  // targets that are series files of the object: never written
  std::string failedPath;              // the file that could not be written
};

// "Individual Series minus Fit...": each enabled series of the object that
// has a file of its own gets its lines in its own file. prefixPostfixEmpty
// (nothing written) when the original names are used without prefix and
// postfix; elementsUndefined without M0 and P; cancelled when the user
// answered Cancel; cannotCreateFile at the first file that cannot be
// written (the files written before it stay). A target that is the file of
// one of the object's series is never written over.
TExportResult ExportIndividualSeriesMinusFit(const ombrix_data::CObjectListElem& object,
                                             const TIndividualExportOptions& options,
                                             const TOverwriteQuestionFn& askOverwrite,
                                             TIndividualExportReport& report);

// ---- minima and O-C ----

inline constexpr const char* kMinimaHeader = "#JD Error Primary/Secondary Filter JD_type";
inline constexpr const char* kEtvHeader = "#HJD Difference Error Primary/Secondary";
// The ETV header for times in `scale`: kEtvHeader for HJD, else
// "#BJD_TDB Difference Error Primary/Secondary" and so on.
std::string EtvHeader(ombrix_model::TTimeScale scale);

// True when some series of the object holds a minimum.
bool HasMinima(const ombrix_data::CObjectListElem& object);

// The filter named on a series' minima lines: the series' stated filter,
// else its file's, else the object's; empty for none.
std::string MinimaFilterName(const ombrix_data::CObjectListElem& object, const ombrix_data::CSeriesTreeElem& series);
// " JD type unknown", " GJD", " HJD (converted)", " HJD",
// " BJD_TDB (converted)" or " BJD_TDB".
const char* TimeTypeText(const ombrix_data::CSeriesTreeElem& series);
// The words of a minimum's line: its series' text when it is in the series'
// scale, else the label of its own scale (" HJD", " BJD_TDB", " GJD").
const char* MinimumTimeTypeText(const ombrix_data::CMinimaListElem& minimum,
                                const ombrix_data::CSeriesTreeElem& series);

// "Minima List": header and a line per enabled minimum of the enabled
// series. noMinima (text empty) when the object has no minima.
TExportResult MinimaListText(const ombrix_data::CObjectListElem& object, std::string& text);
// "Export Minima of All Objects": header, then for every object with minima
// an empty line, "[name]" or "[name (alternate)]", and its minima lines.
std::string AllMinimaText(const ombrix_data::CField& field);
// "ETV Data": header and an O-C line per enabled minimum of the enabled
// series. elementsUndefined (text empty) without M0 and P.
TExportResult EtvText(const ombrix_data::CObjectListElem& object, std::string& text);

// Writes a built text to `path`: ok or cannotCreateFile.
TExportResult WriteExportText(const std::string& path, const std::string& text);

}  // namespace ombrix_export
