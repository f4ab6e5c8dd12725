// Phenomenological light-curve model of an eclipsing binary over one cycle:
// a constant level, a primary eclipse centred at phase 0, a secondary eclipse
// at a free phase, and three harmonics of an out-of-eclipse variation.
// The model is a pure function of the phase; it knows nothing of series,
// units or time.
#pragma once

#include "ombrix_model/angles.h"

namespace ombrix_model {

// Index of each parameter in TFitParameters::value. The order is fixed: it is
// also the order of the parameter vector handed to the fitter and of the
// fields of the fit panel.
enum TFitParameterIndex : int {
  fpMag0 = 0,    // constant level of the curve
  fpSecPhase,    // phase of the centre of the secondary eclipse
  fpAPri,        // depth of the primary eclipse
  fpDPri,        // width of the primary eclipse, in phase units
  fpGPri,        // shape exponent of the primary eclipse
  fpCPri,        // curvature correction of the primary eclipse
  fpASec,        // depth of the secondary eclipse
  fpDSec,        // width of the secondary eclipse
  fpGSec,        // shape exponent of the secondary eclipse
  fpCSec,        // curvature correction of the secondary eclipse
  fpASin1,       // coefficient of sin 2*pi*phase
  fpACos1,       // coefficient of cos 2*pi*phase
  fpASin2,       // coefficient of sin 4*pi*phase
  fpACos2,       // coefficient of cos 4*pi*phase
  fpASin3,       // coefficient of sin 6*pi*phase
  fpACos3,       // coefficient of cos 6*pi*phase
};

inline constexpr int FitParameterCount = 16;

// File keyword of each parameter, in storage order ("mag0", "sec_phase", ...).
extern const char* const FitParameterKeywords[FitParameterCount];

// Default value of each parameter, in storage order.
extern const double FitParameterDefaults[FitParameterCount];

// Order in which the keyword writer emits the parameters: level, secondary
// phase, the eight eclipse parameters, then the harmonics grouped as
// a_sin1, a_sin2, a_sin3, a_cos1, a_cos2, a_cos3.
extern const TFitParameterIndex FitParameterWriteOrder[FitParameterCount];

// Index of the parameter with the given file keyword (exact, lower case);
// false when the keyword names no parameter.
bool FindFitParameterKeyword(const char* keyword, TFitParameterIndex& index);

// The model parameters of one object, with the values derived from them.
struct TFitParameters {
  double value[FitParameterCount];  // the sixteen parameters in fixed order

  // Derived by PrepareLightCurveModel; never stored in files.
  double priCurvature;     // c_pri / d_pri^2
  double priInverseWidth;  // 1 / d_pri
  double secCurvature;     // c_sec / d_sec^2
  double secInverseWidth;  // 1 / d_sec

  double& operator[](TFitParameterIndex i) { return value[i]; }
  double operator[](TFitParameterIndex i) const { return value[i]; }
};

// Sets every parameter to its default and prepares the derived values.
void ResetFitParameters(TFitParameters& parameters);

// Recomputes the derived values. Call after any parameter changed and before
// a batch of evaluations. A width of 0 yields infinities; no guard applies.
void PrepareLightCurveModel(TFitParameters& parameters);

// Shape of an eclipse at z = distance / width: 1 - (1 - exp(1 - cosh z))^g,
// which is exactly 0 where |z| > kEclipseCutoff (the base rounds to 1 there).
inline constexpr double kEclipseCutoff = 4.5;
double EclipseProfile(double z, double shape);

// One eclipse at distance u (phase units) from its centre:
// a * (1 + curvature*u^2) * EclipseProfile(u/d, g), curvature and 1/d as
// prepared.
double LightCurveEclipse(double u, double amplitude, double curvature, double inverseWidth,
                         double shape);

// Level, as a fraction of an eclipse's depth, at which the eclipse counts as
// begun or ended.
inline constexpr double kEclipseContactLevel = 0.01;

// Half the duration of the primary (or secondary) eclipse of prepared
// parameters, in phase units: the distance from the eclipse's centre at which
// its own term falls to kEclipseContactLevel of its depth. 0 for an eclipse
// without depth or with a width that is not positive.
double EclipseHalfWidth(const TFitParameters& parameters, bool primary);

// Angle of harmonic k (1 to 3) at a phase: 2 pi k phase.
inline double HarmonicAngle(int k, double phase) { return kTwoPi * k * phase; }

// Distance of a phase in [0, 1) from the primary eclipse, which sits at
// phase 0 and wraps around 1; 0.5 belongs to the left.
inline double PrimaryDistance(double phase) { return phase < 0.5 ? phase : phase - 1.0; }

// The model value at a phase in [0, 1). The derived values must be current.
double EvaluateLightCurveModel(const TFitParameters& parameters, double phase);

// True when at least one parameter differs from its default (exact
// comparison; a NaN counts as different). All defaults mean "no fit".
bool IsFitDefined(const TFitParameters& parameters);

// Phase of time t for epoch m0 and period: (t - m0) / period minus its
// integer part taken toward zero, so the result lies in (-1, 1). A period
// of 0 ("not set") gives NaN; callers check the period first.
double PhaseOfTime(double t, double m0, double period);

// PhaseOfTime moved into [0, 1) for evaluation: a negative phase gets 1
// added (a result that rounds to 1 becomes 0).
double PhaseInCycle(double t, double m0, double period);

// The phase of time t in the window starting `lead` cycles before m0 (period
// not 0): t is moved by whole periods into [m0 - lead P, m0 + (1 - lead) P],
// so the phase lies in [-lead, 1 - lead]. The phased charts and the fit take
// their points this way.
double PhaseInWindow(double t, double m0, double period, double lead);

}  // namespace ombrix_model
