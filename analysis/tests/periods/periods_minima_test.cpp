// Period search from minima: candidates, merging, scores, variants and the command.
#include "ombrix_analysis/periods_minima.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace ombrix_analysis {
namespace {

using ombrix_data::CPeriodListElem;
using ombrix_data::minPrimary;
using ombrix_data::minSecondary;
using ombrix_data::minUndefined;

struct TFound {
  double period;
  std::int64_t key;
  double score;
};

std::vector<TFound> ListOf(const vlist::CList& list) {
  std::vector<TFound> out;
  for (vlist::CListElem* e = list.first; e; e = e->next) {
    const auto* p = static_cast<const CPeriodListElem*>(e);
    out.push_back({p->period, p->key, p->score});
  }
  return out;
}

std::vector<TFound> Search(const std::vector<TMinimumInstance>& minima, double minPeriod,
                           double limit, double secondaryPhase = 0.5) {
  vlist::CList list;
  SearchPeriodsFromMinima(minima.data(), static_cast<std::uint32_t>(minima.size()), minPeriod,
                          secondaryPhase, limit, list);
  auto found = ListOf(list);
  list.DisposeList();
  return found;
}

TEST(SearchPeriodsFromMinima, ThreePrimaryMinimaKeepOnlyPeriodsThatAlignAll) {
  const std::vector<TMinimumInstance> minima = {{0, minPrimary}, {1, minPrimary}, {3, minPrimary}};
  const auto found = Search(minima, 0.4, 0.999);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_DOUBLE_EQ(found[0].period, 1.0);
  EXPECT_EQ(found[0].key, 1000);
  EXPECT_NEAR(found[0].score, 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(found[1].period, 0.5);
  EXPECT_NEAR(found[1].score, 1.0, 1e-12);

  // Without a limit every distinct proposal is kept: 1, 0.5, 3, 1.5, 0.75,
  // 0.6, 3/7, 2, 2/3 and 0.4; 2/3 scores 1/3.
  const auto all = Search(minima, 0.4, 0.0);
  ASSERT_EQ(all.size(), 10u);
  int twoThirds = 0;
  for (const auto& f : all) {
    if (std::abs(f.period - 2.0 / 3.0) > 1e-12) continue;
    ++twoThirds;
    EXPECT_NEAR(f.score, 1.0 / 3.0, 1e-12);
  }
  EXPECT_EQ(twoThirds, 1);
}

TEST(SearchPeriodsFromMinima, KeysAreRoundedThousandthsOfADay) {
  struct {
    double period;
    std::int64_t key;
  } const cases[] = {{1.0001, 1000}, {1.0004, 1000}, {1.0006, 1001}, {0.9995, 1000}, {2.4611357, 2461}};
  for (const auto& c : cases) EXPECT_EQ(PeriodKey(c.period), c.key) << c.period;
}

TEST(SearchPeriodsFromMinima, ProposalsWithOneKeyMergeIntoTheirMean) {
  // The pairs propose 1.0001, 1.00025 and 1.0004, all with key 1000.
  const std::vector<TMinimumInstance> minima = {
      {0, minPrimary}, {1.0001, minPrimary}, {2.0005, minPrimary}};
  const auto found = Search(minima, 0.6, 0.999);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NEAR(found[0].period, 1.00025, 1e-12);
  EXPECT_EQ(found[0].key, 1000);
}

TEST(SearchPeriodsFromMinima, ScoreAgainstTheDefaultLimit) {
  const bool primary[3] = {true, true, true};
  struct {
    double deviation;
    double score;
    bool passes;
  } const cases[] = {{0.005, 0.99967, true}, {0.01, 0.99869, false}, {0.0, 1.0, true}};
  for (const auto& c : cases) {
    const TMinimumInstance minima[3] = {
        {0, minPrimary}, {1 + c.deviation, minPrimary}, {2 - c.deviation, minPrimary}};
    const double r = MinimaPhaseScore(minima, primary, 3, 1.0, 0.5);
    EXPECT_NEAR(r, c.score, 1e-5) << c.deviation;
    EXPECT_EQ(r >= 0.999, c.passes) << c.deviation;
  }
}

TEST(SearchPeriodsFromMinima, SecondaryMinimaAreExpectedAtTheSecondaryPhase) {
  const bool types[3] = {true, false, true};
  const TMinimumInstance minima[3] = {{0, minPrimary}, {1.3, minSecondary}, {2, minPrimary}};
  EXPECT_NEAR(MinimaPhaseScore(minima, types, 3, 1.0, 0.3), 1.0, 1e-12);
  const bool reversed[3] = {false, true, false};
  const TMinimumInstance shifted[3] = {{0, minSecondary}, {0.7, minPrimary}, {2, minSecondary}};
  EXPECT_NEAR(MinimaPhaseScore(shifted, reversed, 3, 1.0, 0.3), 1.0, 1e-12);
}

TEST(SearchPeriodsFromMinima, UndefinedMinimumIsTriedAsPrimaryAndAsSecondary) {
  // As secondary (variant 0) only 1 fits, as primary only 0.5: the list holds
  // both, the earlier variant's first at equal scores.
  const std::vector<TMinimumInstance> minima = {{0, minPrimary}, {0.5, minUndefined}, {1, minPrimary}};
  const auto found = Search(minima, 0.4, 0.999);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_DOUBLE_EQ(found[0].period, 1.0);
  EXPECT_DOUBLE_EQ(found[1].period, 0.5);

  const std::vector<TMinimumInstance> fixed = {{0, minPrimary}, {0.5, minPrimary}, {1, minPrimary}};
  const auto primaryOnly = Search(fixed, 0.4, 0.999);
  ASSERT_EQ(primaryOnly.size(), 1u);
  EXPECT_DOUBLE_EQ(primaryOnly[0].period, 0.5);
}

TEST(SearchPeriodsFromMinima, ListIsLimitedAndOrderedByScore) {
  const std::vector<TMinimumInstance> minima = {
      {0, minPrimary}, {1.37, minUndefined}, {5.2, minSecondary}, {11.9, minPrimary}};
  const auto found = Search(minima, 0.05, 0.0);
  ASSERT_EQ(found.size(), kMaxFoundPeriods);
  for (std::size_t i = 1; i < found.size(); ++i) {
    EXPECT_GE(found[i - 1].score, found[i].score);
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(found[i].key, found[j].key);
  }
}

// Over hundreds or thousands of cycles a key holds proposals of different
// periods; their mean fits nothing, but the period that fits every minimum
// must still come first, with its score.
TEST(SearchPeriodsFromMinima, MinimaOverManyCyclesGiveTheirPeriodFirst) {
  struct TCycle {
    double cycle;  // whole for primaries, half for secondaries
    ombrix_data::TMinimumType type;
    double error;  // days
  };
  struct {
    const char* name;
    double period;
    std::vector<TCycle> cycles;
  } const cases[] = {
      {"exact, 200 days", 0.2987741,
       {{0, minPrimary, 0}, {3, minPrimary, 0}, {41.5, minSecondary, 0}, {260, minPrimary, 0},
        {669, minPrimary, 0}}},
      {"eight minima over ten years, timed to 0.0003 d", 0.3841765,
       {{0, minPrimary, 0.0002}, {1, minPrimary, -0.0003}, {950.5, minSecondary, 0.0001},
        {2311, minPrimary, -0.0001}, {4402, minUndefined, 0.0003}, {6017.5, minSecondary, -0.0002},
        {8999, minPrimary, 0.0}, {9506, minPrimary, 0.0002}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TMinimumInstance> minima;
    for (const TCycle& k : c.cycles)
      minima.push_back({2459000.3127 + k.cycle * c.period + k.error, k.type});
    const auto found = Search(minima, 0.1, 0.999);
    EXPECT_FALSE(found.empty());
    if (found.empty()) continue;
    EXPECT_NEAR(found[0].period, c.period, 1e-7);
    EXPECT_EQ(found[0].key, PeriodKey(c.period));
    EXPECT_GT(found[0].score, 0.9999);
  }
}

TEST(SearchPeriodsFromMinima, OutOfRangeInputLeavesTheListEmpty) {
  vlist::CList list;
  list.Append(new CPeriodListElem);
  const TMinimumInstance two[2] = {{0, minPrimary}, {1, minPrimary}};
  SearchPeriodsFromMinima(two, 2, 0.1, 0.5, 0.9, list);
  EXPECT_TRUE(list.Empty());
  const TMinimumInstance three[3] = {{0, minPrimary}, {1, minPrimary}, {2, minPrimary}};
  SearchPeriodsFromMinima(three, 3, 0.0, 0.5, 0.9, list);
  EXPECT_TRUE(list.Empty());
  // A pair whose later minimum is not later in time proposes nothing.
  const TMinimumInstance same[3] = {{1, minPrimary}, {1, minPrimary}, {1, minPrimary}};
  SearchPeriodsFromMinima(same, 3, 0.1, 0.5, 0.0, list);
  EXPECT_TRUE(list.Empty());
}

// The command, on an object whose minima sit on one series.
class FindPeriodsFromMinimaTest : public ::testing::Test {
 protected:
  ombrix_data::CObjectListElem object;
  ombrix_data::CScriptedUserIO io;
  struct TPane : TPeriodComboPane {
    std::vector<double> combo;
    void RefillPeriods(const vlist::CList& periods) override {
      combo.clear();
      for (vlist::CListElem* e = periods.first; e; e = e->next)
        combo.push_back(static_cast<const CPeriodListElem*>(e)->period);
    }
  } pane;

  ombrix_data::CSeriesTreeElem* AddSeries(double start) {
    auto* s = new ombrix_data::CSeriesTreeElem;
    s->InsertPoint({start, 10.0, 0.01});
    object.InsertSeries(s);
    return s;
  }
};

TEST_F(FindPeriodsFromMinimaTest, FindsPeriodsAndPutsTheObjectsOwnFirst) {
  auto* s = AddSeries(0);
  s->minima.Add(minPrimary, 100.0, 0.001);
  s->minima.Add(minPrimary, 101.0, 0.001, false);  // disabled: left out
  s->minima.Add(minPrimary, 102.0, 0.001);
  AddSeries(200)->minima.Add(minPrimary, 105.0, 0.001);
  object.period = 3.3;
  io.dialogTexts.push_back({"0.9", "0.999", "0.5"});
  EXPECT_TRUE(FindPeriodsFromMinima(object, io, pane));
  ASSERT_EQ(pane.combo.size(), 2u);
  EXPECT_DOUBLE_EQ(pane.combo[0], 3.3);
  EXPECT_DOUBLE_EQ(pane.combo[1], 1.0);
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[0].caption, "Find periods from minima instances");
  EXPECT_EQ(io.shown[0].lines, (std::vector<std::string>{"Minimal period [d]:",
                                                          "Phase difference limit:",
                                                          "Secondary minimum phase:"}));
  EXPECT_EQ(io.shown[1].caption, "Possible periods were found");
  EXPECT_EQ(io.shown[1].lines.at(1), "were added as items of period combo-box \"P:\"");
}

TEST_F(FindPeriodsFromMinimaTest, NoFittingPeriodStillOffersTheObjectsOwn) {
  auto* s = AddSeries(0);
  for (double t : {0.0, 1.0, 2.01}) s->minima.Add(minPrimary, t, 0.001);
  object.period = 0.7;
  io.dialogTexts.push_back({"0.9", "0.99999", "0.5"});
  EXPECT_TRUE(FindPeriodsFromMinima(object, io, pane));
  EXPECT_EQ(pane.combo, std::vector<double>{0.7});
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[1].caption, "Cannot find period");
  EXPECT_EQ(io.shown[1].icon, ombrix_data::TMessageIcon::stop);
  EXPECT_EQ(io.shown[1].lines.size(), 3u);
}

TEST_F(FindPeriodsFromMinimaTest, TooFewOrTooManyMinima) {
  auto* s = AddSeries(0);
  s->minima.Add(minPrimary, 0.0, 0.001);
  s->minima.Add(minPrimary, 1.0, 0.001);
  EXPECT_FALSE(FindPeriodsFromMinima(object, io, pane));
  ASSERT_EQ(io.shown.size(), 1u);
  EXPECT_EQ(io.shown[0].lines.at(0), "At last 3 minima needed to find period");

  for (int i = 2; i < 10; ++i) s->minima.Add(minPrimary, i, 0.001);
  io.shown.clear();
  EXPECT_FALSE(FindPeriodsFromMinima(object, io, pane));  // dialog cancelled
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[0].caption, "Too many minima");
  EXPECT_EQ(io.shown[0].lines.at(0), "Only first 8 minima used for estimation");
  EXPECT_EQ(io.shown[1].kind, ombrix_data::CScriptedUserIO::TRecord::TKind::dialog);
}

TEST_F(FindPeriodsFromMinimaTest, NonPositiveMinimalPeriodIsRefused) {
  auto* s = AddSeries(0);
  for (double t : {0.0, 1.0, 2.0}) s->minima.Add(minPrimary, t, 0.001);
  io.dialogTexts.push_back({"0", "0.999", "0.5"});
  EXPECT_FALSE(FindPeriodsFromMinima(object, io, pane));
  EXPECT_TRUE(object.periods.Empty());
  ASSERT_EQ(io.shown.size(), 2u);
  EXPECT_EQ(io.shown[1].icon, ombrix_data::TMessageIcon::exclamation);
}

}  // namespace
}  // namespace ombrix_analysis
