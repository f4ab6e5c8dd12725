// The keyword tables of field description files, in the order the writer
// writes them.
#include "ofd_keywords.h"

namespace ombrix_data {

namespace {

using O = CObjectListElem;
using M = CMetaData;
using S = TStarData;
using L = CLocalSeriesTreeElem;
using W = CWebSeriesLocalDataTreeElem;
using ObjectRow = TKeywordRows<O>;
using MetaDataRow = TKeywordRows<M>;
using StarRow = TKeywordRows<S>;
using MinimumRow = TKeywordRows<CMinimaListElem>;
using LocalSeriesRow = TKeywordRows<L>;
using WebSeriesRow = TKeywordRows<W>;
constexpr TWritten kWhenSet = TWritten::whenSet;

// Enumerations as words; the first word is written for values a table lacks.
constexpr TWord kJDTypeWords[] = {{jdHeliocentric, "heliocentric"}, {jdGeocentric, "geocentric"}};
// Stated barycentric times are written "heliocentric BJD_TDB": readers that
// know no barycentric type take them as corrected times, as they are.
constexpr const char* kBarycentricTrailer = "BJD_TDB";

constexpr TKeyword<M> JDTypeRow(const char* keyword) {
  return {keyword,
          [](COFDReader& r, M& m) {
            if (!MetaDataRow::Word<&M::jdType, kJDTypeWords, TWritten::whenSet>("").read(r, m)) return false;
            ombrix_model::TTimeScale scale = ombrix_model::tsHJD;
            if (m.jdType == jdHeliocentric && ReadScaleTrailer(r, scale) && scale == ombrix_model::tsBJDTDB)
              m.jdType = jdBarycentric;
            return true;
          },
          [](COFDWriter& w, const char* k, const M& m) {
            if (m.jdType == jdBarycentric)
              w.Word(k, "heliocentric", kBarycentricTrailer);
            else
              MetaDataRow::Word<&M::jdType, kJDTypeWords, TWritten::whenSet>("").write(w, k, m);
          }};
}

// A minimum's time, with its scale when it is stated for the file.
bool ReadMinimumTime(COFDReader& r, CMinimaListElem& m) {
  if (!r.ReadReal(m.time)) return false;
  ombrix_model::TTimeScale scale = ombrix_model::tsHJD;
  if (ReadScaleTrailer(r, scale)) m.SetTimeScale(scale);
  return true;
}

void WriteMinimumTime(COFDWriter& w, const char* k, const CMinimaListElem& m) {
  w.Real(k, m.time, COFDWriter::kRealDecimals, m.scaleStated ? ombrix_model::TimeScaleLabel(m.timeScale) : nullptr);
}
constexpr TWord kValueUnitWords[] = {{unitFlux, "flux"}, {unitMagnitude, "magnitude"}};
constexpr TWord kMinimumTypeWords[] = {{minUndefined, "any"}, {minPrimary, "primary"}, {minSecondary, "secondary"}};

// Object precision: 7 decimals for times and periods, 3 for magnitudes.
constexpr int kTimeDecimals = 7;
constexpr int kMagnitudeDecimals = 3;
// Apertures of 0 are not written.
constexpr double kNoAperture = 0.0;

constexpr TKeyword<S> kStarTable[] = {
    StarRow::Text<&S::name, kWhenSet>("star_name"),
    StarRow::Angle<&S::ra, kHours>("star_ra"),
    StarRow::Angle<&S::dec, kDegrees>("star_dec"),
    StarRow::Text<&S::catalog, kWhenSet>("catalog"),
    StarRow::Text<&S::catalogId, kWhenSet>("catalog_id"),
    StarRow::RealUnless<&S::catalogRA, kUnknownRA>("catalog_ra"),
    StarRow::RealUnless<&S::catalogDec, kUnknownDec>("catalog_dec"),
    StarRow::RealUnless<&S::catalogMag, kUnknownMagnitude>("catalog_mag"),
    StarRow::RealUnless<&S::catalogBV, kUnknownMagnitude>("catalog_bv"),
    StarRow::RealUnless<&S::catalogJK, kUnknownMagnitude>("catalog_jk"),
};

// The indexed comparison and check stars follow these rows.
constexpr TKeyword<M> kMetaDataTable[] = {
    MetaDataRow::RealUnless<&M::varAperture, kNoAperture>("var_aperture"),
    MetaDataRow::RealUnless<&M::cmpAperture, kNoAperture>("cmp_aperture"),
    MetaDataRow::RealUnless<&M::chkAperture, kNoAperture>("chk_aperture"),
    JDTypeRow("jd_type"),
    MetaDataRow::Word<&M::valueUnit, kValueUnitWords, kWhenSet>("value_unit"),
    MetaDataRow::Text<&M::filter, kWhenSet>("filter"),
    MetaDataRow::Section(
        kVariableStarSection.begin,
        [](COFDReader& r, M& m) { return r.ReadStar(m.var, kVariableStarSection.end); },
        [](COFDWriter& w, const char* k, const M& m) {
          if (m.var.IsSet()) w.WriteStar(k, kVariableStarSection.end, m.var);
        }),
};

constexpr TKeyword<CMinimaListElem> kMinimumTable[] = {
    MinimumRow::Word<&CMinimaListElem::type, kMinimumTypeWords>("type"),
    {"time", ReadMinimumTime, WriteMinimumTime},
    MinimumRow::Real<&CMinimaListElem::error>("error"),
    MinimumRow::Boolean<&CMinimaListElem::enabled>("enabled"),
};

// Stated meta-data and minima, the same in local and repository series.
template <class R, auto kMetaData>
constexpr TKeyword<R> MetaDataSection() {
  return TKeywordRows<R>::Section(
      kMetaDataSection.begin, [](COFDReader& r, R& s) { return r.ReadMetaData(s.*kMetaData); },
      [](COFDWriter& w, const char*, const R& s) {
        if ((s.*kMetaData).IsSet()) w.WriteMetaData(s.*kMetaData);
      });
}

// The series whose legacy scale minima are written against; stored
// repository settings have none.
inline const CSeriesTreeElem* SeriesOf(const CSeriesTreeElem& series) { return &series; }
inline const CSeriesTreeElem* SeriesOf(const CWebSeriesLocalDataTreeElem&) { return nullptr; }

template <class R>
constexpr TKeyword<R> MinimaSections() {
  return TKeywordRows<R>::Section(
      kMinimumSection.begin, [](COFDReader& r, R& s) { return r.ReadMinimum(s.minima); },
      [](COFDWriter& w, const char*, const R& s) { w.WriteMinima(s.minima, SeriesOf(s)); });
}

constexpr TKeyword<L> kLocalSeriesTable[] = {
    LocalSeriesRow::Text<&L::absolutePath>("absolute_path"),
    LocalSeriesRow::Text<&L::relativePath>("relative_path"),
    LocalSeriesRow::Real<&L::offset>("offset"),
    LocalSeriesRow::Boolean<&L::enabled>("enabled"),
    MetaDataSection<L, &L::fieldMetaData>(),
    MinimaSections<L>(),
};

constexpr TKeyword<W> kWebSeriesTable[] = {
    WebSeriesRow::Token<&W::userId>("user_id"),
    WebSeriesRow::Hex<&W::fileTime>("file_time"),
    WebSeriesRow::Real<&W::offset>("offset"),
    WebSeriesRow::Boolean<&W::enabled>("enabled"),
    MetaDataSection<W, &W::metaData>(),
    MinimaSections<W>(),
};

// A loaded repository series, written like its stored settings.
bool IsLoadedRepositorySeries(const O& object, const W& setting) {
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    if (s->IsLocalSeries()) continue;
    const auto* web = static_cast<const CWebSeriesTreeElem*>(s);
    if (web->fileTime == setting.fileTime && std::strncmp(web->userName, setting.userId, kUserNameHigh + 1) == 0)
      return true;
  }
  return false;
}

void WriteWebSeriesSections(COFDWriter& w, const char*, const O& o) {
  for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
    if (!s->IsLocalSeries()) s->WriteFieldSection(w);
  // Settings of repository series that are not loaded (offline, or no cache)
  // are kept as they were.
  vtree::CAVLTreeElem* e = nullptr;
  for (bool more = o.webSettings.GetFirst(e); more; more = o.webSettings.GetNextElem(e, e)) {
    const auto& setting = *static_cast<const W*>(e);
    if (!IsLoadedRepositorySeries(o, setting)) w.WriteWebSeries(setting);
  }
}

constexpr TKeyword<O> kObjectTable[] = {
    ObjectRow::Text<&O::token, kWhenSet>("token"),
    ObjectRow::Text<&O::publisher, kWhenSet>("publisher"),
    ObjectRow::Text<&O::name>("name", "caption"),
    ObjectRow::Text<&O::altName, kWhenSet>("alternate_name", "alternate_caption"),
    ObjectRow::Text<&O::variabilityType, kWhenSet>("variability_type"),
    ObjectRow::Text<&O::comment, kWhenSet>("comment"),
    ObjectRow::ScaledTime<&O::m0, &O::m0Scale, kTimeDecimals>("m0"),
    ObjectRow::Real<&O::period, kTimeDecimals>("period"),
    ObjectRow::ScaledTime<&O::savedM0, &O::savedM0Scale, kTimeDecimals>("saved_m0"),
    ObjectRow::Real<&O::savedPeriod, kTimeDecimals>("saved_period"),
    ObjectRow::Real<&O::primaryFitTimeRange, kTimeDecimals>("primary_fit_time_range"),
    ObjectRow::Real<&O::secondaryFitTimeRange, kTimeDecimals>("secondary_fit_time_range"),
    ObjectRow::RealUnless<&O::maxMagnitude, kUnknownMagnitude, kMagnitudeDecimals>("max_magnitude"),
    ObjectRow::RealUnless<&O::minMagnitude, kUnknownMagnitude, kMagnitudeDecimals>("min_magnitude"),
    ObjectRow::Real<&O::period, kTimeDecimals>("period"),  // written a second time here; readers take the last
    ObjectRow::Text<&O::absolutePath>("absolute_path"),
    ObjectRow::Text<&O::relativePath>("relative_path"),
    ObjectRow::Text<&O::dirKey>("dir_key"),
    ObjectRow::Text<&O::fileNames>("file_names"),
    ObjectRow::Real<&O::offsetAmplitude>("offset_amplitude"),
    ObjectRow::Real<&O::periodAmplitude>("period_amplitude"),
    ObjectRow::Integer<&O::metaDataSource>("meta_data_source"),
    MetaDataSection<O, &O::metaData>(),
    ObjectRow::Section(
        kFitSection.begin, [](COFDReader& r, O& o) { return r.ReadFit(o); },
        [](COFDWriter& w, const char*, const O& o) {
          if (o.fitPresent) w.WriteFit(o.fit);
        }),
    ObjectRow::Boolean<&O::useExportFitName>("use_export_fit_name"),
    ObjectRow::DynamicText<&O::exportFitName>("export_fit_name"),
    ObjectRow::DynamicText<&O::exportFitPrefix>("export_fit_prefix"),
    ObjectRow::DynamicText<&O::exportFitPostfix>("export_fit_postfix"),
    ObjectRow::Section(
        kNotesSection.begin, [](COFDReader& r, O& o) { return r.ReadNotes(o); },
        [](COFDWriter& w, const char*, const O& o) { w.WriteNotes(o.notes); }),
    ObjectRow::Section(
        kSeriesSection.begin, [](COFDReader& r, O& o) { return r.ReadSeries(o); },
        [](COFDWriter& w, const char*, const O& o) {
          for (CSeriesTreeElem* s = o.FirstSeries(); s; s = o.NextSeries(s))
            if (s->IsLocalSeries()) s->WriteFieldSection(w);
        }),
    ObjectRow::Section(kWebSeriesSection.begin, [](COFDReader& r, O& o) { return r.ReadWebSeries(o); },
               WriteWebSeriesSections),
};

}  // namespace

constexpr std::span<const TKeyword<CObjectListElem>> kObjectKeywords{kObjectTable};
constexpr std::span<const TKeyword<CMetaData>> kMetaDataKeywords{kMetaDataTable};
constexpr std::span<const TKeyword<TStarData>> kStarKeywords{kStarTable};
constexpr std::span<const TKeyword<CMinimaListElem>> kMinimumKeywords{kMinimumTable};
constexpr std::span<const TKeyword<CLocalSeriesTreeElem>> kLocalSeriesKeywords{kLocalSeriesTable};
constexpr std::span<const TKeyword<CWebSeriesLocalDataTreeElem>> kWebSeriesKeywords{kWebSeriesTable};

}  // namespace ombrix_data
