// "Find Periods from Minima instances..." and "Find Periods by Frequency
// Analysis...": the period searches of the selected object, and the progress
// dialog "Frequency analysis" the second one runs behind.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <ombrix_analysis/frequency_analysis.h>
#include <winkit/winkit.h>

namespace ombrix_app {

class COmbrix;

// Messages the frequency workers post to the progress dialog.
inline constexpr std::uint32_t kFrequencyProgressMsg = 0x133C;  // wParam thread, lParam trials done
inline constexpr std::uint32_t kFrequencyFinishedMsg = 0x133D;  // wParam thread

// "Find periods by Frequency analysis": the minimal and maximal period and the
// resolution as spin fields in their ranges, and "Number of steps:" following
// every change.
class CFrequencySettingsDialog : public vwin::COKCancelDialog {
 public:
  bool Init(const ombrix_analysis::TFrequencySettings& settings);
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;
  ombrix_analysis::TFrequencySettings Settings() const;
  // trunc((max - min) / resolution) as the dialog shows it.
  std::string StepsText() const { return steps.Text(); }

  vcont::CStaticText labels[3], stepsLabel, steps;
  vcont::CRealCountBox fields[3];

 private:
  void ShowSteps();
};

// "Frequency analysis": "Processing:", a bar meter and the percentage. It ends
// with OK when every worker has finished and with Cancel when the user closes
// it (or presses Escape or Cancel).
class CFrequencyProgressDialog : public vwin::COKCancelDialog, public ombrix_analysis::CFrequencyAnalysisDialog {
 public:
  CFrequencyProgressDialog();
  ~CFrequencyProgressDialog() override;
  bool Init();
  void Done() override;

  // Worker threads: post to the dialog's window.
  void PostProgress(std::uint32_t thread, std::uint32_t done) override;
  void PostFinished(std::uint32_t thread) override;
  bool RunModal(ombrix_analysis::CFrequencyProgress& progress) override;
  // Joins the workers while the window keeps dispatching.
  void WaitForWorkers(std::vector<std::thread>& workers) override;
  // OK only once every worker has finished.
  bool CanOK() override { return allFinished; }
  // Asks through CFrequencySettingsDialog.
  bool AskSettings(ombrix_analysis::TFrequencySettings& settings, ombrix_data::CUserIO& io) override;
  int64_t ReceiveMsg(uint32_t msg, uint64_t wParam, int64_t lParam) override;

  // Trials reported so far (0 outside RunModal) and notifications handled.
  std::uint64_t Total() const { return progress ? progress->Total() : 0; }
  std::uint64_t Notifications() const { return notifications; }

  vcont::CStaticText processing, percent;
  vcont::CProgressBar bar;

 private:
  ombrix_analysis::CFrequencyProgress* progress = nullptr;  // during RunModal only
  bool allFinished = false;
  std::uint64_t notifications = 0;
};

// Runs command 1110 or 1111 on the selected object; false for other commands.
bool RunPeriodCommand(COmbrix& window, std::uint32_t command);

}  // namespace ombrix_app
