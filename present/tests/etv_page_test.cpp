// The ETV Diagram page: ephemeris fits over the O-C points, "Apply
// ephemeris" and minima of time scales that cannot be combined.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <winkit/vimage.h>
#include <winkit/view.h>

#include "ombrix_present/etv_page.h"

namespace {

using namespace ombrix_lc;
using ombrix_data::CLocalSeriesTreeElem;

constexpr double kM0 = 2459000.0;
constexpr double kPeriod = 0.8;
constexpr double kQuadratic = 1e-7;  // dP/dE = 2e-7 d per cycle

// The page's owner: keeps the codes of the events that reach it.
class CRecordingParent : public view::CNodeView {
 public:
  void ReceiveEvent(vcore::TEvent& event) override {
    if (event.kind == vcore::evControl) codes.push_back(event.code);
  }
  std::vector<std::uint32_t> codes;
};

// The number that follows `key` in text; NaN when there is none.
double NumberAfter(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return std::nan("");
  double value = 0;
  const char* first = text.data() + at + key.size();
  const auto r = std::from_chars(first, text.data() + text.size(), value);
  return r.ec == std::errc() ? value : std::nan("");
}

class ETVPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    object.Init();
    object.m0 = kM0 + 0.001;  // a little off: the fits correct it
    object.period = kPeriod;
    ASSERT_TRUE(owner.Init(nullptr, vcom::CRect(0, 0, 900, 600)));
    ASSERT_TRUE(page.Init(&owner, vcom::CRect(0, 0, 900, 600)));
    page.ETVChart().NewRect(vcom::CRect(0, 0, 900, 520));  // laid out as a shown window would
  }
  void TearDown() override {
    page.Done();
    owner.Done();
    object.Done();
  }
  CLocalSeriesTreeElem* AddSeries(ombrix_data::TJDType jdType, double start = kM0) {
    auto* s = new CLocalSeriesTreeElem;
    s->InsertPoint({start, 12.0, 0.01});
    s->dataMetaData.jdType = jdType;
    EXPECT_TRUE(object.InsertSeries(s));
    return s;
  }
  // Minima every 20 cycles of a period growing by dP/dE, with a secondary
  // among them and a small alternating scatter.
  CLocalSeriesTreeElem* AddPeriodChange() {
    auto* s = AddSeries(ombrix_data::jdHeliocentric);
    for (int e = 0; e <= 200; e += 20) {
      const double scatter = (e / 20) % 2 ? 0.00005 : -0.00005;
      s->minima.Add(ombrix_data::minPrimary, kM0 + kPeriod * e + kQuadratic * e * e + scatter, 0.0001);
    }
    const double e = 110.5;
    s->minima.Add(ombrix_data::minSecondary, kM0 + kPeriod * e + kQuadratic * e * e, 0.0001);
    return s;
  }
  TBuildRequest Request(const CSeriesTreeElem* selected = nullptr) {
    TBuildRequest r;
    r.object = &object;
    r.selected = selected;
    return r;
  }
  ombrix_data::CObjectListElem object;
  CRecordingParent owner;
  CETVPage page;
};

TEST_F(ETVPageTest, QuadraticFitShowsThePeriodChangeAndItsCurve) {
  const auto* s = AddPeriodChange();
  page.Show(Request(s));
  EXPECT_EQ(page.ETVChart().XLabel(), "HJD");
  ASSERT_EQ(page.ETVChart().Points().size(), 12u);
  // The linear fit: no dP/dE; cycles of the selected series with the secondary's half.
  EXPECT_EQ(page.ResultLine(0).find("dP/dE"), std::string::npos);
  EXPECT_NEAR(NumberAfter(page.ResultLine(0), "M0 = "), kM0, 0.002) << page.ResultLine(0);
  EXPECT_EQ(page.ResultLine(2), "Cycles: E = 0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 110.5");
  page.SetQuadratic(true);
  const std::string elements = page.ResultLine(0);
  EXPECT_NEAR(NumberAfter(elements, "dP/dE = "), 2 * kQuadratic, 0.2 * kQuadratic) << elements;
  EXPECT_NEAR(NumberAfter(elements, "M0 = "), kM0, 0.0005) << elements;
  const std::string residuals = page.ResultLine(1);
  EXPECT_NEAR(NumberAfter(residuals, "RMS = "), 0.00005, 0.00003) << residuals;
  EXPECT_GT(NumberAfter(residuals, "reduced chi-square = "), 0.0) << residuals;
  EXPECT_EQ(residuals.substr(residuals.size() - 5), "  HJD");
  // The fitted O-C bends over the plot.
  ASSERT_GT(page.ETVChart().CurveX().size(), 100u);
  EXPECT_TRUE(page.ETVChart().HasFittedCurve());

  vimage::CImage shot;
  ASSERT_TRUE(page.Grab(shot));
  char why[256] = {};
  EXPECT_TRUE(shot.Save("/tmp/etv_page.png", vimage::ifPNG, 0, sizeof why, why)) << why;
}

TEST_F(ETVPageTest, ApplyStoresTheFittedElementsAndTellsTheOwner) {
  AddPeriodChange();
  page.Show(Request());
  const ombrix_analysis::TEphemerisSolution fitted = page.Analysis().linear;
  ASSERT_TRUE(fitted.valid);
  ASSERT_TRUE(page.ApplyEphemeris());
  EXPECT_DOUBLE_EQ(object.m0, fitted.m0);
  EXPECT_DOUBLE_EQ(object.period, fitted.period);
  EXPECT_EQ(object.m0Scale, ombrix_model::tsHJD);
  ASSERT_EQ(owner.codes.size(), 1u);
  EXPECT_EQ(owner.codes[0], kETVEphemerisAppliedId);
  // Rebuilt against the applied elements: the linear fit now corrects nothing.
  EXPECT_NEAR(page.Analysis().linear.m0, object.m0, 1e-7);
  EXPECT_NEAR(page.Analysis().referencePeriod, fitted.period, 1e-12);
}

TEST_F(ETVPageTest, TooFewMinimaForTheQuadraticFitSayHowManyAreNeeded) {
  auto* s = AddSeries(ombrix_data::jdHeliocentric);
  for (int e : {0, 10, 20}) s->minima.Add(ombrix_data::minPrimary, kM0 + kPeriod * e, 0.0003);
  page.SetQuadratic(true);
  page.Show(Request());
  EXPECT_EQ(page.ResultLine(0), "At least 4 enabled minima are needed for a quadratic ephemeris.");
  EXPECT_FALSE(page.ApplyEphemeris());
  EXPECT_TRUE(owner.codes.empty());
  EXPECT_FALSE(page.ETVChart().HasFittedCurve());
}

TEST_F(ETVPageTest, MixedScalesWithoutCoordinatesAreRefusedNotMixed) {
  AddPeriodChange();
  auto* tess = AddSeries(ombrix_data::jdBarycentric, kM0 + 240);
  tess->minima.Add(ombrix_data::minPrimary, kM0 + kPeriod * 300, 0.0001);
  page.Show(Request());
  EXPECT_TRUE(page.ETVChart().Points().empty());
  EXPECT_EQ(page.ResultLine(0), "Minima in BJD_TDB and HJD cannot be combined");
  EXPECT_EQ(page.ResultLine(1), "without the object's coordinates (RA, Dec).");
  EXPECT_FALSE(page.ApplyEphemeris());
  // With M0 in BJD_TDB the axis says so.
  object.m0Scale = ombrix_model::tsBJDTDB;
  page.Show(Request());
  EXPECT_EQ(page.ETVChart().XLabel(), "BJD_TDB");
  EXPECT_EQ(page.ResultLine(0), "Minima in HJD and BJD_TDB cannot be combined");
}

}  // namespace
