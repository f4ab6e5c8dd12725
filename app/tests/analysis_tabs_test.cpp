// The fit and minimum tabs on the sample field: the phase-curve fit with its
// messages and fields, and the buttons around it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <ombrix_testsupport/temp_folder.h>
#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"
#include "sample_field_window.h"
#include "ombrix_app/period_commands.h"

using namespace ombrix_app;

namespace {

double Number(const vcont::CEditBox& box) { return std::stod(box.Text()); }

// Threads of this process.
std::size_t ThreadCount() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// Answers the next text-fields dialog with OK and these texts.
void AnswerTexts(vdlg::CScriptedDialogs& dialogs, std::vector<std::string> texts) {
  dialogs.AnswerOK([texts](vwin::COKCancelDialog& d) {
    auto& fields = static_cast<CTextFieldsDialog&>(d);
    for (std::uint32_t i = 0; i < texts.size() && i < fields.Count(); ++i) fields.Edit(i).SetText(texts[i].c_str());
  });
}

// Fills the spin fields of "Find periods by Frequency analysis" and confirms.
void AnswerFrequencySettings(vdlg::CScriptedDialogs& dialogs, double minPeriod, double maxPeriod, double resolution) {
  dialogs.AnswerOK([=](vwin::COKCancelDialog& d) {
    auto& settings = dynamic_cast<CFrequencySettingsDialog&>(d);
    settings.fields[0].SetValue(minPeriod, true);
    settings.fields[1].SetValue(maxPeriod, true);
    settings.fields[2].SetValue(resolution, true);
  });
}

// The CM Dra primary eclipse observed by TESS as a magnitude series.
ombrix_data::CSeriesTreeElem* CMDraEclipseSeries() {
  std::ifstream in(std::string(OMBRIX_SHARED_DATA) + "/lightcurves/CMDra_TESS_E7024.lc");
  auto* s = new ombrix_data::CLocalSeriesTreeElem;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double t, flux;
    if (fields >> t >> flux) s->InsertPoint({t + 2400000.0, -2.5 * std::log10(flux), 0.0});
  }
  return s;
}

class AnalysisTabsTest : public SampleFieldWindowTest {
 protected:
  CPhasedFitPage& FitPage() { return Pane().phasedFitPage; }
  CMinimumFitPage& MinimumPage() { return Pane().minimumPage; }
  // Appends CM Dra with its eclipse to the field and shows it on the Minimum Fit tab.
  void ShowCMDraEclipse() {
    auto* o = new ombrix_data::CObjectListElem;
    std::strncpy(o->name, "CM Dra", sizeof o->name - 1);
    o->period = 1.2683900;
    ombrix_data::CSeriesTreeElem* s = CMDraEclipseSeries();
    ASSERT_GE(s->pointCount, 30u);
    ASSERT_TRUE(o->InsertSeries(s));
    Pane().field.Append(o);
    Pane().FieldReplaced();
    ASSERT_TRUE(Pane().SelectObject(static_cast<std::int32_t>(Pane().field.Count()) - 1));
    Pane().SelectSeries(0);
    ShowTab(6);
  }
  // With OMBRIX_SCREENSHOT_DIR set, the window is saved there as a PNG picture.
  void Screenshot(const char* name) {
    const char* folder = std::getenv("OMBRIX_SCREENSHOT_DIR");
    if (!folder) return;
    window.SetRect(vcom::CRect(0, 0, 1500, 900));
    Pump();
    vimage::CImage image;
    ASSERT_TRUE(window.Grab(image));
    char why[128] = "";
    EXPECT_TRUE(image.Save((std::string(folder) + "/" + name).c_str(), vimage::ifPNG, 0, sizeof why - 1, why)) << why;
  }
};

TEST_F(AnalysisTabsTest, FittingThePhasedCurveUpdatesFieldsObjectChartAndTellsTheChiSquares) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ShowTab(4);
  ombrix_data::CObjectListElem& object = *Pane().SelectedObject();
  const ombrix_model::TFitParameters stored = object.fit;
  // The fields start from the stored fit and the chart shows its model.
  EXPECT_NEAR(Number(FitPage().fields[0]), stored.value[0], 1e-6);
  EXPECT_TRUE(FitPage().PhasedChart()->HasModel());
  EXPECT_FALSE(FitPage().maxMagBox.Text().empty());
  // The boxes hold the model's brightest and faintest magnitude moved by the
  // comparison stars' mean catalogue magnitude.
  ombrix_data::CMetaData meta;
  object.GetEffectiveMetaData(meta);
  double sum = 0;
  int count = 0;
  for (std::uint32_t i = 0; i < meta.cmpCount; ++i)
    if (meta.cmp[i].catalogMag < ombrix_data::kUnknownMagnitude) sum += meta.cmp[i].catalogMag, ++count;
  ASSERT_GT(count, 0);
  const ombrix_lc::CLightCurveFitPane& chart = *FitPage().PhasedChart();
  EXPECT_NEAR(Number(FitPage().maxMagBox), chart.ModelMin() + sum / count, 1e-3);
  EXPECT_NEAR(Number(FitPage().minMagBox), chart.ModelMax() + sum / count, 1e-3);

  // Move Mag0 away and fit it with the eclipse depths; the rest stays fixed.
  FitPage().SetField(ombrix_model::fpMag0, stored.value[0] + 0.2);
  for (int i = 0; i < ombrix_model::FitParameterCount; ++i)
    FitPage().SetFree(i, i == ombrix_model::fpMag0 || i == ombrix_model::fpAPri);
  window.modified = false;
  dialogs.AnswerButton(vdlg::mrOK);
  FitPage().fitButton.Press();
  Pump();
  ASSERT_EQ(dialogs.Shown().size(), 1u) << dialogs.Transcript();
  const vdlg::TShownDialog& shown = dialogs.Shown()[0];
  EXPECT_EQ(shown.caption, "Phase curve fitting OK");
  ASSERT_EQ(shown.lines.size(), 3u);
  EXPECT_EQ(shown.lines[0].rfind("Number of data points: ", 0), 0u);
  EXPECT_EQ(shown.lines[0], "Number of data points: " + std::to_string(FitPage().PhasedChart()->Points().size()));
  EXPECT_EQ(shown.lines[1].rfind("Initial chi^2: ", 0), 0u);
  EXPECT_EQ(shown.lines[2].rfind("Final chi^2: ", 0), 0u);
  EXPECT_LT(std::stod(shown.lines[2].substr(13)), std::stod(shown.lines[1].substr(15)));

  // The fitted Mag0 is back near the stored one, in the field and the object.
  const double fitted = Number(FitPage().fields[0]);
  EXPECT_NEAR(fitted, stored.value[0], 0.02);
  EXPECT_NEAR(object.fit.value[0], fitted, 1e-6);
  // The fixed parameters keep their values.
  EXPECT_NEAR(Number(FitPage().fields[ombrix_model::fpDPri]), stored.value[ombrix_model::fpDPri], 1e-6);
  EXPECT_TRUE(window.modified);
  Screenshot("fit_tab.png");
}

TEST_F(AnalysisTabsTest, EveryBoxClearedSaysNoFreeParametersAndChangesNothing) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ShowTab(4);
  const ombrix_model::TFitParameters stored = Pane().SelectedObject()->fit;
  for (int i = 0; i < ombrix_model::FitParameterCount; ++i) FitPage().SetFree(i, false);
  FitPage().SetField(ombrix_model::fpMag0, stored.value[0] + 0.1);
  dialogs.AnswerButton(vdlg::mrOK);
  FitPage().fitButton.Press();
  Pump();
  EXPECT_EQ(dialogs.Transcript(), "[message] Phase curve fitting failed\nNo free parameters\n");
  EXPECT_EQ(Pane().SelectedObject()->fit.value[0], stored.value[0]);
  // Reset brings the object's values back into the fields; Accept stores edits.
  FitPage().resetButton.Press();
  EXPECT_NEAR(Number(FitPage().fields[0]), stored.value[0], 1e-6);
  FitPage().SetField(ombrix_model::fpMag0, stored.value[0] + 0.1);
  FitPage().acceptButton.Press();
  EXPECT_NEAR(Pane().SelectedObject()->fit.value[0], stored.value[0] + 0.1, 1e-9);
  // A fit changed elsewhere (a pasted text block) shows in the fields.
  Pane().SelectedObject()->fit.value[0] = 10.5;
  Pane().ShowActiveChart();
  EXPECT_NEAR(Number(FitPage().fields[0]), 10.5, 1e-9);
}

TEST_F(AnalysisTabsTest, TooFewPointsRefuseTheFitAndMagnitudesCopyIntoTheObject) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ShowTab(4);
  ombrix_data::CObjectListElem& object = *Pane().SelectedObject();
  FitPage().copyButton.Press();
  EXPECT_DOUBLE_EQ(object.maxMagnitude, Number(FitPage().maxMagBox));
  EXPECT_DOUBLE_EQ(object.minMagnitude, Number(FitPage().minMagBox));

  // Without M0 the phased curve is empty.
  object.m0 = 0;
  Pane().ShowActiveChart();
  dialogs.AnswerButton(vdlg::mrOK);
  FitPage().fitButton.Press();
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Cannot perform parameter fitting\nPhased curve contains too little points.\n"
            "At last 15 points needed for fit.\n");
}

TEST_F(AnalysisTabsTest, FitMinTimesTheCMDraEclipseAndEstErrGivesItsBootstrapError) {
  ShowCMDraEclipse();
  CMinimumFitPage& page = MinimumPage();
  const ombrix_lc::CLightCurvePane& chart = page.Chart();
  ASSERT_GE(chart.Points().size(), 30u);
  // The window starts over the whole eclipse.
  EXPECT_EQ(page.WindowStart(), Pane().SelectedSeries()->FirstTime());
  EXPECT_EQ(page.WindowEnd(), Pane().SelectedSeries()->LastTime());

  // "Est. Err." before a fit is refused.
  dialogs.AnswerButton(vdlg::mrOK);
  page.estimateError.Press();
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Cannot Estimate Error\nMinimum must be properly fitted\nprior to error estimation.\n");
  dialogs.Clear();

  page.fitMinimum.Press();
  Pump();
  EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
  ASSERT_TRUE(page.Fitted());
  EXPECT_NEAR(Number(page.minimumBox), 2458739.9291169, 5e-5);
  EXPECT_GT(Number(page.widthBox), 0.0);
  const auto& c = static_cast<const ombrix_lc::CMinimumFitPane&>(chart);
  EXPECT_GT(c.CurveX().size(), 10u);  // the fitted minimum is drawn
  Screenshot("minimum_tab.png");
  // The window limits and the fitted minimum are markers.
  int limits = 0;
  for (const ombrix_lc::TChartMarker& m : chart.Markers())
    limits += m.kind == ombrix_lc::mkFitStart || m.kind == ombrix_lc::mkFitEnd;
  EXPECT_EQ(limits, 2);

  // The bootstrap keeps the window responsive: an event posted before it
  // starts is handled while the workers run.
  bool handled = false;
  std::uint64_t dispatchesWhenHandled = 0;
  QTimer::singleShot(0, [&] {
    handled = true;
    dispatchesWhenHandled = page.DispatchCount();
  });
  const std::uint64_t before = page.DispatchCount();
  page.estimateError.Press();
  EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
  const double error = Number(page.errorBox);
  EXPECT_GT(error, 1.25e-5 / 4);
  EXPECT_LT(error, 1.25e-5 * 4);
  if (ombrix_analysis::ProcessorCount() > 1) {
    EXPECT_TRUE(handled);
    EXPECT_GT(dispatchesWhenHandled, before);
  }

  // "Add Min." stores the boxes as a primary minimum of the series.
  const ombrix_data::CSeriesTreeElem* s = Pane().SelectedSeries();
  const std::uint32_t minima = s->minima.count;
  page.addMinimum.Press();
  ASSERT_EQ(s->minima.count, minima + 1);
  const ombrix_data::CMinimaListElem* added = nullptr;
  for (auto* m = static_cast<const ombrix_data::CMinimaListElem*>(s->minima.first); m;
       m = static_cast<const ombrix_data::CMinimaListElem*>(m->next))
    if (std::fabs(m->time - Number(page.minimumBox)) < 1e-6) added = m;
  ASSERT_NE(added, nullptr);
  EXPECT_NEAR(added->error, error, 1e-6);
  EXPECT_EQ(added->type, ombrix_data::minPrimary);
  EXPECT_TRUE(window.modified);
}

// "KvW" in the method list times the same eclipse by Kwee-van Woerden with
// Deeg's error, in the same boxes.
TEST_F(AnalysisTabsTest, KvWMethodTimesTheCMDraEclipse) {
  ShowCMDraEclipse();
  CMinimumFitPage& page = MinimumPage();
  EXPECT_EQ(page.method.ItemText(1), "KvW");
  page.method.SetSelection(1, true);
  Pump();
  page.fitMinimum.Press();
  Pump();
  EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Transcript();
  EXPECT_NEAR(Number(page.minimumBox), 2458739.9291169, 5e-5);
  EXPECT_GT(Number(page.errorBox), 0.0);
  EXPECT_LT(Number(page.errorBox), 1e-3);
}

TEST_F(AnalysisTabsTest, MovingTheWindowClearsTheFitAndTooFewPointsAreRefused) {
  ShowCMDraEclipse();
  CMinimumFitPage& page = MinimumPage();
  page.fitMinimum.Press();
  ASSERT_TRUE(page.Fitted());
  // Pushing the start slider onto the end pushes the end one position on.
  page.MoveEndSlider(1500);
  EXPECT_FALSE(page.Fitted());
  EXPECT_TRUE(page.minimumBox.Text().empty());
  page.MoveStartSlider(1600);
  EXPECT_EQ(page.endSlider.Position(), 1601);
  dialogs.AnswerButton(vdlg::mrOK);
  page.fitMinimum.Press();
  EXPECT_EQ(dialogs.Transcript(),
            "[message] Cannot perform minimum fit\nSeries contains too little points.\n"
            "At last 7 points needed for fit.\n");
  // "<>" sets the window to the visible range; a minimum box frozen with F9
  // keeps its time through a fit.
  page.windowToZoom.Press();
  EXPECT_EQ(page.startSlider.Position(), 0);
  EXPECT_EQ(page.endSlider.Position(), kWindowSliderLast);
  EXPECT_NEAR(page.WindowStart(), page.Chart().VisibleMin(), 1e-9);
  page.minimumBox.SetText("2458739.5");
  vcore::TEvent f9;
  f9.kind = vcore::evKeyDown;
  f9.code = vcore::vkF9;
  Pane().ReceiveEvent(f9);
  EXPECT_TRUE(page.freezeMinimum.IsChecked());
  EXPECT_FALSE(Pane().mirrorPage.freezeMinimum.IsChecked());
  page.fitMinimum.Press();
  EXPECT_TRUE(page.Fitted());
  EXPECT_EQ(page.minimumBox.Text(), "2458739.5");
}

TEST_F(AnalysisTabsTest, FitAllMinimaWithYesToEveryQuestionAddsTheMinimaFound) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& object = *Pane().SelectedObject();
  Pane().SelectSeries(0);
  ShowTab(6);
  ombrix_data::CSeriesTreeElem* s = Pane().SelectedSeries();
  ASSERT_NE(s, nullptr);
  const std::uint32_t before = s->minima.count;
  const double start = MinimumPage().WindowStart(), end = MinimumPage().WindowEnd();
  dialogs.AnswerOK();  // the dialog's defaults from the object's fit
  for (int i = 0; i < 200; ++i) dialogs.AnswerButton(vdlg::mrYes);
  const int added = MinimumPage().FitAllMinima();
  int questions = 0;
  for (const vdlg::TShownDialog& d : dialogs.Shown()) questions += d.caption == "Found Minimum";
  ASSERT_GT(added, 0) << dialogs.Transcript();
  EXPECT_EQ(added, questions);
  EXPECT_EQ(s->minima.count, before + static_cast<std::uint32_t>(added));
  EXPECT_EQ(dialogs.Shown()[0].caption, "Find all minima in series");
  // Every minimum added lies near a predicted primary or secondary minimum.
  const double secondary = object.fit.value[ombrix_model::fpSecPhase];
  for (auto* m = static_cast<ombrix_data::CMinimaListElem*>(s->minima.first); m;
       m = static_cast<ombrix_data::CMinimaListElem*>(m->next)) {
    double phase = (m->time - object.m0) / object.period;
    phase -= std::floor(phase);
    const double centre = m->type == ombrix_data::minSecondary ? secondary : 0.0;
    double distance = std::fabs(phase - centre);
    distance = std::min(distance, 1.0 - distance);
    EXPECT_LT(distance, 0.05) << m->time;
  }
  // The window is back where it was.
  EXPECT_DOUBLE_EQ(MinimumPage().WindowStart(), start);
  EXPECT_DOUBLE_EQ(MinimumPage().WindowEnd(), end);
}

TEST_F(AnalysisTabsTest, FindPeriodsFromMinimaFillsThePeriodComboBox) {
  auto* o = new ombrix_data::CObjectListElem;
  std::strncpy(o->name, "Three minima", sizeof o->name - 1);
  o->period = 0.9;  // listed first whatever the search finds
  auto* s = new ombrix_data::CLocalSeriesTreeElem;
  s->InsertPoint({2459000.0, 12.0, 0.01});
  s->InsertPoint({2459010.0, 12.5, 0.01});
  const double m0 = 2459000.2, period = 1.2345;
  for (int cycle : {0, 3, 7}) s->minima.Add(ombrix_data::minPrimary, m0 + cycle * period, 0.0001);
  ASSERT_TRUE(o->InsertSeries(s));
  Pane().field.Append(o);
  Pane().FieldReplaced();
  ASSERT_TRUE(Pane().SelectObject(static_cast<std::int32_t>(Pane().field.Count()) - 1));
  window.modified = false;

  AnswerTexts(dialogs, {"1", "0.999", "0.5"});
  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmFindPeriodsMinima);
  ASSERT_EQ(dialogs.Shown().size(), 2u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[0].caption, "Find periods from minima instances");
  EXPECT_EQ(dialogs.Shown()[1].caption, "Possible periods were found");
  const vcont::CComboBox& box = Pane().controls.periodBox;
  ASSERT_GE(box.Count(), 2);
  EXPECT_EQ(std::stod(box.ItemText(0)), 0.9);
  bool found = false;
  for (int i = 1; i < box.Count(); ++i) found = found || std::fabs(std::stod(box.ItemText(i)) - period) < 1e-6;
  EXPECT_TRUE(found);
  EXPECT_TRUE(window.modified);

  // Two minima are too few.
  s->minima.Done();
  s->minima.Add(ombrix_data::minPrimary, m0, 0.0001);
  s->minima.Add(ombrix_data::minPrimary, m0 + period, 0.0001);
  dialogs.Clear();
  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmFindPeriodsMinima);
  EXPECT_EQ(dialogs.Transcript(), "[message] Cannot find period\nAt last 3 minima needed to find period\n");
}

TEST_F(AnalysisTabsTest, FrequencySettingsDialogShowsTheNumberOfStepsAndKeepsTheRanges) {
  ASSERT_TRUE(Pane().SelectObject(0));
  const std::uint32_t before = Pane().SelectedObject()->periods.count;
  window.settings.minimalPeriod = 0.1;
  window.settings.maximalPeriod = 2;
  window.settings.periodSteps = 0.00001;
  std::string shown, changed;
  double lowest = 0, highest = 0;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& settings = dynamic_cast<CFrequencySettingsDialog&>(d);
    shown = settings.StepsText();
    settings.fields[1].SetValue(1.1, true);
    changed = settings.StepsText();
    settings.fields[0].SetValue(0.0, true);     // below 0.001
    settings.fields[2].SetValue(5000.0, true);  // above 100
    lowest = settings.fields[0].Value();
    highest = settings.fields[2].Value();
    settings.fields[0].SetValue(0.1, true);
    settings.fields[2].SetValue(0.001, true);  // a run of 1,000 trials
  });
  dialogs.AnswerOK([](vwin::COKCancelDialog& d) {
    auto& progress = dynamic_cast<CFrequencyProgressDialog&>(d);
    vcore::WaitDispatching([&] { return progress.CanOK(); });
  });
  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmFindPeriodsFrequency);
  ASSERT_EQ(dialogs.Shown().size(), 3u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[0].caption, "Find periods by Frequency analysis");
  EXPECT_EQ(shown, "190000");
  EXPECT_EQ(changed, "100000");
  EXPECT_EQ(lowest, 0.001);
  EXPECT_EQ(highest, 100.0);
  // OK stores the values in the settings.
  EXPECT_EQ(window.settings.maximalPeriod, 1.1);
  EXPECT_EQ(window.settings.periodSteps, 0.001);
  EXPECT_GT(Pane().SelectedObject()->periods.count, before);

  const std::uint32_t after = Pane().SelectedObject()->periods.count;
  dialogs.Clear();
  dialogs.AnswerCancel();
  window.Command(cmFindPeriodsFrequency);
  EXPECT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(window.settings.maximalPeriod, 1.1);
  EXPECT_EQ(Pane().SelectedObject()->periods.count, after);
}

TEST_F(AnalysisTabsTest, FrequencyAnalysisListsThreePeriodsWhileTheProgressDialogRepaints) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& object = *Pane().SelectedObject();
  const std::uint32_t before = object.periods.count;
  AnswerFrequencySettings(dialogs, 0.1, 2, 0.00001);
  std::uint64_t notifications = 0;
  bool okShown = true;
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& progress = dynamic_cast<CFrequencyProgressDialog&>(d);
    okShown = progress.IsOKButtonShown();
    vcore::WaitDispatching([&] { return progress.CanOK(); });
    notifications = progress.Notifications();
  });
  dialogs.AnswerButton(vdlg::mrOK);
  window.Command(cmFindPeriodsFrequency);
  ASSERT_EQ(dialogs.Shown().size(), 3u) << dialogs.Transcript();
  EXPECT_EQ(dialogs.Shown()[1].caption, "Frequency analysis");
  EXPECT_EQ(dialogs.Shown()[2].caption, "Possible periods were found");
  EXPECT_GT(notifications, 1u);  // progress and finish messages handled while the workers ran
  EXPECT_FALSE(okShown);         // it ends by itself; only Cancel is offered
  // Three periods plus the object's own in front.
  EXPECT_EQ(object.periods.count, 4u);
  EXPECT_EQ(Pane().controls.periodBox.Count(), 4);
  EXPECT_EQ(window.settings.periodSteps, 0.00001);
  (void)before;
}

TEST_F(AnalysisTabsTest, CancellingTheFrequencyAnalysisHalfWayAddsNothingAndStopsTheWorkers) {
  ASSERT_TRUE(Pane().SelectObject(0));
  ombrix_data::CObjectListElem& object = *Pane().SelectedObject();
  const std::uint32_t before = object.periods.count;
  const std::size_t threads = ThreadCount();
  std::uint64_t reached = 0;
  AnswerFrequencySettings(dialogs, 0.1, 2, 0.0000001);  // 19 million trials
  // OK is refused until the workers finish; with no answer left the
  // dialog is closed, which cancels it.
  dialogs.AnswerOK([&](vwin::COKCancelDialog& d) {
    auto& progress = dynamic_cast<CFrequencyProgressDialog&>(d);
    vcore::WaitDispatching([&] { return progress.Total() >= 19000000 / 2 || progress.CanOK(); });
    reached = progress.Total();
  });
  window.Command(cmFindPeriodsFrequency);
  ASSERT_EQ(dialogs.Shown().size(), 2u) << dialogs.Transcript();
  EXPECT_GE(reached, 19000000u / 2);
  EXPECT_LT(reached, 19000000u);
  EXPECT_EQ(object.periods.count, before);
  EXPECT_EQ(ThreadCount(), threads);
}

}  // namespace
