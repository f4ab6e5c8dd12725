// The period searches of the selected object and the frequency-analysis
// progress dialog.
#include "ombrix_app/period_commands.h"

#include <string>

#include <ombrix_analysis/minimum_fit.h>
#include <ombrix_analysis/periods_minima.h>

#include "ombrix_app/commands.h"
#include "ombrix_app/ombrix.h"

namespace ombrix_app {

namespace {

constexpr int kBarScale = 512;
constexpr int kDialogWidth = 240;
constexpr int kDialogHeight = 90;

// The pane's side of the period commands: busy cursor and the "P:" combo box.
class CPeriodComboPane : public ombrix_analysis::TPeriodComboPane {
 public:
  explicit CPeriodComboPane(COmbrixPane& owner) : pane(owner) {}
  void SetBusy(bool busy) override {
    if (busy) vcore::BeginBusy();
    else vcore::EndBusy();
  }
  void RefillPeriods(const vlist::CList&) override { pane.controls.ShowPeriods(); }

 private:
  COmbrixPane& pane;
};

}  // namespace

// ------------------------------------------------------------ settings dialog

namespace {

constexpr int kSettingsDecimals[3] = {6, 6, 7};
constexpr std::uint32_t kFirstFieldId = 1;

}  // namespace

bool CFrequencySettingsDialog::Init(const ombrix_analysis::TFrequencySettings& settings) {
  constexpr int kGap = 8, kRow = 28, kLabel = 130, kBox = 130;
  if (!COKCancelDialog::Init("Find periods by Frequency analysis", vcore::ScaleH(kLabel + kBox + 3 * kGap),
                             vcore::ScaleV(4 * kRow + kGap)))
    return false;
  const auto at = [&](int row, int column) {
    return vcom::CRect(vcore::ScaleH(kGap + column * (kLabel + kGap)), vcore::ScaleV(kGap + row * kRow),
                       vcore::ScaleH(column == 0 ? kLabel : kBox), vcore::ScaleV(kRow - 4));
  };
  const double values[3] = {settings.minPeriod, settings.maxPeriod, settings.resolution};
  for (int i = 0; i < 3; ++i) {
    const ombrix_analysis::TFrequencyFieldRule& rule = ombrix_analysis::kFrequencyFields[i];
    labels[i].Init(this, at(i, 0), rule.label);
    fields[i].Init(this, at(i, 1), kFirstFieldId + i, rule.lowest, rule.highest, values[i], rule.step,
                   kSettingsDecimals[i]);
  }
  stepsLabel.Init(this, at(3, 0), "Number of steps:");
  steps.Init(this, at(3, 1), "");
  ShowSteps();
  return true;
}

void CFrequencySettingsDialog::Done() {
  steps.Done();
  stepsLabel.Done();
  for (int i = 2; i >= 0; --i) {
    fields[i].Done();
    labels[i].Done();
  }
  COKCancelDialog::Done();
}

void CFrequencySettingsDialog::ReceiveEvent(vcore::TEvent& event) {
  if (event.kind == vcore::evControl && event.code >= kFirstFieldId && event.code < kFirstFieldId + 3) ShowSteps();
  COKCancelDialog::ReceiveEvent(event);
}

ombrix_analysis::TFrequencySettings CFrequencySettingsDialog::Settings() const {
  return {fields[0].Value(), fields[1].Value(), fields[2].Value()};
}

void CFrequencySettingsDialog::ShowSteps() {
  steps.SetText(std::to_string(ombrix_analysis::FrequencyTrialCount(Settings())).c_str());
}

// ------------------------------------------------------------ progress dialog

CFrequencyProgressDialog::CFrequencyProgressDialog() = default;

CFrequencyProgressDialog::~CFrequencyProgressDialog() { DestroyPeerWindow(); }

bool CFrequencyProgressDialog::Init() {
  if (!COKCancelDialog::Init("Frequency analysis", vcore::ScaleH(kDialogWidth), vcore::ScaleV(kDialogHeight)))
    return false;
  const int gap = vcore::ScaleH(8), row = vcore::ScaleV(24);
  const int width = vcore::ScaleH(kDialogWidth) - 2 * gap;
  processing.Init(this, vcom::CRect(gap, gap, width, row), "Processing:");
  bar.Init(this, vcom::CRect(gap, gap + row, width - vcore::ScaleH(50), row), kBarScale);
  percent.Init(this, vcom::CRect(gap + width - vcore::ScaleH(46), gap + row, vcore::ScaleH(46), row), "0 %");
  ShowOKButton(false);  // it ends with OK by itself once every worker has finished
  // The workers post from their start on, before the dialog runs.
  return CreatePeerWindow();
}

void CFrequencyProgressDialog::Done() {
  DestroyPeerWindow();
  percent.Done();
  bar.Done();
  processing.Done();
  COKCancelDialog::Done();
}

void CFrequencyProgressDialog::PostProgress(std::uint32_t thread, std::uint32_t done) {
  vcore::PostMessageA(Handle(), kFrequencyProgressMsg, thread, done);
}

void CFrequencyProgressDialog::PostFinished(std::uint32_t thread) {
  vcore::PostMessageA(Handle(), kFrequencyFinishedMsg, thread, 0);
}

bool CFrequencyProgressDialog::RunModal(ombrix_analysis::CFrequencyProgress& running) {
  progress = &running;
  allFinished = false;
  const bool ok = Exec() && allFinished;
  progress = nullptr;  // notifications still queued are dropped
  return ok;
}

bool CFrequencyProgressDialog::AskSettings(ombrix_analysis::TFrequencySettings& settings, ombrix_data::CUserIO&) {
  CFrequencySettingsDialog dialog;
  if (!dialog.Init(settings)) return false;
  const bool ok = dialog.Exec();
  if (ok) settings = dialog.Settings();
  dialog.Done();
  return ok;
}

void CFrequencyProgressDialog::WaitForWorkers(std::vector<std::thread>& workers) {
  if (!workers.empty()) vcore::WaitThreadsDispatching(workers.data(), static_cast<int>(workers.size()));
}

int64_t CFrequencyProgressDialog::ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) {
  if (!progress || (msg != kFrequencyProgressMsg && msg != kFrequencyFinishedMsg))
    return COKCancelDialog::ReceiveMsg(msg, wParam, lParam);
  ++notifications;
  const auto thread = static_cast<std::uint32_t>(wParam);
  if (msg == kFrequencyProgressMsg) {
    progress->Progress(thread, static_cast<std::uint32_t>(lParam));
    bar.SetValue(static_cast<int>(progress->BarPosition()));
    char text[16];
    progress->PercentText(sizeof text, text);
    percent.SetText(text);
  } else if (progress->Finished(thread)) {
    allFinished = true;
    EndDialog(true);
  }
  return 0;
}

// ------------------------------------------------------------ commands

bool RunPeriodCommand(COmbrix& window, std::uint32_t command) {
  if (command != cmFindPeriodsMinima && command != cmFindPeriodsFrequency) return false;
  ombrix_data::CObjectListElem* object = window.pane.SelectedObject();
  if (!object) return true;
  CDialogUserIO io;
  CPeriodComboPane combo(window.pane);
  bool listChanged = false;
  if (command == cmFindPeriodsMinima) {
    listChanged = ombrix_analysis::FindPeriodsFromMinima(*object, io, combo);
  } else {
    ombrix_analysis::TFrequencySettings settings{window.settings.minimalPeriod, window.settings.maximalPeriod,
                                                 window.settings.periodSteps};
    CFrequencyProgressDialog dialog;
    if (!dialog.Init()) return true;
    listChanged = ombrix_analysis::FindPeriodsByFrequencyAnalysis(*object, settings, ombrix_analysis::ProcessorCount(),
                                                                  io, dialog, combo);
    dialog.Done();
    window.settings.minimalPeriod = settings.minPeriod;
    window.settings.maximalPeriod = settings.maxPeriod;
    window.settings.periodSteps = settings.resolution;
  }
  // The period list is kept with the field.
  if (listChanged) window.Command(cmFieldChanged);
  return true;
}

}  // namespace ombrix_app
