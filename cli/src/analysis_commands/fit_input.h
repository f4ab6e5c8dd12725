// What the fitting and period subcommands share: the object they work on,
// the points they hand to the fits, free-parameter masks and failure output.
#pragma once

#include <ostream>
#include <vector>

#include "field_commands/field_loading.h"
#include "ombrix_cli/command.h"
#include "ombrix_analysis/phase_fit.h"
#include "ombrix_model/light_curve_model.h"

namespace ombrix_cli {

// Loads the field and finds the object; false after printing why.
bool LoadFieldObject(const char* command, const char* path, const char* objectText,
                     ombrix_data::CField& field, ombrix_data::CObjectListElem*& object,
                     std::ostream& out, std::ostream& err);

// Phase window of the "Phased Curve Fit" chart: one cycle starting a quarter
// period before M0, so phases lie in [-0.25, 0.75].
inline constexpr double kFitWindowLead = 0.25;

using ombrix_model::PhaseInWindow;

// Every point of the object's enabled series once, phased into the fit
// window with its series' offset; empty when M0 or the period is not set.
std::vector<ombrix_analysis::TFitPoint> PhasedFitPoints(const ombrix_data::CObjectListElem& object);

// The points of one series, the time in the phase field.
std::vector<ombrix_analysis::TFitPoint> SeriesFitPoints(const ombrix_data::CSeriesTreeElem& series);

// Reads a mask of `count` characters '0' (fixed) or '1' (free); false after
// printing the fault to `err`.
bool ParseFreeMask(const char* command, const char* text, int count, bool* free, std::ostream& err);

// The failure text of the last message to `err`; returns kExitFailure.
int ReportFailure(const CPrintingUserIO& io, std::ostream& err);

}  // namespace ombrix_cli
