// Alternate names from a text list, series selection by filter or
// contributor, levelling of series offsets and the field statistics.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <runbase/fixed_text.h>

#include "ofd_sections.h"
#include "ombrix_field/bulk_edits.h"
#include "ombrix_field/nights.h"

namespace ombrix_data {
namespace {

// ---- alternate names ----

constexpr std::uint32_t kAlternateNameHigh = kObjectNameHigh - 1;

// The next line of the text (CR and LF not included); false at the end.
bool NextLine(std::string_view& text, std::string_view& line) {
  if (text.empty()) return false;
  const std::size_t end = text.find('\n');
  line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

// Where the name followed by a space, else by a tab, occurs in the line;
// npos when neither does.
std::size_t FindNameInLine(std::string_view line, std::string_view name) {
  for (const char follower : {' ', '\t'}) {
    const std::string needle = std::string(name) + follower;
    const std::size_t at = line.find(needle);
    if (at != std::string_view::npos) return at + needle.size();
  }
  return std::string_view::npos;
}

// Gives the first object named in the line the rest of the line.
bool ApplyAlternateNameLine(CField& field, std::string_view line) {
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) {
    const std::string_view name = FixedText::View(kObjectNameHigh, o->name);
    if (name.empty()) continue;  // an empty name would take every line with a blank
    const std::size_t after = FindNameInLine(line, name);
    if (after == std::string_view::npos) continue;
    // At most 63 characters, always terminated.
    std::memset(o->altName, 0, sizeof o->altName);
    FixedText::Assign(kAlternateNameHigh, o->altName, FixedText::Trim(line.substr(after)));
    return true;
  }
  return false;
}

// ---- series selection ----

const TSeriesKeyCount* FindKey(const std::vector<TSeriesKeyCount>& keys, const std::string& key, std::size_t& index) {
  for (index = 0; index < keys.size(); ++index)
    if (keys[index].key == key) return &keys[index];
  return nullptr;
}

// ---- levelling ----

double Median(std::vector<double> values) {
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
  return values[middle];
}

double MidRange(const double* values, std::uint32_t n) {
  const auto [low, high] = std::minmax_element(values, values + n);
  return (*low + *high) / 2;
}

double Average(const double* values, std::uint32_t n) {
  double sum = 0;
  for (std::uint32_t i = 0; i < n; ++i) sum += values[i];
  return sum / n;
}

// ---- statistics ----

bool IsConsidered(const CSeriesTreeElem& s, bool shortSeriesOnly) {
  return s.pointCount > 0 && (!shortSeriesOnly || !s.IsLong());
}

}  // namespace

// ---- alternate names ----

std::uint32_t ApplyAlternateNames(CField& field, const char* text, std::size_t length) {
  std::string_view rest(text, length);
  std::string_view line;
  std::uint32_t named = 0;
  while (NextLine(rest, line) && !line.empty()) {
    if (ApplyAlternateNameLine(field, line.substr(0, kAlternateNamesLineLength))) ++named;
  }
  return named;
}

bool LoadAlternateNames(CField& field, const char* path, CUserIO& io) {
  std::string text;
  const FIO::WholeFile read = ReadWholeFile(path, kMaxAlternateNamesFileSize, text);
  if (read != FIO::WholeFile::ok) {
    const std::string line = WholeFileProblem(read, kMaxAlternateNamesFileSize) + ": " + path;
    io.ShowMessage({"Failed loading alternate names", {line.c_str(), nullptr, nullptr}, TMessageIcon::stop});
    return false;
  }
  ApplyAlternateNames(field, text.data(), text.size());
  return true;
}

bool ConfirmLoadAlternateNames(CUserIO& io) {
  const TUserMessage question{"Load Alternate Names",
                              {"Alternate names of individual objects will be replaced",
                               "with names following the object name in the loaded file.", "Do you want to continue?"},
                              TMessageIcon::question};
  return io.Ask(question, TButtons::yesNo) == TAnswer::yes;
}

// ---- series selection ----

std::string SeriesKey(const CSeriesTreeElem& series, TSeriesKeyKind kind) {
  if (kind == TSeriesKeyKind::filter) return std::string(FixedText::View(kFilterNameHigh, series.EffectiveFilter()));
  if (series.IsLocalSeries()) return "local series";
  const auto* web = dynamic_cast<const CWebSeriesTreeElem*>(&series);
  return web ? std::string(FixedText::View(kUserNameHigh, web->userName)) : std::string();
}

const char* SeriesSelectionTitle(TSeriesKeyKind kind) {
  return kind == TSeriesKeyKind::filter ? "Select Series by Filters" : "Select Series by Contributors";
}

void CollectSeriesKeys(const CObjectListElem& object, TSeriesKeyKind kind, std::vector<TSeriesKeyCount>& keys) {
  keys.clear();
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    const std::string key = SeriesKey(*s, kind);
    std::size_t index = 0;
    if (FindKey(keys, key, index)) ++keys[index].count;
    else keys.push_back({key, 1});
  }
}

std::string SeriesKeyLine(const TSeriesKeyCount& key) {
  return key.key + " (" + std::to_string(key.count) + " series)";
}

std::uint32_t ApplySeriesKeySelection(CObjectListElem& object, TSeriesKeyKind kind,
                                      const std::vector<TSeriesKeyCount>& keys, const std::vector<bool>& ticked) {
  std::uint32_t enabled = 0;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    std::size_t index = 0;
    if (FindKey(keys, SeriesKey(*s, kind), index)) s->enabled = index < ticked.size() && ticked[index];
    if (s->enabled) ++enabled;
  }
  return enabled;
}

// ---- levelling ----

bool SeriesStatistic(const CSeriesTreeElem& series, TLevelStatistic statistic, double& value) {
  // Availability rests on the points, not on the stated value: 100 is an
  // ordinary flux.
  value = kStatisticUnavailable;
  const std::uint32_t n = series.pointCount;
  if (n == 0) return false;
  switch (statistic) {
    case TLevelStatistic::median: value = Median(std::vector<double>(series.value, series.value + n)); break;
    case TLevelStatistic::range: value = MidRange(series.value, n); break;
    case TLevelStatistic::average: value = Average(series.value, n); break;
  }
  return true;
}

bool LevelSeriesOffsets(CObjectListElem& object, CSeriesTreeElem* selected, TLevelStatistic statistic) {
  CSeriesTreeElem* reference = selected ? selected : object.FirstSeries();
  double d = 0;
  if (!reference || !SeriesStatistic(*reference, statistic, d)) return false;
  const bool flux = object.fluxFlag;
  reference->offset = flux ? 1 : 0;
  for (CSeriesTreeElem* s = object.FirstSeries(); s; s = object.NextSeries(s)) {
    double e = 0;
    if (s == reference || !SeriesStatistic(*s, statistic, e)) continue;
    if (!flux) s->offset = d - e;
    else if (e != 0) s->offset = d / e;
  }
  return true;
}

// ---- statistics ----

void GetFieldStatistics(const CField& field, bool shortSeriesOnly, TFieldStatistics& statistics) {
  statistics = {};
  statistics.objects = field.Count();
  CNightSet nights;
  for (CObjectListElem* o = field.First(); o; o = CField::Next(o)) {
    for (CSeriesTreeElem* s = o->FirstSeries(); s; s = o->NextSeries(s)) {
      statistics.minima += s->minima.count;
      if (!IsConsidered(*s, shortSeriesOnly)) continue;
      ++statistics.series;
      statistics.points += s->pointCount;
      nights.AddSeries(*s);
    }
  }
  statistics.nights = nights.Count();
  statistics.observingHours = std::llround(nights.ObservingHours());
}

std::string FieldStatisticsText(const TFieldStatistics& statistics) {
  const std::pair<std::string, const char*> lines[] = {
      {std::to_string(statistics.objects), " objects"}, {std::to_string(statistics.series), " series"},
      {std::to_string(statistics.minima), " minima"},   {std::to_string(statistics.points), " points"},
      {std::to_string(statistics.nights), " nights"},   {std::to_string(statistics.observingHours), " obs. hours"},
  };
  std::string text = "Field contains:";
  for (const auto& [number, word] : lines) text += "\r\n   " + number + word;
  return text;
}

}  // namespace ombrix_data
