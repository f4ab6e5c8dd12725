#include "mpfit/mpfit.h"

#include <new>

#include "problem.h"
#include "solver.h"

namespace {

// Prepares the problem with prepare(problem), then fits it.
template <class Prepare>
int Fit(Prepare prepare, double* xall, mp_result* result) {
  using namespace mpfit_internal;
  int status = MP_ERR_MEMORY;
  try {
    Problem problem;
    status = prepare(problem);
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

}  // namespace

int mpfit(mp_func funct, int m, int npar, double* xall, mp_par* pars,
          mp_config* config, void* private_data, mp_result* result) {
  return Fit([&](mpfit_internal::Problem& problem) {
    return PrepareProblem(funct, m, npar, xall, pars, config, private_data, problem);
  }, xall, result);
}

int mpfit_parts(const mp_parts* parts, int m, int npar, double* xall, mp_par* pars,
                mp_config* config, void* private_data, mp_result* result) {
  return Fit([&](mpfit_internal::Problem& problem) {
    return PreparePartsProblem(parts, m, npar, xall, pars, config, private_data, problem);
  }, xall, result);
}
