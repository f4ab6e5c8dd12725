#!/usr/bin/python3
"""The phase-curve fit of the fit benchmark done by scipy's least_squares
(method 'trf', two-point Jacobian, the program's limits), for comparison.

Run the pair:
  OMBRIX_FIT_DATA=/tmp/fit20000.txt bench_ombrix_analysis_fit_bench \
      --benchmark_filter=PhaseCurve
  /usr/bin/python3 bench/ombrix_analysis/fit_scipy.py /tmp/fit20000.txt

The file holds '# start', '# lower' and '# upper' lines of sixteen values and
one line 'phase value error' per point, phases already in [0, 1) and errors
not 0: exactly what the program's residual function receives.
"""
import sys
import time

import numpy as np
from scipy.optimize import least_squares


def read_exchange(path):
    rows = {}
    with open(path) as f:
        for line in f:
            if not line.startswith("#"):
                break
            name, *values = line[1:].split()
            rows[name] = np.array([float(v) for v in values])
    data = np.loadtxt(path, comments="#")
    return rows["start"], rows["lower"], rows["upper"], data[:, 0], data[:, 1], data[:, 2]


def eclipse(u, amplitude, width, shape, curvature):
    """a (1 + c u^2 / d^2) (1 - (1 - exp(1 - cosh(u / d)))^g), as the program has it."""
    base = 1.0 - np.exp(1.0 - np.cosh(u / width))
    return amplitude * (1.0 + curvature / width**2 * u * u) * (1.0 - base**shape)


def model(p, phase):
    secondary = eclipse(phase - p[1], p[6], p[7], p[8], p[9])
    primary = eclipse(np.where(phase < 0.5, phase, phase - 1.0), p[2], p[3], p[4], p[5])
    value = secondary + p[0] + primary
    for k in range(1, 4):
        angle = 2.0 * np.pi * k * phase
        value += p[10 + 2 * (k - 1)] * np.sin(angle) + p[11 + 2 * (k - 1)] * np.cos(angle)
    return value


def main():
    start, lower, upper, phase, value, error = read_exchange(sys.argv[1])
    residual = lambda p: (value - model(p, phase)) / error
    with np.errstate(over="ignore", invalid="ignore"):
        began, cpu = time.perf_counter(), time.process_time()
        fit = least_squares(residual, start, method="trf", jac="2-point", bounds=(lower, upper))
        seconds, cpu = time.perf_counter() - began, time.process_time() - cpu
    print(f"points {len(phase)} status {fit.status} nfev {fit.nfev} njev {fit.njev}")
    print(f"seconds {seconds:.3f} cpu {cpu:.3f}")
    print(f"chi2 {2.0 * fit.cost:.6f} (initial {np.sum(residual(start) ** 2):.6f})")
    print("parameters " + " ".join(f"{v:.8g}" for v in fit.x))


if __name__ == "__main__":
    main()
