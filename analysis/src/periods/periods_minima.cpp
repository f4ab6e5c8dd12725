// Period search from times of minima.
#include "ombrix_analysis/periods_minima.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include <ombrix_model/angles.h>
#include <runbase/str.h>

namespace ombrix_analysis {

using ombrix_data::CPeriodListElem;
using ombrix_data::TMessageIcon;
using ombrix_data::TMinimumType;
using ombrix_data::TUserMessage;

namespace {

struct TCandidate {
  double period;  // sum of the merged periods until the mean is taken
  std::int64_t key;
  std::uint32_t merged;
  double score;
};

// Cycle offset between two minima of the given kinds: a whole cycle between
// like minima, the secondary phase (or its complement) between unlike ones.
double CycleOffset(bool firstPrimary, bool secondPrimary, double secondaryPhase, double same) {
  if (firstPrimary == secondPrimary) return same;
  return firstPrimary ? secondaryPhase : 1.0 - secondaryPhase;
}

// Type assignment of one variant: the b-th undefined minimum is primary when
// bit b of the variant is set.
void AssignTypes(const TMinimumInstance* minima, std::uint32_t count, std::uint32_t variant,
                 bool* primary) {
  std::uint32_t bit = 0;
  for (std::uint32_t l = 0; l < count; ++l) {
    if (minima[l].type == ombrix_data::minUndefined) {
      primary[l] = ((variant >> bit) & 1u) != 0;
      ++bit;
    } else {
      primary[l] = minima[l].type == ombrix_data::minPrimary;
    }
  }
}

void ProposeCandidates(const TMinimumInstance* minima, const bool* primary, std::uint32_t count,
                       double minPeriod, double secondaryPhase, std::vector<TCandidate>& out) {
  for (std::uint32_t j = 0; j < count; ++j) {
    for (std::uint32_t k = j + 1; k < count; ++k) {
      const double delta = minima[k].time - minima[j].time;
      if (!(delta > 0.0)) continue;
      const auto proposals = static_cast<std::uint64_t>(std::trunc(delta / minPeriod));
      const double c0 = CycleOffset(primary[j], primary[k], secondaryPhase, 1.0);
      for (std::uint64_t m = 0; m < proposals; ++m) {
        const double period = delta / (c0 + static_cast<double>(m));
        out.push_back({period, PeriodKey(period), 1, 0.0});
      }
    }
  }
}

// Later candidates with the key of an earlier one are folded into it; the
// survivor's period is the mean of all periods so merged.
void MergeCandidates(std::vector<TCandidate>& candidates) {
  std::unordered_map<std::int64_t, std::size_t> firstOfKey;
  std::vector<TCandidate> merged;
  merged.reserve(candidates.size());
  for (const TCandidate& c : candidates) {
    auto [it, inserted] = firstOfKey.try_emplace(c.key, merged.size());
    if (inserted) {
      merged.push_back(c);
    } else {
      merged[it->second].period += c.period;
      ++merged[it->second].merged;
    }
  }
  for (TCandidate& c : merged) c.period /= c.merged;
  candidates.swap(merged);
}

struct TPair {
  std::uint32_t first;
  std::uint32_t second;  // equal to first when no pair proposes anything
};

// The pair of minima furthest apart in time (the earlier-listed one earlier).
TPair LongestPair(const TMinimumInstance* minima, std::uint32_t count) {
  TPair longest{0, 0};
  double widest = 0.0;
  for (std::uint32_t j = 0; j < count; ++j)
    for (std::uint32_t k = j + 1; k < count; ++k)
      if (minima[k].time - minima[j].time > widest) {
        widest = minima[k].time - minima[j].time;
        longest = {j, k};
      }
  return longest;
}

// A key spans a thousandth of a day. Over a time base of many cycles, the
// proposals of different pairs that share a key are different periods, and
// their mean may fit no minimum although one of them fits all: every period
// that fits all minima is proposed by the pair furthest apart, and that
// pair's proposal is the most precise one. When the mean of a merged
// candidate fails the limit, the candidate takes the best-scoring proposal of
// that pair with its key instead, when it scores higher.
void TakeBestProposalOfLongestPair(const TMinimumInstance* minima, const bool* primary,
                                   std::uint32_t count, TPair pair, double minPeriod,
                                   double secondaryPhase, TCandidate& c) {
  if (pair.first == pair.second || c.key < 1) return;
  const double delta = minima[pair.second].time - minima[pair.first].time;
  const double proposals = std::trunc(delta / minPeriod);
  const double c0 = CycleOffset(primary[pair.first], primary[pair.second], secondaryPhase, 1.0);
  // Proposals delta / (c0 + m) with this key have m between these counts.
  const double shortestPeriod = (static_cast<double>(c.key) - 0.5) / 1000.0;
  const double longestPeriod = (static_cast<double>(c.key) + 0.5) / 1000.0;
  const double lowest = std::max(0.0, std::floor(delta / longestPeriod - c0) - 1.0);
  const double highest = std::min(proposals - 1.0, std::ceil(delta / shortestPeriod - c0) + 1.0);
  for (double m = lowest; m <= highest; ++m) {
    const double period = delta / (c0 + m);
    if (PeriodKey(period) != c.key) continue;
    const double score = MinimaPhaseScore(minima, primary, count, period, secondaryPhase);
    if (score > c.score) {
      c.score = score;
      c.period = period;
    }
  }
}

// Ranked insertion into the result: equal keys are dropped, a candidate goes
// before the first entry with a lower score, and the list keeps at most
// kMaxFoundPeriods entries.
void MergeIntoResult(const TCandidate& c, std::vector<TCandidate>& result) {
  for (const TCandidate& r : result)
    if (r.key == c.key) return;
  auto lower = std::find_if(result.begin(), result.end(),
                            [&](const TCandidate& r) { return r.score < c.score; });
  if (lower == result.end()) {
    if (result.size() < kMaxFoundPeriods) result.push_back(c);
    return;
  }
  result.insert(lower, c);
  if (result.size() > kMaxFoundPeriods) result.pop_back();
}

void ClearPeriodList(vlist::CList& periods) { periods.DisposeList(); }

}  // namespace

std::int64_t PeriodKey(double period) {
  return static_cast<std::int64_t>(std::trunc(period * 1000.0 + 0.5));
}

double MinimaPhaseScore(const TMinimumInstance* minima, const bool* primary, std::uint32_t count,
                        double period, double secondaryPhase) {
  double sumCos = 0.0;
  double sumSin = 0.0;
  for (std::uint32_t l = 0; l < count; ++l) {
    const double offset =
        l == 0 ? 0.0 : CycleOffset(primary[0], primary[l], secondaryPhase, 0.0);
    const double phase = (minima[l].time - minima[0].time) / period - offset;
    sumCos += std::cos(ombrix_model::kTwoPi * phase);
    sumSin += std::sin(ombrix_model::kTwoPi * phase);
  }
  const double n = static_cast<double>(count);
  return std::hypot(sumCos / n, sumSin / n);
}

void SearchPeriodsFromMinima(const TMinimumInstance* minima, std::uint32_t count, double minPeriod,
                             double secondaryPhase, double limit, vlist::CList& periods) {
  ClearPeriodList(periods);
  if (count < kMinSearchMinima || count > kMaxSearchMinima) return;
  if (!(minPeriod > 0.0) || !std::isfinite(minPeriod)) return;

  std::uint32_t undefined = 0;
  for (std::uint32_t l = 0; l < count; ++l)
    if (minima[l].type == ombrix_data::minUndefined) ++undefined;

  bool primary[kMaxSearchMinima];
  const TPair longest = LongestPair(minima, count);
  std::vector<TCandidate> candidates;
  std::vector<TCandidate> result;
  const std::uint64_t variants = std::uint64_t{1} << undefined;
  for (std::uint64_t v = 0; v < variants; ++v) {
    AssignTypes(minima, count, static_cast<std::uint32_t>(v), primary);
    candidates.clear();
    ProposeCandidates(minima, primary, count, minPeriod, secondaryPhase, candidates);
    MergeCandidates(candidates);
    for (TCandidate& c : candidates) {
      c.score = MinimaPhaseScore(minima, primary, count, c.period, secondaryPhase);
      if (c.score < limit && c.merged > 1)
        TakeBestProposalOfLongestPair(minima, primary, count, longest, minPeriod, secondaryPhase, c);
      if (c.score >= limit) MergeIntoResult(c, result);
    }
  }

  for (const TCandidate& r : result) {
    auto* elem = new CPeriodListElem;
    elem->period = r.period;
    elem->key = r.key;
    elem->score = r.score;
    periods.Append(elem);
  }
}

bool CollectEnabledMinima(const ombrix_data::CObjectListElem& object, TMinimumInstance* minima,
                          std::uint32_t capacity, std::uint32_t& count, bool& truncated,
                          TScaleRefusal& refusal) {
  count = 0;
  truncated = false;
  std::vector<TScaledMinimum> scaled;
  if (!CollectMinimaInScale(object, CommonMinimaScale(object), TSeriesChoice::all, scaled, refusal)) return false;
  for (const TScaledMinimum& m : scaled) {
    if (count == capacity) {
      truncated = true;
      break;
    }
    minima[count++] = {m.time, m.type};
  }
  return true;
}

void PrependObjectPeriod(ombrix_data::CObjectListElem& object) {
  if (object.period == 0.0) return;
  auto* elem = new CPeriodListElem;
  elem->period = object.period;
  object.periods.active = object.periods.first;
  object.periods.InsertBefore(elem);
}

namespace {

void ShowStop(ombrix_data::CUserIO& io, const char* caption, const char* line1,
              const char* line2 = nullptr, const char* line3 = nullptr) {
  io.ShowMessage(TUserMessage{caption, {line1, line2, line3}, TMessageIcon::stop});
}

struct TMinimaSearchValues {
  double minPeriod;
  double limit;
  double secondaryPhase;
};

// The dialog of the command; false on Cancel or when a value is not a number
// (or the minimal period is not positive), after saying so.
bool AskSearchValues(ombrix_data::CUserIO& io, TMinimaSearchValues& values) {
  char texts[3][32] = {"0.1", "0.999", "0.5"};
  ombrix_data::TTextField fields[3] = {
      {"Minimal period [d]:", 31, texts[0]},
      {"Phase difference limit:", 31, texts[1]},
      {"Secondary minimum phase:", 31, texts[2]},
  };
  if (!io.EditTexts("Find periods from minima instances", fields, 3)) return false;
  double parsed[3];
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    parsed[i] = Str::StrToRealA(31, texts[i], ok);
    if (!ok || !std::isfinite(parsed[i]) || (i == 0 && parsed[i] <= 0.0)) {
      io.ShowMessage(TUserMessage{"Find periods from minima instances",
                                  {"Invalid value of", fields[i].label, nullptr},
                                  TMessageIcon::exclamation});
      return false;
    }
  }
  values = {parsed[0], parsed[1], parsed[2]};
  return true;
}

}  // namespace

bool FindPeriodsFromMinima(ombrix_data::CObjectListElem& object, ombrix_data::CUserIO& io,
                           TPeriodComboPane& pane) {
  TMinimumInstance minima[kMaxCollectedMinima];
  bool truncated = false;
  std::uint32_t count = 0;
  TScaleRefusal refusal;
  if (!CollectEnabledMinima(object, minima, kMaxCollectedMinima, count, truncated, refusal)) {
    ShowStop(io, "Cannot find period", refusal.first.c_str(), refusal.second.c_str());
    return false;
  }
  if (truncated) {
    char used[48];
    std::snprintf(used, sizeof used, "Only first %u minima used for estimation", kMaxCollectedMinima);
    io.ShowMessage(TUserMessage{"Too many minima", {used, nullptr, nullptr}, TMessageIcon::information});
  }
  if (count < kMinSearchMinima) {
    char needed[48];
    std::snprintf(needed, sizeof needed, "At last %u minima needed to find period", kMinSearchMinima);
    ShowStop(io, "Cannot find period", needed);
    return false;
  }
  TMinimaSearchValues values;
  if (!AskSearchValues(io, values)) return false;

  // The search assumes ascending times; minima of different series may interleave.
  std::stable_sort(minima, minima + count, [](const TMinimumInstance& a,
                                              const TMinimumInstance& b) { return a.time < b.time; });
  pane.SetBusy(true);
  SearchPeriodsFromMinima(minima, count, values.minPeriod, values.secondaryPhase, values.limit,
                          object.periods);
  pane.SetBusy(false);
  const bool found = !object.periods.Empty();
  PrependObjectPeriod(object);
  pane.RefillPeriods(object.periods);
  if (!found) {
    ShowStop(io, "Cannot find period", "No period fits defined minima. Try to:",
             "- lower Phase difference limit",
             "- remove (possibly wrong) Primary/Secondary attribute (set minima type Undefined)");
  } else {
    io.ShowMessage(TUserMessage{"Possible periods were found",
                                {"All found periods fitting defined minima",
                                 "were added as items of period combo-box \"P:\"", nullptr},
                                TMessageIcon::information});
  }
  return true;
}

}  // namespace ombrix_analysis
