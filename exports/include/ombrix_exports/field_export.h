// The field as a semicolon-separated table (CSV) and as an HTML page with
// light-curve pictures. The texts are built in memory and written whole
// (WriteExportFile), so a failed export leaves no partial file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <ombrix_field/field.h>

#include "ombrix_exports/export_messages.h"
#include "ombrix_exports/series_export.h"

namespace ombrix_export {

// An option check box of a dialog: its bit and its text.
struct TOptionBox {
  std::uint32_t bit;
  const char* text;
};

// ---- CSV ----

inline constexpr std::uint32_t kCsvVariable = 1;      // the variable star's ten cells
inline constexpr std::uint32_t kCsvComparison = 2;    // the comparison stars' cells
inline constexpr std::uint32_t kCsvCheck = 4;         // the check stars' cells
inline constexpr std::uint32_t kCsvNights = 8;        // one column per observing night
inline constexpr std::uint32_t kCsvAllOptions = 15;

inline constexpr const char* kCsvOptionsSetting = "CSVExportOptions";  // default 0
inline constexpr const char* kLastCsvPathSetting = "LastCSVExportPath";
inline constexpr const char* kCsvDialogTitle = "Export Field into CSV Options";  // CExportCSVDialog
inline constexpr TOptionBox kCsvOptionBoxes[] = {
    {kCsvVariable, "Include VAR meta-data"},
    {kCsvComparison, "Include CMP meta-data"},
    {kCsvCheck, "Include CHK meta-data"},
    {kCsvNights, "Include observing table"},
};
inline constexpr TFileType kCsvFileTypes[] = {{"CSV Files (*.csv)", "*.csv"}, {"All Files (*.*)", "*.*"}};
inline constexpr const char* kCsvSaveDialogTitle = "Export Field into CSV...";

// Most comparison (or check) stars given columns.
inline constexpr std::uint32_t kCsvMaxStars = 10;

// The save dialog's starting path: with a field file loaded, the folder of
// the last CSV path and the field file's name with the extension "csv";
// otherwise the last CSV path.
std::string InitialCsvPath(const std::string& lastCsvPath, const std::string& fieldPath);

// A CSV cell: the text as it is, or quoted with inner quotes doubled when it
// holds ";", a double quote, CR or LF.
std::string CsvCell(std::string_view text);

// The whole table. Objects with more stars than columns give the first ones.
std::string CsvTableText(const ombrix_data::CField& field, std::uint32_t options);

// "Export Field into CSV..." after its dialogs: nothingToExport for a field
// without objects, else ok or cannotCreateFile.
TExportResult ExportFieldCsv(const ombrix_data::CField& field, std::uint32_t options, const std::string& path);

// ---- HTML ----

inline constexpr std::uint32_t kHtmlAlternateName = 0x1;
inline constexpr std::uint32_t kHtmlType = 0x2;
inline constexpr std::uint32_t kHtmlElements = 0x4;        // M0, Period
inline constexpr std::uint32_t kHtmlCoordinates = 0x8;     // R.A., Dec.
inline constexpr std::uint32_t kHtmlCatalog = 0x10;        // Catalog Id.
inline constexpr std::uint32_t kHtmlCatalogMag = 0x20;     // Catalog Mag.
inline constexpr std::uint32_t kHtmlColorIndexes = 0x40;   // Catalog B-V, Catalog J-K
inline constexpr std::uint32_t kHtmlThumbs = 0x80;         // thumbnail linked to the picture
inline constexpr std::uint32_t kHtmlImages = 0x100;        // text link to the picture
inline constexpr std::uint32_t kHtmlMagnitudes = 0x200;    // Max. Mag, Min. Mag
inline constexpr std::uint32_t kHtmlAllOptions = 0x3FF;

inline constexpr const char* kHtmlOptionsSetting = "HTMLExportOptions";  // default 0
inline constexpr const char* kLastHtmlPathSetting = "LastHTMLExportPath";
inline constexpr const char* kHtmlPathPrefixSetting = "HTMLPathPrefix";  // default empty
inline constexpr const char* kThumbWidthSetting = "LightCurveThumbWidth";
inline constexpr const char* kThumbDepthSetting = "LightCurveThumbDepth";
inline constexpr const char* kImageWidthSetting = "LightCurveImageWidth";
inline constexpr const char* kImageDepthSetting = "LightCurveImageDepth";
inline constexpr int kDefaultThumbWidth = 80;
inline constexpr int kDefaultThumbDepth = 60;
inline constexpr int kDefaultImageWidth = 1024;
inline constexpr int kDefaultImageDepth = 768;
inline constexpr int kMinPictureSide = 8;
inline constexpr int kMaxPictureSide = 32767;

inline constexpr const char* kHtmlDialogTitle = "Export Field into HTML Options";  // CExportHTMLDialog
// The check boxes in the dialog's order.
inline constexpr TOptionBox kHtmlOptionBoxes[] = {
    {kHtmlAlternateName, "Prefer Alternate Name"},
    {kHtmlType, "Include Variability Type"},
    {kHtmlElements, "Include M0 and Period"},
    {kHtmlMagnitudes, "Include Max. and Min. Mag"},
    {kHtmlCoordinates, "Include Coordinates"},
    {kHtmlCatalog, "Include Catalog"},
    {kHtmlCatalogMag, "Include Maginides"},
    {kHtmlColorIndexes, "Include Color Indexes"},
    {kHtmlThumbs, "Generate Light Curve Thumbs"},
    {kHtmlImages, "Generate Light Curves Images"},
};
inline constexpr const char* kThumbWidthLabel = "Thummb Width:";
inline constexpr const char* kThumbDepthLabel = "Thummb Depth:";
inline constexpr const char* kImageWidthLabel = "Image Width:";
inline constexpr const char* kImageDepthLabel = "Image Depth:";
inline constexpr const char* kPathPrefixLabel = "Path Prefix of Images in HTML:";
inline constexpr TFileType kHtmlFileTypes[] = {{"HTML Files (*.html, *.htm)", "*.html"}, {"All Files (*.*)", "*.*"}};
inline constexpr const char* kHtmlSaveDialogTitle = "Export Field into HTML...";

struct THtmlExportOptions {
  std::uint32_t options = 0;  // kHtml... bits
  int thumbWidth = kDefaultThumbWidth;
  int thumbDepth = kDefaultThumbDepth;
  int imageWidth = kDefaultImageWidth;
  int imageDepth = kDefaultImageDepth;
  std::string pathPrefix;  // as the links use it (NormalizedPathPrefix)
};

// The prefix with "/" appended when it is not empty and does not end in one.
std::string NormalizedPathPrefix(const std::string& prefix);
// True for a picture side the dialog accepts (8 to 32767).
bool IsPictureSideValid(int side);
// True when the page has pictures (thumbs or images).
bool HtmlHasPictures(std::uint32_t options);

// Text escaped for HTML: & < > " become entities.
std::string HtmlEscape(std::string_view text);

// The file names of an object's picture and thumbnail: field name, "_",
// object name, "_" and alternate name when there is one, then ".png" or
// "_thumb.png". Slashes become "_", so the files stay in the page's folder.
std::string PictureFileName(const std::string& fieldName, const ombrix_data::CObjectListElem& object);
std::string ThumbFileName(const std::string& fieldName, const ombrix_data::CObjectListElem& object);

// The page. `fieldName` is FieldNameFromPath of the field file.
std::string HtmlPageText(const ombrix_data::CField& field, const std::string& fieldName,
                         const THtmlExportOptions& options);

// One object's pictures to draw: the Phased Curve when its M0 and period are
// both non-zero, else the Compressed Series, without title; the thumbnail at
// the thumbnail size and the picture at the image size, as PNG files.
struct THtmlPictureRequest {
  const ombrix_data::CObjectListElem* object = nullptr;
  bool phasedCurve = false;  // else the Compressed Series
  std::string picturePath;   // in the page's folder
  int pictureWidth = 0;
  int pictureDepth = 0;
  std::string thumbPath;
  int thumbWidth = 0;
  int thumbDepth = 0;
};
// Draws and writes both files; false when either could not be written.
using THtmlPictureWriter = std::function<bool(const THtmlPictureRequest& request)>;

struct THtmlExportReport {
  std::uint32_t objects = 0;
  std::vector<std::string> failedPictures;  // picture paths whose writer call failed
};

// "Export Field into HTML..." after its dialogs: checks that the page can be
// created, asks `writePictures` for every object's pictures when the options
// want them, then writes the page whole. nothingToExport for a field without
// objects; noPictureWriter when pictures are wanted without a writer;
// cannotCreateFile (no picture drawn) when the page cannot be created. A
// failed picture does not stop the page: it is listed in the report. The
// caller rebuilds the charts of the object on screen afterwards.
TExportResult ExportFieldHtml(const ombrix_data::CField& field, const std::string& fieldPath,
                              const THtmlExportOptions& options, const std::string& htmlPath,
                              const THtmlPictureWriter& writePictures, THtmlExportReport& report);

}  // namespace ombrix_export
