// The "Phased Curve Fit" tab page: fields, buttons and the fit behind them.
#include "ombrix_app/fit_page.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <ombrix_analysis/phase_fit.h>
#include <runbase/str.h>

namespace ombrix_app {

using ombrix_model::FitParameterCount;

const char* const kFitFieldLabels[FitParameterCount] = {
    "Mag0:", "Sec.P:", "Apri:",  "Dpri:",  "Gpri:",  "Cpri:",  "Asec:",  "Dsec:",
    "Gsec:", "Csec:",  "Asin1:", "Acos1:", "Asin2:", "Acos2:", "Asin3:", "Acos3:"};

namespace {

constexpr int kRowHeight = 24;
constexpr int kGap = 4;
constexpr int kFieldsPerRow = 8;
constexpr std::uint32_t kBoxHigh = 31;
constexpr std::uint32_t kFieldDecimals = 6;
constexpr std::uint32_t kMagnitudeDecimals = 3;

bool BoxNumber(const vcont::CEditBox& box, double& value) {
  const std::string text = box.Text();
  bool ok = false;
  value = Str::StrToRealA(static_cast<std::uint32_t>(text.size()), text.c_str(), ok);
  return ok && !text.empty();
}

void SetBoxNumber(vcont::CEditBox& box, double value, std::uint32_t decimals) {
  char text[kBoxHigh + 1];
  bool ok = false;
  Str::FixRealToStrA(value, decimals, kBoxHigh, text, ok);
  box.SetText(ok ? text : "");
}

// Mean catalogue magnitude of the comparison stars that have one; false
// when none has.
bool MeanComparisonMagnitude(const ombrix_data::CObjectListElem& object, double& mean) {
  ombrix_data::CMetaData meta;
  object.GetEffectiveMetaData(meta);
  double sum = 0;
  int count = 0;
  for (std::uint32_t i = 0; i < meta.cmpCount; ++i) {
    if (meta.cmp[i].catalogMag >= ombrix_data::kUnknownMagnitude) continue;
    sum += meta.cmp[i].catalogMag;
    ++count;
  }
  if (count == 0) return false;
  mean = sum / count;
  return true;
}

// The fit's view of the page: its points and fields, the busy cursor, and
// the redraw after a successful fit.
class CPageFitPane : public ombrix_analysis::TPhaseFitPane {
 public:
  explicit CPageFitPane(std::function<void(const ombrix_model::TFitParameters&)> accepted)
      : onAccepted(std::move(accepted)) {}
  void SetBusy(bool busy) override {
    if (busy) vcore::BeginBusy();
    else vcore::EndBusy();
  }
  void FitAccepted(const ombrix_model::TFitParameters& fit) override { onAccepted(fit); }

 private:
  std::function<void(const ombrix_model::TFitParameters&)> onAccepted;
};

}  // namespace

int CPhasedFitPage::ControlsHeight() const { return 3 * (vcore::ScaleV(kRowHeight) + kGap); }

bool CPhasedFitPage::Init(view::CNodeView* parent, const vcom::CRect& rect) {
  if (!CChartPage::Init(parent, rect)) return false;
  ombrix_model::ResetFitParameters(edited);
  const vcom::CRect r(0, 0, 10, vcore::ScaleV(kRowHeight));
  for (int i = 0; i < FitParameterCount; ++i) {
    free[i].Init(this, r, kFitFreeId + i, kFitFieldLabels[i]);
    free[i].SetChecked(true);
    fields[i].Init(this, r, kFitFieldId + i, "", kBoxHigh);
  }
  fitButton.Init(this, r, kFitCheckedId, "Fit checked parameters");
  acceptButton.Init(this, r, kAcceptFitId, "Accept fit parameters");
  resetButton.Init(this, r, kResetFitId, "Reset fit parameters");
  saveButton.Init(this, r, kSaveFitId, "Save fit to field description");
  copyButton.Init(this, r, kCopyMagnitudesId, "Copy magnitudes to meta-data");
  maxLabel.Init(this, r, "Max.Mag:");
  maxMagBox.Init(this, r, kMaxMagBoxId, "", kBoxHigh);
  minLabel.Init(this, r, "Min.Mag:");
  minMagBox.Init(this, r, kMinMagBoxId, "", kBoxHigh);
  ShowFields();
  LayoutControls(rect.width);
  return true;
}

void CPhasedFitPage::Done() {
  if (IsInitialized()) {
    for (int i = 0; i < FitParameterCount; ++i) {
      free[i].Done();
      fields[i].Done();
    }
    for (view::CView* v :
         std::initializer_list<view::CView*>{&fitButton, &acceptButton, &resetButton, &saveButton, &copyButton,
                                             &maxLabel, &maxMagBox, &minLabel, &minMagBox})
      v->Done();
  }
  CChartPage::Done();
}

void CPhasedFitPage::LayoutControls(int width) {
  (void)width;
  if (!fitButton.IsInitialized()) return;
  const int h = vcore::ScaleV(kRowHeight);
  const int checkWidth = vcore::ScaleH(62), fieldWidth = vcore::ScaleH(78);
  for (int i = 0; i < FitParameterCount; ++i) {
    const int row = i / kFieldsPerRow, column = i % kFieldsPerRow;
    const int x = kGap + column * (checkWidth + fieldWidth + 2 * kGap);
    const int y = row * (h + kGap);
    free[i].SetRect(vcom::CRect(x, y, checkWidth, h));
    fields[i].SetRect(vcom::CRect(x + checkWidth + kGap, y, fieldWidth, h));
  }
  struct {
    view::CView* view;
    int width;
  } row[] = {{&fitButton, 150}, {&acceptButton, 150}, {&resetButton, 140}, {&saveButton, 190}, {&copyButton, 190},
             {&maxLabel, 60},   {&maxMagBox, 70},     {&minLabel, 60},     {&minMagBox, 70}};
  int x = kGap;
  for (const auto& c : row) {
    const int w = vcore::ScaleH(c.width);
    c.view->SetRect(vcom::CRect(x, 2 * (h + kGap), w, h));
    x += w + kGap;
  }
}

void CPhasedFitPage::Show(const ombrix_lc::TBuildRequest& shown) {
  const bool sameObject = shown.object && shown.object == request.object;
  const bool fitKept =
      sameObject && std::equal(objectFit.value, objectFit.value + FitParameterCount, shown.object->fit.value);
  request = shown;
  if (!fitKept) {
    if (request.object) edited = request.object->fit;
    else ombrix_model::ResetFitParameters(edited);
    objectFit = edited;
    ShowFields();
  }
  Rebuild(request.keepZoom);
}

void CPhasedFitPage::ShowFields() {
  if (!fields[0].IsInitialized()) return;
  filling = true;
  for (int i = 0; i < FitParameterCount; ++i) SetBoxNumber(fields[i], edited.value[i], kFieldDecimals);
  filling = false;
}

void CPhasedFitPage::ReadFields() {
  for (int i = 0; i < FitParameterCount; ++i) {
    double value = 0;
    if (BoxNumber(fields[i], value)) edited.value[i] = value;
  }
}

void CPhasedFitPage::SetField(int index, double value) {
  SetBoxNumber(fields[index], value, kFieldDecimals);
  ReadFields();
  Rebuild(true);
}

void CPhasedFitPage::SetFree(int index, bool on) { free[index].SetChecked(on); }

void CPhasedFitPage::Rebuild(bool keepZoom) {
  request.keepZoom = keepZoom;
  ombrix_lc::ShowPhasedCurve(*PhasedChart(), request, ombrix_lc::ctPhasedCurveFit, request.object ? &edited : nullptr);
  ShowExtremes();
}

// The boxes show the brightest and faintest model value, moved by the
// comparison stars' mean catalogue magnitude when they have one.
void CPhasedFitPage::ShowExtremes() {
  if (!maxMagBox.IsInitialized()) return;
  const ombrix_lc::CLightCurveFitPane& chart = *PhasedChart();
  if (!request.object || !chart.HasModel() || chart.CurveX().empty()) {
    maxMagBox.SetText("");
    minMagBox.SetText("");
    return;
  }
  // Magnitudes grow fainter, fluxes brighter. A catalogue magnitude means
  // nothing added to a flux, so flux extremes are shown as modelled.
  const bool flux = request.object->fluxFlag;
  double shift = 0;
  if (flux || !MeanComparisonMagnitude(*request.object, shift)) shift = 0;
  const double brightest = flux ? chart.ModelMax() : chart.ModelMin();
  const double faintest = flux ? chart.ModelMin() : chart.ModelMax();
  SetBoxNumber(maxMagBox, brightest + shift, kMagnitudeDecimals);
  SetBoxNumber(minMagBox, faintest + shift, kMagnitudeDecimals);
}

bool CPhasedFitPage::FitChecked(ombrix_data::CUserIO& userIO) {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  if (!object) return false;
  ReadFields();
  std::vector<ombrix_analysis::TFitPoint> points;
  const auto& shownPoints = PhasedChart()->Points();
  points.reserve(shownPoints.size());
  for (const ombrix_lc::TChartPoint& p : shownPoints)
    points.push_back({p.x, p.value, p.error, p.adjust, p.colour, p.series});
  CPageFitPane pane([this](const ombrix_model::TFitParameters& fit) {
    edited = objectFit = fit;
    ShowFields();
    Rebuild(true);
  });
  pane.points = points.data();
  pane.pointCount = points.size();
  std::copy(edited.value, edited.value + FitParameterCount, pane.fields);
  for (int i = 0; i < FitParameterCount; ++i) pane.free[i] = free[i].IsChecked();
  if (!ombrix_analysis::FitPhaseCurve(pane, *object, userIO)) return false;
  ReportEdit();
  return true;
}

void CPhasedFitPage::AcceptFields() {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  if (!object) return;
  ReadFields();
  std::copy(edited.value, edited.value + FitParameterCount, object->fit.value);
  ombrix_model::PrepareLightCurveModel(object->fit);
  objectFit = object->fit;
  ReportEdit();
}

void CPhasedFitPage::ResetFields() {
  if (!request.object) return;
  edited = objectFit = request.object->fit;
  ShowFields();
  Rebuild(true);
}

void CPhasedFitPage::SaveFitWithField() {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  if (!object || object->fitPresent) return;
  object->fitPresent = true;
  ReportEdit();
}

bool CPhasedFitPage::CopyMagnitudes() {
  auto* object = const_cast<ombrix_data::CObjectListElem*>(request.object);
  double brightest = 0, faintest = 0;
  if (!object || !BoxNumber(maxMagBox, brightest) || !BoxNumber(minMagBox, faintest)) return false;
  object->maxMagnitude = brightest;
  object->minMagnitude = faintest;
  ReportEdit();
  return true;
}

void CPhasedFitPage::ReportEdit() { Send(vcore::evControl, kFitEditedId, vcore::cnChanged); }

void CPhasedFitPage::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind != vcore::evControl || event.source == this) {
    CChartPage::ReceiveEvent(event);
    return;
  }
  const std::uint32_t id = event.code;
  if (id >= kFitFieldId && id < kFitFieldId + FitParameterCount) {
    if (filling || event.data != vcore::cnChanged) return;
    ReadFields();
    Rebuild(true);
  } else if (id == kFitCheckedId) {
    FitChecked();
  } else if (id == kAcceptFitId) {
    AcceptFields();
  } else if (id == kResetFitId) {
    ResetFields();
  } else if (id == kSaveFitId) {
    SaveFitWithField();
  } else if (id == kCopyMagnitudesId) {
    CopyMagnitudes();
  } else if (id >= kFitFreeId && id < kFitFreeId + FitParameterCount) {
    // The check boxes are read when a fit starts.
  } else {
    CChartPage::ReceiveEvent(event);
    return;
  }
  StopEvent(event);
}

}  // namespace ombrix_app
