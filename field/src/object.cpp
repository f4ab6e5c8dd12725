// Objects: defaults and ownership, the label, the series walk, the meta-data
// source rule and the effective meta-data; the name order.
#include <cstring>
#include <string>

#include <runbase/fixed_text.h>
#include <runbase/storage.h>
#include <runbase/str.h>

#include "ombrix_field/object.h"

namespace ombrix_data {

const char* const kVariabilityTypes[kVariabilityTypeCount] = {
    "EA (Algol)",         "EB (beta Lyr)",       "EW (W UMa)",         "EP (exoplanet)",
    "ELL (ellipsoidal)",  "DCEP (Cepheid)",      "DSCT (delta Sct)",   "DSCTC (lo-amp dSct)",
    "HADS (hi-amp dSct)", "GDOR (gamma Dor)",    "RRab (RR Lyr ab)",   "RRc (RR Lyr c)",
    "UV (UV Cet)",        "CV (cataclysmic)",    "UG (U Gem)",         "UGSU (SU UMa)",
    "L (slow irregular)", "IRR (irregular)",
};

namespace {

constexpr const char* kUnnamed = "<unnamed>";

template <std::size_t N>
std::string TextOf(const char (&text)[N]) {
  return std::string(FixedText::View(N - 1, text));
}

template <std::size_t N>
void ClearText(char (&text)[N]) {
  std::memset(text, 0, N);
}

// Dynamic strings are single Storage blocks.
void FreeDString(vdstr::TDStringA*& s) { Storage::Free(s); }

void DisposePeriods(vlist::CList& periods) {
  vlist::CListElem* elem = nullptr;
  while (periods.GetFirst(elem)) {
    periods.Remove();
    delete elem;
  }
  periods.ClearList();
}

// A series walked by the meta-data source rule.
struct TCandidate {
  const CSeriesTreeElem* series;
  bool local;
  bool longSeries;
};

TCandidate Candidate(const CSeriesTreeElem* s) { return {s, s->IsLocalSeries(), s->IsLong()}; }

}  // namespace

CPathListElem::CPathListElem() {
  ClearText(path);
  ClearText(label);
}

CObjectListElem::CObjectListElem() { Init(); }

CObjectListElem::~CObjectListElem() { Done(); }

void CObjectListElem::Init() {
  ClearText(token);
  ClearText(publisher);
  ClearText(name);
  ClearText(altName);
  ClearText(comment);
  ClearText(variabilityType);
  minMagnitude = kUnknownMagnitude;
  maxMagnitude = kUnknownMagnitude;
  metaData.Init();
  metaDataSource = mdsNewestSeriesFileDate;
  m0 = period = savedM0 = savedPeriod = 0.0;
  m0Scale = savedM0Scale = ombrix_model::tsHJD;
  primaryFitTimeRange = secondaryFitTimeRange = 0.0;
  ClearText(absolutePath);
  ClearText(relativePath);
  ClearText(dirKey);
  ClearText(fileNames);
  periodAmplitude = kDefaultAmplitude;
  offsetAmplitude = kDefaultAmplitude;
  fluxFlag = false;
  ombrix_model::ResetFitParameters(fit);
  fitPresent = false;
  exportFitName = exportFitPrefix = exportFitPostfix = nullptr;
  useExportFitName = true;
  notes = nullptr;
  toSynchronize = false;
}

void CObjectListElem::Done() {
  series.DisposeTree();
  webSettings.DisposeTree();
  DisposePeriods(periods);
  metaData.Done();
  FreeDString(exportFitName);
  FreeDString(exportFitPrefix);
  FreeDString(exportFitPostfix);
  FreeDString(notes);
  Init();
}

void CObjectListElem::GetLabel(std::uint32_t high, char* label) const {
  std::string n = TextOf(name);
  std::string a = TextOf(altName);
  std::string c = TextOf(comment);
  std::string text = n;
  if (!a.empty()) text += (n.empty() ? "| " : " | ") + a;
  if (!c.empty()) text += (!a.empty() ? " | " : (n.empty() ? "| | " : " | | ")) + c;
  if (text.empty()) text = kUnnamed;
  FixedText::Assign(high, label, text);
}

void CObjectListElem::GetDisplayName(std::uint32_t high, char* shown) const {
  if (name[0])
    FixedText::Assign(high, shown, FixedText::View(kObjectNameHigh, name));
  else
    FixedText::Assign(high, shown, kUnnamed);
}

CSeriesTreeElem* CObjectListElem::FirstSeries() const {
  vtree::CAVLTreeElem* e = nullptr;
  return series.GetFirst(e) ? static_cast<CSeriesTreeElem*>(e) : nullptr;
}

CSeriesTreeElem* CObjectListElem::LastSeries() const {
  vtree::CAVLTreeElem* e = nullptr;
  return series.GetLast(e) ? static_cast<CSeriesTreeElem*>(e) : nullptr;
}

CSeriesTreeElem* CObjectListElem::NextSeries(CSeriesTreeElem* s) const {
  vtree::CAVLTreeElem* e = nullptr;
  return series.GetNextElem(s, e) ? static_cast<CSeriesTreeElem*>(e) : nullptr;
}

CSeriesTreeElem* CObjectListElem::PrevSeries(CSeriesTreeElem* s) const {
  vtree::CAVLTreeElem* e = nullptr;
  return series.GetPrevElem(s, e) ? static_cast<CSeriesTreeElem*>(e) : nullptr;
}

CSeriesTreeElem* CObjectListElem::FindSeriesStartingAt(double firstTime) const {
  for (CSeriesTreeElem* s = FirstSeries(); s && !s->missing; s = NextSeries(s))
    if (s->FirstTime() == firstTime) return s;
  return nullptr;
}

bool CObjectListElem::InsertSeries(CSeriesTreeElem* s) { return series.Insert(s); }

void CObjectListElem::InsertMissingSeries(CSeriesTreeElem* s) {
  const CSeriesTreeElem* last = LastSeries();
  s->ClearPoints();
  s->missing = true;
  s->missingOrder = last && last->missing ? last->missingOrder + 1 : 1;
  series.Insert(s);
}

bool CObjectListElem::HasLoadedSeries() const {
  const CSeriesTreeElem* first = FirstSeries();
  return first && !first->missing;
}

CSeriesTreeElem* CObjectListElem::MetaDataSourceSeries() const {
  if (metaDataSource == mdsManualEntry || !HasLoadedSeries()) return nullptr;
  bool forwards = metaDataSource == mdsOldestSeries || metaDataSource == mdsOldestSeriesFileDate;
  // Missing series sort last and are passed over.
  auto step = [&](CSeriesTreeElem* s) {
    CSeriesTreeElem* next = forwards ? NextSeries(s) : PrevSeries(s);
    return next && !next->missing ? next : nullptr;
  };
  CSeriesTreeElem* first = forwards ? FirstSeries() : LastSeries();
  while (first->missing) first = PrevSeries(first);
  TCandidate r = Candidate(first);

  if (metaDataSource == mdsOldestSeries || metaDataSource == mdsNewestSeries) {
    if (!r.local || r.longSeries) return first;
    for (CSeriesTreeElem* c = step(first); c; c = step(c)) {
      TCandidate next = Candidate(c);
      if (!next.local && !next.longSeries) return c;
    }
    return first;
  }

  bool oldest = metaDataSource == mdsOldestSeriesFileDate;
  for (CSeriesTreeElem* c = step(first); c; c = step(c)) {
    TCandidate next = Candidate(c);
    bool better = (r.longSeries && !next.longSeries) || (!r.local && next.local);
    bool newerChoice = next.local && !next.longSeries &&
                       (oldest ? next.series->fileTime < r.series->fileTime
                               : next.series->fileTime > r.series->fileTime);
    if (better || newerChoice) r = next;
  }
  return const_cast<CSeriesTreeElem*>(r.series);
}

void CObjectListElem::GetEffectiveMetaData(CMetaData& effective) const {
  effective.Done();
  const CSeriesTreeElem* source = MetaDataSourceSeries();
  if (!source) {
    effective.Merge(metaData);
    return;
  }
  if (source->IsLocalSeries()) effective.Merge(source->dataMetaData);
  effective.Merge(source->fieldMetaData);
}

namespace {

// Length of the run of decimal digits at the end of a name.
std::size_t TrailingDigits(const char* s, std::size_t length) {
  std::size_t n = 0;
  while (n < length && s[length - 1 - n] >= '0' && s[length - 1 - n] <= '9') ++n;
  return n;
}

// Compares two digit runs by value (any length).
int CompareDigitRuns(const char* a, std::size_t na, const char* b, std::size_t nb) {
  while (na > 0 && *a == '0') ++a, --na;
  while (nb > 0 && *b == '0') ++b, --nb;
  if (na != nb) return na < nb ? -1 : 1;
  int c = std::memcmp(a, b, na);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int CompareObjectNames(const char* a, const char* b) {
  std::size_t la = FixedText::Length(kObjectNameHigh, a);
  std::size_t lb = FixedText::Length(kObjectNameHigh, b);
  if (la == 0 || lb == 0) return la == lb ? 0 : (la == 0 ? -1 : 1);
  if (la > 1 && lb > 1) {
    std::size_t da = TrailingDigits(a, la);
    std::size_t db = TrailingDigits(b, lb);
    if (da > 0 && db > 0 && la - da == lb - db && std::memcmp(a, b, la - da) == 0)
      return CompareDigitRuns(a + la - da, da, b + lb - db, db);
  }
  return Str::CompareA(kObjectNameHigh, a, kObjectNameHigh, b);
}

}  // namespace ombrix_data
