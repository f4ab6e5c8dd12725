#!/usr/bin/python3
"""Astropy's Lomb-Scargle periodogram (nterms=1, method 'chi2') on the points
and the trial grid of the frequency-analysis benchmark, for comparison.

Run the pair:
  OMBRIX_FREQUENCY_DATA=/tmp/freq10000.txt bench_ombrix_analysis_frequency_bench \
      --benchmark_filter=DefaultScan
  /usr/bin/python3 bench/ombrix_analysis/lombscargle_astropy.py /tmp/freq10000.txt [--stride S]

The file holds '# grid <min period> <max period> <trials>' and one line
'time value error' per point. The trials are the periods min + i * step,
step = (max - min) / (trials - 1), as the program scans them. With --stride S
only every S-th trial is computed and the full-grid time is extrapolated
(astropy's chi2 method is slow); the best trial period is printed either way.
"""
import argparse
import time

import numpy as np
from astropy.timeseries import LombScargle


def read_exchange(path):
    with open(path) as f:
        _, word, low, high, count = f.readline().split()
        assert word == "grid"
    data = np.loadtxt(path, comments="#")
    return float(low), float(high), int(count), data[:, 0], data[:, 1], data[:, 2]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("data")
    parser.add_argument("--stride", type=int, default=1)
    args = parser.parse_args()
    low, high, count, t, y, dy = read_exchange(args.data)
    step = (high - low) / (count - 1)
    periods = low + np.arange(0, count, args.stride) * step
    model = LombScargle(t, y, dy, nterms=1)
    began, cpu = time.perf_counter(), time.process_time()
    power = model.power(1.0 / periods, method="chi2")
    seconds, cpu = time.perf_counter() - began, time.process_time() - cpu
    full = seconds * count / len(periods)
    print(f"points {len(t)} trials {len(periods)} of {count}")
    print(f"seconds {seconds:.3f} cpu {cpu:.3f} (full grid {full:.1f} s, {full / count * 1e6:.1f} us per trial, "
          f"{full / count / len(t) * 1e9:.2f} ns per point and trial)")
    print(f"best period {periods[np.argmax(power)]:.7f}")


if __name__ == "__main__":
    main()
