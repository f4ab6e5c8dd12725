#include "ombrix_samples/sample_field.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <ombrix_field/ofd.h>
#include <runbase/c_numbers.h>
#include <ombrix_field/series_file.h>
#include <ombrix_model/angles.h>
#include <ombrix_model/light_curve_model.h>

#include "sample_random.h"
#include "sample_stars.h"

namespace ombrix_samples {

namespace {

using namespace ombrix_data;
using namespace ombrix_model;

// One stream for the whole field, so the files depend on nothing else.
constexpr std::uint64_t kSeed = 0x4F4D42524958ull;
constexpr double kSecondsPerDay = 86400.0;
// Share of exposures lost to passing clouds.
constexpr double kCloudLoss = 0.03;

const char* const kCommonNotes[] = {
    "Synthetic light curve drawn from the OMBRIX light-curve model with seeded",
    "noise by samples/make-sample.sh; not an observation of a real star.",
};

// Collects the text of a failed save.
class CErrorCollector : public CUserIO {
 public:
  std::string text;
  void ShowMessage(const TUserMessage& message) override {
    text = message.caption;
    for (const char* line : message.lines)
      if (line) text += std::string(": ") + line;
  }
  TAnswer Ask(const TUserMessage& question, TButtons) override {
    ShowMessage(question);
    return TAnswer::cancel;
  }
  bool EditTexts(const char*, TTextField*, std::uint32_t) override { return false; }
};

template <std::size_t N>
void CopyField(char (&field)[N], const char* text) {
  std::snprintf(field, N, "%s", text);
}

TFitParameters FitOf(const TSampleModel& m) {
  TFitParameters p;
  ResetFitParameters(p);
  p[fpMag0] = m.mag0;
  p[fpSecPhase] = m.secPhase;
  p[fpAPri] = m.aPri;
  p[fpDPri] = m.dPri;
  p[fpGPri] = m.gPri;
  p[fpASec] = m.aSec;
  p[fpDSec] = m.dSec;
  p[fpGSec] = m.gSec;
  p[fpASin1] = m.aSin1;
  p[fpACos2] = m.aCos2;
  PrepareLightCurveModel(p);
  return p;
}

std::string SeriesFileName(const TSampleStar& star, std::size_t night) {
  std::string filter = star.nights[night].filter;
  for (char& c : filter) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::string(star.fileStem) + '_' + std::to_string(night + 1) + '_' + filter + ".txt";
}

// One night of photometry and the time of minimum measured on it.
struct TNight {
  std::vector<TSeriesPoint> points;
  double minimumTime;
  double minimumError;
};

TNight Observe(const TSampleStar& star, const TSampleNight& night, const TFitParameters& fit,
               CSampleRandom& random) {
  TNight observed;
  const double eclipsePhase = night.secondary ? star.model.secPhase : 0.0;
  const double centre = star.m0 + (night.cycle + eclipsePhase) * star.period;
  const double length = night.hours / 24.0;
  const double start = centre - length * (0.35 + 0.3 * random.Uniform());
  const double step = night.cadence / kSecondsPerDay;
  const double shift = FilterShift(night.filter);
  const auto exposures = static_cast<int>(length / step);
  for (int i = 0; i < exposures; ++i) {
    const double t = start + i * step + 2.0 * random.Uniform() / kSecondsPerDay;
    const double sigma = star.noise * (0.8 + 0.4 * random.Uniform());
    const double value = EvaluateLightCurveModel(fit, PhaseInCycle(t, star.m0, star.period)) + shift +
                         sigma * random.Normal();
    if (random.Uniform() < kCloudLoss) continue;
    observed.points.push_back({t, value, sigma});
  }
  observed.minimumError = 0.0002 + 0.0004 * random.Uniform();
  observed.minimumTime = centre + observed.minimumError * random.Normal();
  return observed;
}

void AppendLine(std::string& text, const char* format, auto... values) {
  const Str::CCNumbers numbers;  // files keep the decimal point
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  text += line;
  text += '\n';
}

void AppendStar(std::string& text, const char* key, const TSampleStarPosition& star) {
  char catalogMag[48] = "";
  if (star.catalogMag > 0) {
    const Str::CCNumbers numbers;  // files keep the decimal point
    std::snprintf(catalogMag, sizeof catalogMag, "  CatalogMag: %.3f", star.catalogMag);
  }
  AppendLine(text, "%s Name: %s  RA: %s  Dec: %s%s", key, star.name, star.ra, star.dec, catalogMag);
}

// The series file as a photometry program would write it.
std::string SeriesText(const TSampleStar& star, const TSampleNight& night, const TNight& observed) {
  std::string text;
  AppendLine(text, "# Synthetic photometry of %s (OMBRIX sample field)", star.name);
  AppendStar(text, "Var", star.var);
  AppendStar(text, "Cmp0", star.comparison);
  AppendLine(text, "JD: heliocentric  Unit: magnitude  Filter: %s  VarAperture: 4.0  CmpAperture: 4.0",
             night.filter);
  text += '\n';
  for (const TSeriesPoint& p : observed.points) AppendLine(text, "%.6f %.4f %.4f", p.time, p.value, p.error);
  return text;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  error = "Cannot write " + path;
  return false;
}

double Sexagesimal(const char* text) {
  double value = 0.0;
  ParseSexagesimal(text, std::strlen(text), value);
  return value;
}

void SetPosition(TStarData& star, const TSampleStarPosition& position) {
  CopyField(star.name, position.name);
  star.ra = ombrix_model::HoursToRadians(Sexagesimal(position.ra));
  star.dec = ombrix_model::DegreesToRadians(Sexagesimal(position.dec));
  if (position.catalogMag > 0) star.catalogMag = position.catalogMag;
}

void AddNotes(CObjectListElem& object, const TSampleStar& star) {
  std::string notes;
  for (const char* line : kCommonNotes) notes += std::string(line) + "\r\n";
  notes += star.note;
  vdstr::CopyStrToDStrA(object.notes, static_cast<std::uint32_t>(notes.size()), notes.c_str());
}

CObjectListElem* NewObject(const TSampleStar& star, const TFitParameters& fit) {
  auto* object = new CObjectListElem;
  CopyField(object->name, star.name);
  CopyField(object->altName, star.altName);
  CopyField(object->variabilityType, star.type);
  CopyField(object->comment, "sample");
  object->m0 = star.m0;
  object->period = star.period;
  object->metaDataSource = mdsManualEntry;
  SetPosition(object->metaData.var, star.var);
  SetPosition(object->metaData.ComparisonStar(0), star.comparison);
  if (star.storeFit) {
    object->fit = fit;
    object->fitPresent = true;
  }
  AddNotes(*object, star);
  return object;
}

// Writes the star's series files and adds the object with its series.
bool AddStar(CField& field, const TSampleStar& star, const std::string& folder,
             const std::string& storedFolder, CSampleRandom& random, std::string& error) {
  const TFitParameters fit = FitOf(star.model);
  CObjectListElem* object = NewObject(star, fit);
  field.Append(object);
  for (std::size_t n = 0; n < star.nights.size(); ++n) {
    const TSampleNight& night = star.nights[n];
    const TNight observed = Observe(star, night, fit, random);
    const std::string name = SeriesFileName(star, n);
    if (!WriteText(folder + '/' + name, SeriesText(star, night, observed), error)) return false;
    auto* series = new CLocalSeriesTreeElem;
    const std::string stored = storedFolder + '/' + name;
    CopyField(series->relativePath, stored.c_str());
    CopyField(series->absolutePath, stored.c_str());
    series->offset = -FilterShift(night.filter);
    series->InsertPoints(observed.points.data(), observed.points.size());
    series->minima.Add(night.minimumType, observed.minimumTime, observed.minimumError,
                       night.minimumEnabled);
    if (!object->InsertSeries(series)) {
      error = "Two nights of " + std::string(star.name) + " start at the same time";
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteSampleField(const std::string& folder, const std::string& storedFolder, std::string& error) {
  Init_();
  CField field;
  CSampleRandom random(kSeed);
  for (const TSampleStar& star : SampleStars())
    if (!AddStar(field, star, folder, storedFolder, random, error)) return false;
  // A fresh file: no backup of an earlier run is left beside it.
  const std::string path = folder + '/' + kSampleFieldName;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  CErrorCollector io;
  if (SaveField(field, path.c_str(), io)) return true;
  error = io.text;
  return false;
}

std::vector<std::string> SampleFieldFiles() {
  std::vector<std::string> names{kSampleFieldName};
  for (const TSampleStar& star : SampleStars())
    for (std::size_t n = 0; n < star.nights.size(); ++n) names.push_back(SeriesFileName(star, n));
  return names;
}

}  // namespace ombrix_samples
