// The CSV table and the HTML page of the whole field.
#include "ombrix_exports/field_export.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include <runbase/fio.h>
#include <runbase/fio_replace.h>
#include <ombrix_field/nights.h>

#include "ombrix_exports/copy_info.h"
#include "ombrix_exports/export_file.h"
#include "text_format.h"

namespace ombrix_export {

using ombrix_data::CField;
using ombrix_data::CMetaData;
using ombrix_data::CObjectListElem;
using ombrix_data::kUnknownMagnitude;
using ombrix_data::TStarData;

namespace {

std::string Spaced(double ra_or_dec, bool declination) {
  return declination ? DeclinationText(ra_or_dec, TCoordinateForm::spaced)
                     : RightAscensionText(ra_or_dec, TCoordinateForm::spaced);
}

std::string Elements(double value) { return FixedOrEmpty(value, 7, 0); }
std::string Magnitude3(double value) { return FixedOrEmpty(value, 3, kUnknownMagnitude); }
std::string Magnitude2(double value) { return FixedOrEmpty(value, 2, kUnknownMagnitude); }

// ---- CSV ----

constexpr const char* kCsvFixedHeader = "name;alt_name;var_type;M0;period;max_mag;min_mag";
constexpr const char* kCsvStarColumns =
    "$_name;$_ra;$_dec;$_catalog;$_catalog_id;$_catalog_ra;$_catalog_dec;$_catalog_mag;$_catalog_bv;$_catalog_jk";
constexpr const char* kCsvMissingStar = "; ; ; ; ; ; ; ; ; ;";

// The star column names with every "$" replaced by `stem`.
std::string StarColumns(const std::string& stem) {
  std::string columns;
  for (const char* c = kCsvStarColumns; *c; ++c) {
    if (*c == '$') columns += stem;
    else columns += *c;
  }
  return columns;
}

void AppendStarCells(const TStarData& star, std::string& row) {
  const std::string cells[] = {
      CsvCell(FieldText(star.name)),      Spaced(star.ra, false),
      Spaced(star.dec, true),             CsvCell(FieldText(star.catalog)),
      CsvCell(FieldText(star.catalogId)), Spaced(star.catalogRA, false),
      Spaced(star.catalogDec, true),      Magnitude2(star.catalogMag),
      Magnitude2(star.catalogBV),         Magnitude2(star.catalogJK),
  };
  for (const std::string& cell : cells) row += ';' + cell;
}

// The stars of one kind, then missing blocks up to `columns`.
void AppendStarBlocks(const TStarData* stars, std::uint32_t count, std::uint32_t columns, std::string& row) {
  for (std::uint32_t i = 0; i < columns; ++i) {
    if (i < count) AppendStarCells(stars[i], row);
    else row += kCsvMissingStar;
  }
}

struct TCsvLayout {
  std::uint32_t comparisonColumns = 0;  // NC
  std::uint32_t checkColumns = 0;       // NK
};

TCsvLayout CsvLayout(const CField& field) {
  TCsvLayout layout;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) {
    CMetaData meta;
    o->GetEffectiveMetaData(meta);
    layout.comparisonColumns = std::max(layout.comparisonColumns, std::min(meta.cmpCount, kCsvMaxStars));
    layout.checkColumns = std::max(layout.checkColumns, std::min(meta.chkCount, kCsvMaxStars));
  }
  return layout;
}

std::string CsvHeader(std::uint32_t options, const TCsvLayout& layout, const ombrix_data::CNightSet& nights) {
  std::string header = kCsvFixedHeader;
  if (options & kCsvVariable) header += ';' + StarColumns("var");
  if (options & kCsvComparison)
    for (std::uint32_t i = 0; i < layout.comparisonColumns; ++i) header += ';' + StarColumns("cmp" + std::to_string(i));
  if (options & kCsvCheck)
    for (std::uint32_t i = 0; i < layout.checkColumns; ++i) header += ';' + StarColumns("chk" + std::to_string(i));
  if (options & kCsvNights)
    for (const ombrix_data::CNightTreeElem* n = nights.First(); n; n = nights.Next(n))
      header += ';' + ombrix_data::NightDateText(n->key);
  return header;
}

std::string CsvRow(const CObjectListElem& object, std::uint32_t options, const TCsvLayout& layout,
                   const ombrix_data::CNightSet& nights) {
  std::string row = CsvCell(FieldText(object.name));
  for (const std::string& cell :
       {CsvCell(FieldText(object.altName)), CsvCell(FieldText(object.variabilityType)), Elements(object.m0),
        Elements(object.period), Magnitude3(object.maxMagnitude), Magnitude3(object.minMagnitude)})
    row += ';' + cell;
  CMetaData meta;
  object.GetEffectiveMetaData(meta);
  if (options & kCsvVariable) AppendStarCells(meta.var, row);
  if (options & kCsvComparison) AppendStarBlocks(meta.cmp, meta.cmpCount, layout.comparisonColumns, row);
  if (options & kCsvCheck) AppendStarBlocks(meta.chk, meta.chkCount, layout.checkColumns, row);
  if (options & kCsvNights) {
    ombrix_data::CNightSet observed;
    ombrix_data::CollectObjectNights(object, observed);
    for (const ombrix_data::CNightTreeElem* n = nights.First(); n; n = nights.Next(n))
      row += observed.Contains(n->key) ? ";x" : "; ";
  }
  return row;
}

// ---- HTML ----

// Characters that would end or escape the path part of a link.
std::string LinkPath(std::string_view name) {
  std::string link;
  for (char c : name) {
    if (c == '%' || c == '#' || c == '?') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
      link += code;
    } else {
      link += c;
    }
  }
  return link;
}

std::string Cell(const std::string& text) { return "<td>" + text + "</td>"; }
std::string HeadingCell(const char* text) { return std::string("<td><b>") + text + "</b></td>"; }

std::string HtmlHeadingRow(std::uint32_t options) {
  std::string row = "<tr>" + HeadingCell("Object");
  if (options & kHtmlType) row += HeadingCell("Type");
  if (options & kHtmlElements) row += HeadingCell("M0") + HeadingCell("Period");
  if (options & kHtmlMagnitudes) row += HeadingCell("Max. Mag") + HeadingCell("Min. Mag");
  if (options & kHtmlCoordinates) row += HeadingCell("R.A.") + HeadingCell("Dec.");
  if (options & kHtmlCatalog) row += HeadingCell("Catalog Id.");
  if (options & kHtmlCatalogMag) row += HeadingCell("Catalog Mag.");
  if (options & kHtmlColorIndexes) row += HeadingCell("Catalog B-V") + HeadingCell("Catalog J-K");
  if (HtmlHasPictures(options)) row += HeadingCell("Light Curve");
  return row + "</tr>";
}

std::string PictureCell(const std::string& fieldName, const CObjectListElem& object,
                        const THtmlExportOptions& options) {
  const std::string picture = HtmlEscape(options.pathPrefix + LinkPath(PictureFileName(fieldName, object)));
  if (options.options & kHtmlThumbs) {
    const std::string thumb = HtmlEscape(options.pathPrefix + LinkPath(ThumbFileName(fieldName, object)));
    return "<td><a href=\"" + picture + "\"><img src=\"" + thumb + "\"></a></td>";
  }
  return "<td><a href = \"" + picture + "\">Light Curve</a></td>";
}

std::string HtmlRow(const std::string& fieldName, const CObjectListElem& object, const THtmlExportOptions& options) {
  const std::uint32_t bits = options.options;
  const std::string_view alternate = FieldText(object.altName);
  const std::string_view shown = (bits & kHtmlAlternateName) && !alternate.empty() ? alternate : FieldText(object.name);
  std::string row = "<tr>" + Cell(HtmlEscape(shown));
  CMetaData meta;
  object.GetEffectiveMetaData(meta);
  const TStarData& star = meta.var;
  if (bits & kHtmlType) row += Cell(HtmlEscape(FieldText(object.variabilityType)));
  if (bits & kHtmlElements) row += Cell(Elements(object.m0)) + Cell(Elements(object.period));
  if (bits & kHtmlMagnitudes) row += Cell(Magnitude3(object.maxMagnitude)) + Cell(Magnitude3(object.minMagnitude));
  if (bits & kHtmlCoordinates) {
    const double ra = ombrix_data::IsRAKnown(star.catalogRA) ? star.catalogRA : star.ra;
    const double dec = ombrix_data::IsDecKnown(star.catalogDec) ? star.catalogDec : star.dec;
    row += Cell(Spaced(ra, false)) + Cell(Spaced(dec, true));
  }
  if (bits & kHtmlCatalog)
    row += Cell(HtmlEscape(std::string(FieldText(star.catalog)) + ' ' + std::string(FieldText(star.catalogId))));
  if (bits & kHtmlCatalogMag) row += Cell(Magnitude2(star.catalogMag));
  if (bits & kHtmlColorIndexes) row += Cell(Magnitude2(star.catalogBV)) + Cell(Magnitude2(star.catalogJK));
  if (HtmlHasPictures(bits)) row += PictureCell(fieldName, object, options);
  return row + "</tr>";
}

std::string PictureBaseName(const std::string& fieldName, const CObjectListElem& object) {
  std::string name = fieldName + '_' + std::string(FieldText(object.name));
  const std::string_view alternate = FieldText(object.altName);
  if (!alternate.empty()) name += '_' + std::string(alternate);
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
  return name;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

// ---- CSV ----

std::string InitialCsvPath(const std::string& lastCsvPath, const std::string& fieldPath) {
  if (fieldPath.empty()) return lastCsvPath;
  return FolderOf(lastCsvPath) + FieldNameFromPath(fieldPath.c_str()) + ".csv";
}

std::string CsvCell(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (char c : text) {
    if (c == '"') cell += '"';
    cell += c;
  }
  return cell + '"';
}

std::string CsvTableText(const CField& field, std::uint32_t options) {
  const TCsvLayout layout = CsvLayout(field);
  ombrix_data::CNightSet nights;
  if (options & kCsvNights) ombrix_data::CollectFieldNights(field, nights);
  std::string text = std::string("sep=;") + kCrLf;
  text += CsvHeader(options, layout, nights) + kCrLf;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) text += CsvRow(*o, options, layout, nights) + kCrLf;
  return text;
}

TExportResult ExportFieldCsv(const CField& field, std::uint32_t options, const std::string& path) {
  if (field.Count() == 0) return TExportResult::nothingToExport;
  return WriteExportText(path, CsvTableText(field, options));
}

// ---- HTML ----

std::string NormalizedPathPrefix(const std::string& prefix) {
  return prefix.empty() || prefix.back() == '/' ? prefix : prefix + '/';
}

bool IsPictureSideValid(int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; }

bool HtmlHasPictures(std::uint32_t options) { return (options & (kHtmlThumbs | kHtmlImages)) != 0; }

std::string HtmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string PictureFileName(const std::string& fieldName, const CObjectListElem& object) {
  return PictureBaseName(fieldName, object) + ".png";
}

std::string ThumbFileName(const std::string& fieldName, const CObjectListElem& object) {
  return PictureBaseName(fieldName, object) + "_thumb.png";
}

std::string HtmlPageText(const CField& field, const std::string& fieldName, const THtmlExportOptions& options) {
  const std::string name = HtmlEscape(fieldName);
  std::string text = "<html><head><title>Field of " + name + "</title></head>" + kCrLf;
  text += "<body><h1>Field: " + name + "</h1>" + kCrLf;
  text += std::string("<table border=\"1\">") + kCrLf;
  text += HtmlHeadingRow(options.options) + kCrLf;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) text += HtmlRow(fieldName, *o, options) + kCrLf;
  text += std::string("</table></body></html>") + kCrLf;
  return text;
}

TExportResult ExportFieldHtml(const CField& field, const std::string& fieldPath, const THtmlExportOptions& options,
                              const std::string& htmlPath, const THtmlPictureWriter& writePictures,
                              THtmlExportReport& report) {
  report = {};
  if (field.Count() == 0) return TExportResult::nothingToExport;
  const bool pictures = HtmlHasPictures(options.options);
  if (pictures && !writePictures) return TExportResult::noPictureWriter;
  if (htmlPath.empty() || htmlPath.size() > std::numeric_limits<std::uint32_t>::max())
    return TExportResult::cannotCreateFile;
  // The page's temporary file is created first: a page that cannot be
  // written draws no pictures.
  FIO::CReplaceFile out;
  if (!out.Begin(static_cast<std::uint32_t>(htmlPath.size()), htmlPath.c_str(), false))
    return TExportResult::cannotCreateFile;

  const std::string fieldName = FieldNameFromPath(fieldPath.c_str());
  const std::string folder = FolderOf(htmlPath);
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) {
    ++report.objects;
    if (!pictures) continue;
    THtmlPictureRequest request;
    request.object = o;
    request.phasedCurve = o->m0 != 0 && o->period != 0;
    request.picturePath = folder + PictureFileName(fieldName, *o);
    request.pictureWidth = options.imageWidth;
    request.pictureDepth = options.imageDepth;
    request.thumbPath = folder + ThumbFileName(fieldName, *o);
    request.thumbWidth = options.thumbWidth;
    request.thumbDepth = options.thumbDepth;
    if (!writePictures(request)) report.failedPictures.push_back(request.picturePath);
  }

  const std::string text = HtmlPageText(field, fieldName, options);
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) return TExportResult::cannotCreateFile;
  const auto size = static_cast<std::uint32_t>(text.size());
  if (FIO::WrBin(out.Handle(), size - 1, text.data(), size) != size || !out.Commit())
    return TExportResult::cannotCreateFile;
  return TExportResult::ok;
}

}  // namespace ombrix_export
