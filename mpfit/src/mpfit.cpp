#include "mpfit/mpfit.h"

#include <new>

#include "problem.h"
#include "solver.h"

int mpfit(mp_func funct, int m, int npar, double* xall, mp_par* pars,
          mp_config* config, void* private_data, mp_result* result) {
  using namespace mpfit_internal;
  int status = MP_ERR_MEMORY;
  try {
    Problem problem;
    status = PrepareProblem(funct, m, npar, xall, pars, config, private_data, problem);
    if (status == 1) {
      Solver solver(problem);
      status = solver.Allocate() ? solver.Run(xall, result) : MP_ERR_MEMORY;
    }
  } catch (const std::bad_alloc&) {
    status = MP_ERR_MEMORY;
  }
  if (result) result->status = status;
  return status;
}
