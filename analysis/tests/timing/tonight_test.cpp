#include "ombrix_analysis/tonight.h"

#include <gtest/gtest.h>

#include <cmath>

#include <ombrix_model/angles.h>
#include <ombrix_model/astro.h>
#include <ombrix_model/light_curve_model.h>
#include <runbase/os.h>

namespace ombrix_analysis {
namespace {

using ombrix_model::SunAltitude;

// A site in central Europe; 2024-01-15 is a long winter night there.
TNightSite Site() {
  TNightSite s;
  s.latitude = 49.91;
  s.longitude = 14.78;
  return s;
}

const double kDate = os::JD(2024, 1, 15, 0.0);

TEST(Tonight, NightRunsBetweenTheSunsLimitCrossings) {
  const TNightSite site = Site();
  double start = 0, end = 0;
  std::string failure;
  ASSERT_TRUE(FindNight(site, kDate, start, end, failure)) << failure;
  EXPECT_NEAR(SunAltitude(start, site.latitude, site.longitude), -12.0, 0.01);
  EXPECT_NEAR(SunAltitude(end, site.latitude, site.longitude), -12.0, 0.01);
  EXPECT_LT(SunAltitude(0.5 * (start + end), site.latitude, site.longitude), -40.0);
  // Dusk on the evening of the 15th (about 16:40 UT), dawn on the 16th.
  EXPECT_NEAR(start, kDate + 16.7 / 24, 0.5 / 24);
  EXPECT_NEAR(end - start, 13.3 / 24, 0.5 / 24);

  TNightSite unset = site;
  unset.longitude = 0;
  EXPECT_FALSE(FindNight(unset, kDate, start, end, failure));
  EXPECT_EQ(failure, "The observer's site is not set (latitude and longitude).");
  TNightSite arctic = site;
  arctic.latitude = 78.0;
  EXPECT_FALSE(FindNight(arctic, os::JD(2024, 6, 21, 0.0), start, end, failure));
  EXPECT_EQ(failure, "The Sun does not sink below the altitude limit that night.");
}

class TonightField : public testing::Test {
 protected:
  ombrix_data::CObjectListElem* Add(const char* name, double m0, double period, double raHours, double decDegrees) {
    auto* o = new ombrix_data::CObjectListElem;
    std::snprintf(o->name, sizeof o->name, "%s", name);
    o->m0 = m0;
    o->period = period;
    o->metaDataSource = ombrix_data::mdsManualEntry;
    o->metaData.var.ra = ombrix_model::HoursToRadians(raHours);
    o->metaData.var.dec = ombrix_model::DegreesToRadians(decDegrees);
    field.Append(o);
    return o;
  }
  ombrix_data::CField field;
};

// A circumpolar short-period binary with a fit: every primary and
// secondary minimum of the night, in time order, with start and end from
// the fitted widths; objects without elements or coordinates are named.
TEST_F(TonightField, EveryMinimumOfTheNightWithWidthsAndAltitudes) {
  ombrix_data::CObjectListElem* binary = Add("fast", 2459000.1234, 0.3, 3.0, 80.0);
  ombrix_model::ResetFitParameters(binary->fit);
  binary->fit[ombrix_model::fpSecPhase] = 0.5;
  binary->fit[ombrix_model::fpDPri] = 0.03;
  binary->fit[ombrix_model::fpDSec] = 0.03;
  ombrix_model::PrepareLightCurveModel(binary->fit);
  binary->fitPresent = true;
  Add("no period", 2459000.0, 0.0, 3.0, 80.0);
  Add("nowhere", 2459000.0, 1.0, 3.0, 80.0)->metaData.var.dec = ombrix_data::kUnknownDec;

  TNightPlan plan;
  std::string failure;
  ASSERT_TRUE(PlanNight(field, Site(), kDate, plan, failure)) << failure;
  // A night of about 13.3 h holds 88 or 89 half periods of 0.15 d.
  ASSERT_GE(plan.eclipses.size(), 3u);
  ASSERT_LE(plan.eclipses.size(), 4u);
  const double halfWidth = ombrix_model::EclipseHalfWidth(binary->fit, true) * binary->period;
  for (std::size_t i = 0; i < plan.eclipses.size(); ++i) {
    const TNightEclipse& e = plan.eclipses[i];
    EXPECT_GE(e.utc[emMiddle], plan.nightStart);
    EXPECT_LE(e.utc[emMiddle], plan.nightEnd);
    EXPECT_TRUE(e.widthKnown);
    EXPECT_NEAR(e.utc[emEnd] - e.utc[emMiddle], halfWidth, 1e-9);
    EXPECT_NEAR(e.utc[emMiddle] - e.utc[emStart], halfWidth, 1e-9);
    EXPECT_LT(e.sunAltitude[emMiddle], -12.0);
    EXPECT_GT(e.objectAltitude[emMiddle], 0.0);  // circumpolar
    EXPECT_NEAR(std::fmod(e.cycle, 1.0) == 0.0 ? 0.0 : 0.5, std::fabs(std::fmod(e.cycle, 1.0)), 1e-12);
    EXPECT_EQ(e.type, std::fmod(e.cycle, 1.0) == 0.0 ? ombrix_data::minPrimary : ombrix_data::minSecondary);
    // HJD back to UTC: the minimum's middle lies within the light time.
    EXPECT_NEAR(e.utc[emMiddle], e.minimum, 0.006);
    if (i > 0) {
      // Half a period apart, give or take the light time's change.
      EXPECT_NEAR(e.utc[emMiddle] - plan.eclipses[i - 1].utc[emMiddle], 0.15, 2e-5);
    }
  }
  ASSERT_EQ(plan.skipped.size(), 2u);
  EXPECT_STREQ(plan.skipped[0].reason, "no M0 or period");
  EXPECT_STREQ(plan.skipped[1].reason, "no coordinates");

  // An object low in the south at midnight is left out with the star limit.
  Add("low", 2459000.0, 0.41, 20.0, -30.0);
  TNightSite limited = Site();
  limited.useStarAltitude = true;
  limited.starAltitude = 25.0;
  TNightPlan withLimit;
  ASSERT_TRUE(PlanNight(field, limited, kDate, withLimit, failure));
  for (const TNightEclipse& e : withLimit.eclipses) EXPECT_GE(e.objectAltitude[emMiddle], 25.0);
  TNightPlan without;
  ASSERT_TRUE(PlanNight(field, Site(), kDate, without, failure));
  EXPECT_GT(without.eclipses.size(), withLimit.eclipses.size());
}

// M0 in BJD_TDB: the minimum's UTC middle is found through the inverse
// conversion; without a fit start and end equal the middle.
TEST_F(TonightField, BarycentricEphemerisIsPlannedInUtc) {
  ombrix_data::CObjectListElem* o = Add("tess", 2459000.2, 0.37, 18.0, 60.0);
  o->m0Scale = ombrix_model::tsBJDTDB;
  TNightPlan plan;
  std::string failure;
  ASSERT_TRUE(PlanNight(field, Site(), kDate, plan, failure)) << failure;
  ASSERT_FALSE(plan.eclipses.empty());
  for (const TNightEclipse& e : plan.eclipses) {
    EXPECT_FALSE(e.widthKnown);
    EXPECT_EQ(e.utc[emStart], e.utc[emMiddle]);
    double bjd = 0;
    ASSERT_TRUE(ombrix_model::BarycentricJD(e.utc[emMiddle], o->metaData.var.ra, o->metaData.var.dec, bjd));
    EXPECT_NEAR(bjd, e.minimum, 1e-9);
    EXPECT_EQ(e.scale, ombrix_model::tsBJDTDB);
  }
}

}  // namespace
}  // namespace ombrix_analysis
