// Series, minima and O-C text exports of the shown object.
#include "ombrix_exports/series_export.h"

#include <cmath>

#include <corekit/vdstr.h>
#include <ombrix_field/series_file.h>
#include <ombrix_model/light_curve_model.h>
#include <ombrix_model/time_scales.h>

#include "ombrix_exports/export_file.h"
#include "text_format.h"

namespace ombrix_export {

using ombrix_data::CLocalSeriesTreeElem;
using ombrix_data::CMinimaListElem;
using ombrix_data::CObjectListElem;
using ombrix_data::CSeriesTreeElem;

namespace {

std::string DString(const vdstr::TDStringA* s) {
  const char* address = nullptr;
  std::uint32_t length = 0;
  vdstr::GetDStrAddrLenA(s, address, length);
  return address ? std::string(address, length) : std::string();
}

// Stores `text`; true when the stored text changed.
bool StoreDString(vdstr::TDStringA*& s, const std::string& text) {
  if (DString(s) == text) return false;
  if (text.empty()) vdstr::FreeDStrA(s);
  else vdstr::CopyBufferToDStrA(s, text.data(), static_cast<std::uint32_t>(text.size()));
  return true;
}

void AppendLine3(std::string& text, double a, double b, double c) {
  text += SixDecimals(a);
  text += ' ';
  text += SixDecimals(b);
  text += ' ';
  text += SixDecimals(c);
  text += kCrLf;
}

// The model prepared from the object's fit parameters.
ombrix_model::TFitParameters PreparedModel(const CObjectListElem& object) {
  ombrix_model::TFitParameters fit = object.fit;
  ombrix_model::PrepareLightCurveModel(fit);
  return fit;
}

// The model takes phases in [0, 1); phase 1 is phase 0 of the next cycle.
double ModelValue(const ombrix_model::TFitParameters& fit, double phase) {
  return ombrix_model::EvaluateLightCurveModel(fit, phase >= 1 ? phase - 1 : phase);
}

CMinimaListElem* FirstMinimum(const CSeriesTreeElem& series) {
  return static_cast<CMinimaListElem*>(series.minima.first);
}
CMinimaListElem* NextMinimum(const CMinimaListElem* minimum) {
  return static_cast<CMinimaListElem*>(minimum->next);
}

const char* MinimumTypeWord(ombrix_data::TMinimumType type) {
  switch (type) {
    case ombrix_data::minPrimary: return " Primary";
    case ombrix_data::minSecondary: return " Secondary";
    default: return " Undefined";
  }
}

void AppendMinimaLines(const CObjectListElem& object, std::string& text) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->enabled) continue;
    const std::string filter = MinimaFilterName(object, *s);
    for (const CMinimaListElem* m = FirstMinimum(*s); m; m = NextMinimum(m)) {
      if (!m->enabled) continue;
      text += SixDecimals(m->time);
      text += ' ';
      text += SixDecimals(m->error);
      text += MinimumTypeWord(m->type);
      if (!filter.empty()) text += ' ' + filter;
      text += MinimumTimeTypeText(*m, *s);
      text += kCrLf;
    }
  }
}

std::string FileNamePart(const std::string& path, std::string& folder) {
  const std::size_t slash = path.find_last_of('/');
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Position of the extension's dot in a file name, npos without one.
std::size_t ExtensionDot(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string::npos : dot;
}

// The path of a series' own file; empty for series without one.
std::string SeriesFilePath(const CSeriesTreeElem& series) {
  if (!series.IsLocalSeries() || series.missing) return std::string();
  return std::string(FieldText(static_cast<const CLocalSeriesTreeElem&>(series).absolutePath));
}

bool IsSeriesFileOfObject(const CObjectListElem& object, const std::string& path) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->IsLocalSeries()) continue;
    if (std::string(FieldText(static_cast<const CLocalSeriesTreeElem*>(s)->absolutePath)) == path) return true;
  }
  return false;
}

}  // namespace

bool NeedsElements(TSeriesLines kind) { return kind != TSeriesLines::timeSeries; }

bool HasElements(const CObjectListElem& object) { return object.m0 > 0 && object.period > 0; }

double ExportPhase(double t, double m0, double period) {
  if (t < m0) t += std::trunc((m0 + period - t) / period) * period;
  else if (t > m0 + period) t -= std::trunc((t - m0) / period) * period;
  return (t - m0) / period;
}

double AdjustedValue(const CObjectListElem& object, const CSeriesTreeElem& series, std::uint32_t index) {
  const double value = series.value[index];
  return object.fluxFlag ? value * series.offset : value + series.offset;
}

void AppendSeriesLines(const CObjectListElem& object, const CSeriesTreeElem& series, TSeriesLines kind,
                       std::string& text) {
  const ombrix_model::TFitParameters fit = kind == TSeriesLines::minusFit ? PreparedModel(object) : object.fit;
  for (std::uint32_t i = 0; i < series.pointCount; ++i) {
    const double t = series.time[i];
    const double value = AdjustedValue(object, series, i);
    const double error = series.error[i];
    switch (kind) {
      case TSeriesLines::timeSeries: AppendLine3(text, t, value, error); break;
      case TSeriesLines::phased: AppendLine3(text, ExportPhase(t, object.m0, object.period), value, error); break;
      case TSeriesLines::phasedTime:
        AppendLine3(text, object.m0 + ExportPhase(t, object.m0, object.period) * object.period, value, error);
        break;
      case TSeriesLines::minusFit:
        AppendLine3(text, t, value - ModelValue(fit, ExportPhase(t, object.m0, object.period)), error);
        break;
    }
  }
}

TExportResult SeriesLinesText(const CObjectListElem& object, TSeriesLines kind, std::string& text) {
  text.clear();
  if (NeedsElements(kind) && !HasElements(object)) return TExportResult::elementsUndefined;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (s->enabled) AppendSeriesLines(object, *s, kind, text);
  return TExportResult::ok;
}

TExportResult WriteExportText(const std::string& path, const std::string& text) {
  return WriteExportFile(path, text) ? TExportResult::ok : TExportResult::cannotCreateFile;
}

TExportResult ExportSeriesLines(const CObjectListElem& object, TSeriesLines kind, const std::string& path) {
  std::string text;
  const TExportResult result = SeriesLinesText(object, kind, text);
  return result == TExportResult::ok ? WriteExportText(path, text) : result;
}

// ---- individual series minus fit ----

void GetIndividualExportOptions(const CObjectListElem& object, TIndividualExportOptions& options) {
  options.useNewName = object.useExportFitName;
  options.newName = DString(object.exportFitName);
  options.prefix = DString(object.exportFitPrefix);
  options.postfix = DString(object.exportFitPostfix);
  options.overwrite = false;
}

bool StoreIndividualExportOptions(CObjectListElem& object, const TIndividualExportOptions& options) {
  bool changed = object.useExportFitName != options.useNewName;
  object.useExportFitName = options.useNewName;
  changed |= StoreDString(object.exportFitName, options.newName);
  changed |= StoreDString(object.exportFitPrefix, options.prefix);
  changed |= StoreDString(object.exportFitPostfix, options.postfix);
  return changed;
}

std::string IndividualTargetPath(const std::string& seriesPath, const TIndividualExportOptions& options) {
  std::string folder;
  const std::string name = FileNamePart(seriesPath, folder);
  if (options.useNewName) {
    const std::string newName = options.newName;
    return folder + newName + (ExtensionDot(newName) == std::string::npos ? ".txt" : "");
  }
  const std::size_t dot = ExtensionDot(name);
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  return folder + options.prefix + stem + options.postfix + extension;
}

TExportResult ExportIndividualSeriesMinusFit(const CObjectListElem& object, const TIndividualExportOptions& options,
                                             const TOverwriteQuestionFn& askOverwrite,
                                             TIndividualExportReport& report) {
  report = {};
  if (!options.useNewName && options.prefix.empty() && options.postfix.empty())
    return TExportResult::prefixPostfixEmpty;
  if (!HasElements(object)) return TExportResult::elementsUndefined;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    const std::string source = SeriesFilePath(*s);
    if (!s->enabled || source.empty()) continue;
    const std::string target = IndividualTargetPath(source, options);
    if (IsSeriesFileOfObject(object, target)) {
      report.protectedFiles.push_back(target);
      continue;
    }
    if (!options.overwrite && ExportFileExists(target)) {
      const TOverwriteAnswer answer = askOverwrite ? askOverwrite(target) : TOverwriteAnswer::cancel;
      if (answer == TOverwriteAnswer::cancel) return TExportResult::cancelled;
      if (answer == TOverwriteAnswer::no) {
        report.skipped.push_back(target);
        continue;
      }
    }
    std::string text;
    AppendSeriesLines(object, *s, TSeriesLines::minusFit, text);
    if (!WriteExportFile(target, text)) {
      report.failedPath = target;
      return TExportResult::cannotCreateFile;
    }
    report.written.push_back(target);
  }
  return TExportResult::ok;
}

// ---- minima and O-C ----

bool HasMinima(const CObjectListElem& object) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s))
    if (s->minima.count > 0) return true;
  return false;
}

std::string MinimaFilterName(const CObjectListElem& object, const CSeriesTreeElem& series) {
  for (std::string_view filter : {FieldText(series.fieldMetaData.filter), FieldText(series.dataMetaData.filter),
                                  FieldText(object.metaData.filter)})
    if (!filter.empty()) return std::string(filter);
  return std::string();
}

const char* TimeTypeText(const CSeriesTreeElem& series) {
  const bool barycentric = series.convertedScale == ombrix_model::tsBJDTDB;
  switch (series.dataMetaData.jdType) {
    case ombrix_data::jdGeocentric:
      if (!series.converted) return " GJD";
      return barycentric ? " BJD_TDB (converted)" : " HJD (converted)";
    case ombrix_data::jdHeliocentric: return " HJD";
    case ombrix_data::jdBarycentric: return " BJD_TDB";
    default: return " JD type unknown";
  }
}

const char* MinimumTimeTypeText(const CMinimaListElem& minimum, const CSeriesTreeElem& series) {
  const ombrix_model::TTimeScale scale = ombrix_data::MinimumTimeScale(minimum, series);
  if (scale == series.TimeScale()) return TimeTypeText(series);
  switch (scale) {
    case ombrix_model::tsBJDTDB: return " BJD_TDB";
    case ombrix_model::tsGJD: return " GJD";
    default: return " HJD";
  }
}

std::string EtvHeader(ombrix_model::TTimeScale scale) {
  return std::string("#") + ombrix_model::TimeScaleLabel(scale) + " Difference Error Primary/Secondary";
}

TExportResult MinimaListText(const CObjectListElem& object, std::string& text) {
  text.clear();
  if (!HasMinima(object)) return TExportResult::noMinima;
  text = std::string(kMinimaHeader) + kCrLf;
  AppendMinimaLines(object, text);
  return TExportResult::ok;
}

std::string AllMinimaText(const ombrix_data::CField& field) {
  std::string text = std::string(kMinimaHeader) + kCrLf;
  for (CObjectListElem* o = field.First(); o; o = ombrix_data::CField::Next(o)) {
    if (!HasMinima(*o)) continue;
    text += kCrLf;
    text += '[';
    text += FieldText(o->name);
    const std::string_view alternate = FieldText(o->altName);
    if (!alternate.empty()) {
      text += " (";
      text += alternate;
      text += ')';
    }
    text += ']';
    text += kCrLf;
    AppendMinimaLines(*o, text);
  }
  return text;
}

TExportResult EtvText(const CObjectListElem& object, std::string& text) {
  text.clear();
  if (!HasElements(object)) return TExportResult::elementsUndefined;
  // Times in the scale of M0; minima of another scale are converted with the
  // object's coordinates, and without them nothing is written.
  const ombrix_model::TTimeScale scale = object.m0Scale;
  double ra = ombrix_data::kUnknownRA, dec = ombrix_data::kUnknownDec;
  ombrix_data::GetConversionCoordinates(object, true, ra, dec);
  std::string lines = EtvHeader(scale) + kCrLf;
  const double period = object.period;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (!s->enabled) continue;
    for (const CMinimaListElem* m = FirstMinimum(*s); m; m = NextMinimum(m)) {
      if (!m->enabled) continue;
      const ombrix_model::TTimeScale stored = ombrix_data::MinimumTimeScale(*m, *s);
      double time = m->time;
      if (stored != scale &&
          (!ombrix_data::IsRAKnown(ra) || !ombrix_data::IsDecKnown(dec) ||
           !ombrix_model::ConvertTimeScale(m->time, stored, scale, ra, dec, time)))
        return TExportResult::scalesNotCombined;
      double c = time - object.m0;
      if (m->type == ombrix_data::minSecondary) c -= period / 2;
      const double epoch = std::round(c / period);
      lines += SixDecimals(time) + ' ' + SixDecimals(c - epoch * period) + ' ' + SixDecimals(m->error);
      if (m->type == ombrix_data::minPrimary) lines += " P";
      else if (m->type == ombrix_data::minSecondary) lines += " S";
      lines += kCrLf;
    }
  }
  text = std::move(lines);
  return TExportResult::ok;
}

}  // namespace ombrix_export
