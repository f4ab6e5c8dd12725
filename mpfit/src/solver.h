// Bounded Levenberg-Marquardt solver on the MINPACK-1 kernels (qrfac, lmpar,
// enorm): the trust-region loop of lmdif, with steps cut back at the limits
// and parameters that rest on a limit, pushed outwards, held there.
//
// The loop, as in lmdif: linearise at x (Jacobian, QR), stop when the
// gradient test holds, then try trust-region steps until one is taken,
// checking the stop tests after each trial. Stopping by a test is not a
// failure; only the user function (an error it returns, or non-finite
// values where they are not allowed) fails a fit.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "mpfit/mpfit.h"
#include "part_workers.h"
#include "problem.h"
#include "row_reduction.h"

namespace mpfit_internal {

// Makes the next Solver construction report an allocation failure (a seam
// for tests of MP_ERR_MEMORY).
void FailNextAllocationForTesting();

// How the numeric Jacobian columns are differenced.
enum class TDifferences {
  forward,  // as each parameter's side asks: forward unless -1 or 2
  central,  // central wherever both points lie inside the limits
};

class Solver {
 public:
  explicit Solver(const Problem& problem);

  // Reserves the workspace; false when memory is short.
  bool Allocate();
  // Runs the fit; returns the status and fills result (may be null).
  // On success the caller's parameter vector receives the fitted values.
  int Run(double* xall, mp_result* result);

 private:
  // One part of the rows, with the scratch its evaluations use alone.
  struct Part {
    int index = 0;               // part number handed to the part function
    int first = 0;               // its first row
    int count = 0;               // its number of rows
    std::vector<double> xall;    // full parameter vector of its calls
    std::vector<double> trial;   // free parameters of its difference steps
    std::vector<double*> dvec;   // its rows of the derivative columns asked for
    CRowReduction reduction;     // its rows reduced to a triangle ...
    std::vector<double> r;       // ... r (n_ x n_, by columns)
    std::vector<double> qtf;     // ... with its Q^T f (n_)
    int status = 0;              // 0, or why its last task failed
    int calls = 0;               // user function calls of its last task
  };

  // --- Loop steps. Init, Iterate, Linearize and EvaluateCandidate return
  // false when the user function failed (it returned a negative value, or
  // non-finite values where they are not allowed); status_ then holds that
  // value or MP_ERR_NAN, and the fit ends.

  // Residuals and their norm at the initial values.
  bool Init();
  // The lmdif loop. True when a stop test ended it, with status_ > 0:
  // MP_OK_DIR (GtolReached) or StopStatus().
  bool Iterate();
  // Forward-difference Jacobian at x_, pegged parameters held, and its QR.
  bool Linearize();
  // Clears the Jacobian columns of parameters held on their limits.
  void HoldPeggedParameters();
  // QR of the Jacobian (R in fjac_, Q^T fvec_ in qtf_), reducing rows first
  // when the problem is tall.
  void FactorizeJacobian();
  // The first iteration's scale factors and trust region.
  void InitializeScaling();
  // gnorm_: the largest cosine between fvec_ and a Jacobian column.
  void ComputeGradientNorm();
  // Scale factors grow with the Jacobian's column norms.
  void UpdateScaling();
  // The LM step for the current radius (lmpar), kept inside the limits.
  void ComputeTrustRegionStep();
  // trial_ = x_ + step_, the step shortened at the limits when needed.
  void PlaceTrial();
  void KeepStepInsideLimits();
  // Residuals at trial_ and their norm. A trial with non-finite residuals
  // gets an infinite norm: the step is refused, the fit goes on.
  bool EvaluateCandidate();
  // prered_ and dirder_ for step_.
  void PredictReduction();
  // actred_, ratio_, and the new radius and LM parameter.
  void UpdateTrustRegion();
  void ShrinkTrustRegion();
  void GrowTrustRegion();
  // True when the trial achieved enough of the predicted reduction: x_ moves
  // there. False: a shorter step is tried from x_.
  bool StepAccepted() const;
  // Moves x_ to the trial.
  void HandleSuccessfulStep();
  // status_ = status; then false (the fit failed) or true (a test stopped it).
  bool Fail(int status);
  bool Stop(int status);

  // --- Stop tests: true when the test holds. GtolReached comes before the
  // trial steps (status MP_OK_DIR); the others after each trial, in lmdif's
  // order, through StopStatus().

  bool GtolReached() const;
  // The status of the first test that holds, or 0 to go on: MP_OK_CHI
  // (FtolReached), MP_OK_PAR (XtolReached) or both (MP_OK_BOTH); else
  // MP_MAXITER (IterationLimitReached); else MP_FTOL, MP_XTOL or MP_GTOL,
  // the tolerance too small for any further improvement.
  int StopStatus() const;
  bool FtolReached() const;
  bool XtolReached() const;
  bool IterationLimitReached() const;
  bool FtolTooSmall() const;
  bool XtolTooSmall() const;
  bool GtolTooSmall() const;
  // Shared by the ftol tests: small actual and predicted relative reductions.
  bool ReductionsWithin(double tolerance) const;

  // --- Refinement after convergence. It never changes status_: a failed
  // call or an unhelpful step just ends it on the best point so far.

  // True when a converged fit is worth refining.
  bool Refinable() const;
  void Refine();
  // One Gauss-Newton step from x_; true when it was kept.
  bool RefinementStep(double& gradient);
  // Central-difference Jacobian and its QR at x_; gradient receives |J^T f|.
  // False when the user function failed.
  bool LinearizeCentral(double& gradient);
  // True when evaluations more calls stay within maxfev.
  bool HasBudget(int evaluations) const;

  void AllocateParts();
  // Hands the fitted values and the report to the caller.
  void Finish(double* xall, mp_result* result);
  void WriteCovariance(double* covar, double* xerror);

  // --- Helpers. Those returning int give 0 or the failure status and leave
  // status_ alone. Functions taking a Part compute that part's rows only and
  // may run on several threads at once.

  int CallFunction(const double* xfree, double* fvec, double** dvec,
                   bool checkFinite = true);
  int CallPart(Part& part, const double* xfree, double* fvec, double** dvec,
               bool checkFinite);
  int PartsStatus() const;
  // Residuals and their norm at trial_ (see EvaluateCandidate).
  int EvaluateTrial();
  int ComputeJacobian(TDifferences differences);
  int PartJacobian(Part& part, TDifferences differences, double eps);
  int PartUserDerivatives(Part& part);
  int DifferenceColumn(Part& part, int j, TDifferences differences, double eps);
  void ReduceRows();
  double DifferenceStep(int j, double eps) const;
  void PrintDerivativeCheck(int j, const double* user, const double* numeric) const;
  double* RColumn(int j) { return &fjac_[std::size_t(j) * ldfjac_]; }
  double* JacobianColumn(int j) { return &fjac_[std::size_t(j) * m_]; }
  double ScaledNorm(const std::vector<double>& v);
  bool AtLower(int j) const;
  bool AtUpper(int j) const;
  int CountPegged() const;

  const Problem& problem_;     // the checked call (owned by the caller)
  const int m_;                // number of residuals
  const int n_;                // number of free parameters
  const bool reduceRows_;      // tall Jacobians: reduced to n_ x n_ first
  int status_ = 0;             // why the fit stopped; 0 while it runs
  int nfev_ = 0;               // user function calls so far
  int niter_ = 0;              // accepted steps so far
  bool firstIteration_ = true; // no step accepted yet

  std::vector<double*> dvec_;    // derivative columns asked of the user
  std::vector<double> x_;        // free parameters, current best
  std::vector<double> fvec_;     // residuals at x_
  std::vector<double> trial_;    // free parameters of the candidate step
  std::vector<double> ftrial_;   // residuals at trial_
  std::vector<double> fscratch_; // residuals of difference steps
  std::vector<double> fjac_;     // Jacobian (m_ x n_, by columns), then QR
  int ldfjac_ = 0;               // leading dimension of the QR in fjac_
  CRowReduction reduction_;      // workspace of the row reduction
  std::vector<int> ipvt_;        // column permutation of the QR (1-based)
  std::vector<double> rdiag_;    // diagonal of R
  std::vector<double> acnorm_;   // column norms of the Jacobian
  std::vector<double> qtf_;      // first n_ elements of Q^T fvec
  std::vector<double> diag_;     // parameter scale factors
  std::vector<double> step_;     // step taken from x_ to trial_
  std::vector<double> rstep_;    // R P^T step
  std::vector<double> xBackup_;   // refining: the point before the last step
  std::vector<double> fBackup_;   // refining: residuals at xBackup_
  std::vector<double> direction_; // refining: the full Gauss-Newton step
  std::vector<double> work1_;     // kernel scratch (n_)
  std::vector<double> work2_;     // kernel scratch (n_)
  std::vector<double> work3_;     // kernel scratch (n_), and scaled vectors
  std::vector<Part> parts_;        // the rows in parts (one for mpfit())
  std::unique_ptr<CPartWorkers> workers_;  // threads that run the parts
  std::vector<double> checkedUserColumns_;  // user columns under a derivative check
  std::vector<double> stackedR_;   // the parts' triangles one below the other
  std::vector<double> stackedQtf_; // and their Q^T f

  double fnorm_ = 0;        // |fvec_|
  double orignorm_ = 0;     // |f| at the initial values, squared
  double ftrialNorm_ = 0;   // |ftrial_|; infinite when not finite
  double xnorm_ = 0;        // |diag * x_|
  double delta_ = 0;        // trust-region radius
  double par_ = 0;          // Levenberg-Marquardt parameter
  double gnorm_ = 0;        // scaled gradient norm
  double pnorm_ = 0;        // |diag * step_|
  bool stepCut_ = false;    // the limits changed the LM step
  double actred_ = 0;       // actual relative reduction of the squared norm
  double prered_ = 0;       // predicted relative reduction
  double dirder_ = 0;       // relative directional derivative
  double ratio_ = 0;        // actred_ / prered_
};

}  // namespace mpfit_internal
