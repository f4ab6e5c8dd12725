// Bounded nonlinear least squares: the MPFIT interface (cmpfit).
//
// mpfit() minimises the sum of squares of m residuals computed by a user
// function of npar parameters, with a Levenberg-Marquardt trust-region method
// on numeric (or user-supplied) derivatives. Parameters may be fixed or
// limited below and/or above; steps never leave the limits, and a parameter
// resting on a limit with the gradient pointing outwards is held there.
//
// Beyond the classic MINPACK loop: after convergence a few Gauss-Newton steps
// on central-difference Jacobians polish the result (kept only when they
// help; tall problems, 1,000 rows and more with at least 8 per free
// parameter, skip this and reduce their Jacobian to a triangle block by block
// before factorising it), and a trial step whose residuals are not finite is
// refused like any step that fails to reduce chi-square; non-finite residuals
// at the start or in a Jacobian end the fit with MP_ERR_NAN. Errors and covariance come from
// a central-difference Jacobian at the final values. Safe to call from
// several threads at once with separate arguments. mpfit_parts() below
// spreads the residual evaluations of a large problem over threads.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// User function: fill fvec[0..m-1] with the residuals at x[0..n-1]. When dvec
// is not null, dvec[j] (if not null) asks for the derivatives d fvec / d x[j]
// in dvec[j][0..m-1] (only for parameters whose side is 3). Return 0, or a
// negative value to stop the fit; mpfit then returns that value as status.
typedef int (*mp_func)(int m, int n, double *x, double *fvec, double **dvec,
                       void *private_data);

// Reserved for an iteration callback; keep it null.
typedef void (*mp_iterproc)(void);

// Constraints and derivative settings of one parameter.
struct mp_par_struct {
  int fixed;           // 1: the parameter is held at its initial value
  int limited[2];      // 1: the lower [0] / upper [1] limit applies
  double limits[2];    // lower and upper limit
  char *parname;       // name, informational only (may be null)
  double step;         // absolute difference step; 0 = automatic
  double relstep;      // step relative to |value|; overrides step when > 0
  int side;            // 0 auto (forward), 1 forward, -1 backward,
                       // 2 central, 3 derivatives from the user function
  int deriv_debug;     // 1 (with side 3): print user versus numeric derivatives
  double deriv_reltol; // relative tolerance of that comparison
  double deriv_abstol; // absolute tolerance of that comparison
};
typedef struct mp_par_struct mp_par;

// Fit settings; every field left 0 takes the default in brackets.
struct mp_config_struct {
  double ftol;         // relative chi-square change to stop at [1e-10]
  double xtol;         // relative parameter change to stop at [1e-10]
  double gtol;         // orthogonality of residuals and Jacobian [1e-10]
  double epsfcn;       // relative error of the function values [machine eps]
  double stepfactor;   // initial trust-region size factor [100]
  double covtol;       // rank tolerance of the covariance matrix [1e-14]
  int maxiter;         // iteration limit [200]; MP_NO_ITER: errors only
  int maxfev;          // function evaluation limit [none]
  int nprint;          // reserved
  int douserscale;     // 1: no internal rescaling of the parameters
  int nofinitecheck;   // 1: skip the check for non-finite residuals
  mp_iterproc iterproc;// reserved, keep null
};
typedef struct mp_config_struct mp_config;

// Outcome of a fit. resid (m values), xerror (npar) and covar (npar*npar)
// are filled only when the caller points them at arrays of that size.
struct mp_result_struct {
  double bestnorm;     // final chi-square
  double orignorm;     // chi-square at the initial values
  int niter;           // number of iterations
  int nfev;            // number of user function calls
  int status;          // the value mpfit returns
  int npar;            // number of parameters
  int nfree;           // number of free parameters
  int npegged;         // free parameters ending on a limit
  int nfunc;           // number of residuals
  double *resid;       // final residuals
  double *xerror;      // 1-sigma parameter errors (0 for fixed or pegged)
  double *covar;       // covariance matrix, row-major npar x npar
};
typedef struct mp_result_struct mp_result;

// Error codes.
#define MP_ERR_INPUT (0)         // general input parameter error
#define MP_ERR_NAN (-16)         // user function produced non-finite values
#define MP_ERR_FUNC (-17)        // no user function was supplied
#define MP_ERR_NPOINTS (-18)     // no user data points were supplied
#define MP_ERR_NFREE (-19)       // no free parameters
#define MP_ERR_MEMORY (-20)      // memory allocation error
#define MP_ERR_INITBOUNDS (-21)  // initial values inconsistent with constraints
#define MP_ERR_BOUNDS (-22)      // initial constraints inconsistent
#define MP_ERR_PARAM (-23)       // general input parameter error
#define MP_ERR_DOF (-24)         // not enough degrees of freedom

// Success codes.
#define MP_OK_CHI (1)            // convergence in chi-square
#define MP_OK_PAR (2)            // convergence in parameter value
#define MP_OK_BOTH (3)           // both of the above
#define MP_OK_DIR (4)            // convergence in orthogonality
#define MP_MAXITER (5)           // iteration or evaluation limit reached
#define MP_FTOL (6)              // ftol too small, no further improvement
#define MP_XTOL (7)              // xtol too small, no further improvement
#define MP_GTOL (8)              // gtol too small, no further improvement

#define MP_MACHEP0 2.2204460e-16 // machine precision
#define MP_DWARF 2.2250739e-308  // smallest positive double
#define MP_GIANT 1.7976931e+308  // largest double
#define MP_NO_ITER (-1)          // maxiter value: no iterations, errors only

// Fits xall[0..npar-1] in place (on success) to the m residuals of funct.
// pars, config and result may be null (all free, defaults, no report).
// Returns the status: > 0 success, <= 0 failure.
int mpfit(mp_func funct, int m, int npar, double *xall, mp_par *pars,
          mp_config *config, void *private_data, mp_result *result);

// Not in cmpfit: residuals computed in parts of the rows, on several threads.
//
// The m rows are split into parts; part k holds rows first[k] to
// first[k+1] - 1. The part function fills the residuals of one part: it is
// an mp_func of those rows only (m is the part's row count, fvec and every
// dvec[j] point at the part's first row), told which part it computes.
// Calls for different parts may run at the same time on different threads;
// calls for one part never overlap and come in the order of a fit on one
// thread, so a part function may keep state per part (caches of its rows).
// The fitted values depend on the split, not on the number of threads.
// With a single part the fit is exactly that of mpfit().
typedef int (*mp_part_func)(int part, int m, int n, double *x, double *fvec,
                            double **dvec, void *private_data);

struct mp_parts_struct {
  int count;           // number of parts, at least 1
  const int *first;    // count + 1 row indices: 0 = first[0] < first[1] <
                       // ... < first[count] = m
  mp_part_func funct;  // residuals of one part
  int threads;         // threads to run the parts on; 0: one per processor
};
typedef struct mp_parts_struct mp_parts;

// As mpfit(), with the residuals of parts->funct. A missing part function
// gives MP_ERR_FUNC, a split that does not cover the m rows in order
// MP_ERR_INPUT.
int mpfit_parts(const mp_parts *parts, int m, int npar, double *xall, mp_par *pars,
                mp_config *config, void *private_data, mp_result *result);

#ifdef __cplusplus
}
#endif
