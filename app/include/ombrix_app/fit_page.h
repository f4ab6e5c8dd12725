// The "Phased Curve Fit" tab: one cycle of the phased curve with the model
// of the fit being edited, the sixteen parameter fields with their "free"
// check boxes, the fit buttons and the model's extreme magnitudes.
#pragma once

#include <cstdint>

#include <ombrix_model/light_curve_model.h>
#include <ombrix_present/chart_page.h>

#include "ombrix_app/dialog_user_io.h"

namespace ombrix_app {

// Control ids of the fit page. The page reports its changes of the object
// upwards as evControl with kFitEditedId (data cnChanged).
enum TFitPageControl : std::uint32_t {
  kFitFieldId = 2800,                                          // 16 edit boxes
  kFitFreeId = kFitFieldId + ombrix_model::FitParameterCount,  // 16 check boxes
  kFitCheckedId = kFitFreeId + ombrix_model::FitParameterCount,
  kAcceptFitId,
  kResetFitId,
  kSaveFitId,
  kCopyMagnitudesId,
  kMaxMagBoxId,
  kMinMagBoxId,
  kFitEditedId,
};

// Field labels in parameter order.
extern const char* const kFitFieldLabels[ombrix_model::FitParameterCount];

class CPhasedFitPage : public ombrix_lc::CChartPage {
 public:
  CPhasedFitPage() : CChartPage(ombrix_lc::ckPhased) {}
  bool Init(view::CNodeView* parent, const vcom::CRect& rect) override;
  void Done() override;
  void ReceiveEvent(vcore::TEvent& event) override;

  // Shows the request's object; the fields take the object's stored fit when
  // the object is not the one shown already or its fit changed elsewhere
  // (otherwise edits survive rebuilds).
  void Show(const ombrix_lc::TBuildRequest& request);

  // "Fit checked parameters": true when the fit succeeded.
  bool FitChecked(ombrix_data::CUserIO& io);
  bool FitChecked() { return FitChecked(io); }
  // "Accept fit parameters": the fields become the object's parameters.
  void AcceptFields();
  // "Reset fit parameters": the fields go back to the object's parameters.
  void ResetFields();
  // "Save fit to field description": the object's fit is kept in the field file.
  void SaveFitWithField();
  // "Copy magnitudes to meta-data": "Max.Mag:" and "Min.Mag:" into the
  // object's brightest and faintest magnitude; false when the boxes are empty.
  bool CopyMagnitudes();

  // The parameters as the fields hold them (a field without a number keeps
  // the value shown last).
  const ombrix_model::TFitParameters& Edited() const { return edited; }
  void SetField(int index, double value);
  void SetFree(int index, bool free);

  vcont::CCheckBox free[ombrix_model::FitParameterCount];  // labelled "Mag0:" ...
  vcont::CEditBox fields[ombrix_model::FitParameterCount];
  vcont::CButton fitButton, acceptButton, resetButton, saveButton, copyButton;
  vcont::CStaticText maxLabel, minLabel;
  vcont::CEditBox maxMagBox, minMagBox;

 protected:
  int ControlsHeight() const override;
  void LayoutControls(int width) override;

 private:
  void ShowFields();
  void ReadFields();
  void Rebuild(bool keepZoom);
  void ShowExtremes();
  void ReportEdit();

  ombrix_lc::TBuildRequest request;          // what is shown; object not owned
  ombrix_model::TFitParameters edited{};     // the fit being edited
  ombrix_model::TFitParameters objectFit{};  // the object's fit when the fields last took it
  CDialogUserIO io;                          // messages of the fit
  bool filling = false;                      // fields are being filled: no edits
};

}  // namespace ombrix_app
