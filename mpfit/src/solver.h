// Bounded Levenberg-Marquardt solver on the MINPACK-1 kernels (qrfac, lmpar,
// enorm): the trust-region loop of lmdif, with steps cut back at the limits
// and parameters that rest on a limit, pushed outwards, held there.
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

class Solver {
 public:
  explicit Solver(const Problem& problem);

  // Reserves the workspace; false when memory is short.
  bool Allocate();
  // Runs the fit; returns the status and fills result (may be null).
  // On success the caller's parameter vector receives the fitted values.
  int Run(double* xall, mp_result* result);

 private:
  // Loop steps. Each returns false when the fit stops (status_ says why),
  // except the tests named *Converged, which return true when it stops.
  void AllocateParts();
  bool Init();
  bool Iterate();
  bool ComputeJacobian();
  void HoldPeggedParameters();
  void FactorizeJacobian();
  double* RColumn(int j) { return &fjac_[std::size_t(j) * ldr_]; }
  void InitializeScaling();
  bool GradientConverged();
  void UpdateScaling();
  void ComputeTrustRegionStep();
  void PlaceTrial();
  void KeepStepInsideLimits();
  bool EvaluateCandidate();
  void PredictReduction();
  void UpdateTrustRegion();
  bool StepAccepted() const;
  void HandleSuccessfulStep();
  bool Converged();
  bool Refinable() const;
  void Refine();
  bool RefinementStep(double& gradient);
  bool HasBudget(int evaluations) const;
  bool LinearizeAtCurrent(double& gradient);
  void Finish(double* xall, mp_result* result);

  // One part of the rows, with the scratch its evaluations use alone.
  struct Part {
    int index = 0;               // part number handed to the part function
    int first = 0;               // its first row
    int count = 0;               // its number of rows
    std::vector<double> xall;    // full parameter vector of its calls
    std::vector<double> trial;   // free parameters of its difference steps
    std::vector<double*> dvec;   // its rows of the derivative columns asked for
    CRowReduction reduction;     // its rows reduced to a triangle ...
    std::vector<double> r, qf;   // ... r (n_ x n_) with its Q^T f
    int status = 0;              // 0, or why its last task failed
    int calls = 0;               // user function calls of its last task
  };

  // Helpers. Functions taking a Part compute that part's rows only and
  // return 0 or the failure status; they may run on several threads at once.
  bool CallFunction(const double* xfree, double* fvec, double** dvec,
                    bool checkFinite = true);
  int CallPart(Part& part, const double* xfree, double* fvec, double** dvec,
               bool checkFinite);
  bool PartsSucceeded();
  int PartJacobian(Part& part, double eps);
  int PartUserDerivatives(Part& part);
  int DifferenceColumn(Part& part, int j, double eps);
  void ReduceRows();
  double DifferenceStep(int j, double eps) const;
  bool InsideLimits(int j, double value) const;
  void PrintDerivativeCheck(int j, const double* user, const double* numeric) const;
  double ScaledNorm(const std::vector<double>& v);
  bool AtLower(int j) const;
  bool AtUpper(int j) const;
  int CountPegged() const;
  void WriteCovariance(double* covar, double* xerror);

  const Problem& p_;           // the checked call (owned by the caller)
  const int m_;                // number of residuals
  const int n_;                // number of free parameters
  int status_ = 0;             // why the fit stopped
  int nfev_ = 0;               // user function calls so far
  int niter_ = 0;              // accepted steps so far
  bool centralDifferences_ = false;  // refining: central differences throughout
  bool firstIteration_ = true; // no step accepted yet

  std::vector<double*> dvec_;    // derivative columns asked of the user
  std::vector<double> x_;        // free parameters, current best
  std::vector<double> fvec_;     // residuals at x_
  std::vector<double> trial_;    // free parameters of the candidate step
  std::vector<double> ftrial_;   // residuals at trial_
  std::vector<double> fscratch_; // residuals of difference steps
  std::vector<double> fjac_;     // Jacobian (m_ x n_, by columns), then QR
  int ldr_ = 0;                  // leading dimension of the QR in fjac_
  bool reduceRows_ = false;      // tall Jacobians: reduced to n_ x n_ first
  CRowReduction reduction_;      // workspace of that reduction
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
  std::vector<double> work1_, work2_, work3_;  // kernel scratch, n_ each
  std::vector<Part> parts_;        // the rows in parts (one for mpfit())
  std::unique_ptr<CPartWorkers> workers_;  // threads that run the parts
  std::vector<double> debugUser_;  // user columns under a derivative check
  std::vector<double> stacked_;    // the parts' triangles one below the other
  std::vector<double> stackedF_;   // and their Q^T f

  double fnorm_ = 0;        // |fvec_|
  double orignorm_ = 0;     // |f| at the initial values, squared
  double ftrialNorm_ = 0;   // |ftrial_|
  double xnorm_ = 0;        // |diag * x_|
  double delta_ = 0;        // trust-region radius
  double par_ = 0;          // Levenberg-Marquardt parameter
  double gnorm_ = 0;        // scaled gradient norm
  double pnorm_ = 0;        // |diag * step_|
  double alpha_ = 1;        // fraction of the LM step allowed by the limits
  bool stepCut_ = false;    // the limits changed the LM step
  double actred_ = 0;       // actual relative reduction of the squared norm
  double prered_ = 0;       // predicted relative reduction
  double dirder_ = 0;       // relative directional derivative
  double ratio_ = 0;        // actred_ / prered_
};

}  // namespace mpfit_internal
