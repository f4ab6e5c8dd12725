// The NIST StRD nonlinear regression problems: reading the .dat files, the
// model of each problem, and the log relative error used to score a fit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <cminpack.h>

#include "mpfit/mpfit.h"

namespace nist {

using Model = double (*)(const double* b, const double* x);

struct Problem {
  std::string name;
  std::vector<double> start[2];       // the two published starting points
  std::vector<double> certified;      // certified parameter values
  std::vector<double> certifiedSd;    // their certified standard deviations
  double certifiedRss = 0;            // certified residual sum of squares
  std::vector<double> y;              // responses
  std::vector<std::vector<double>> x; // predictors, one row per observation
  bool logResponse = false;           // the model predicts log(y)
  Model model = nullptr;
  int parameters() const { return static_cast<int>(certified.size()); }
};

constexpr double kPi = 3.141592653589793238462643383279;

inline double Rational33(const double* b, double x) {
  return (b[0] + b[1] * x + b[2] * x * x + b[3] * x * x * x) /
         (1 + b[4] * x + b[5] * x * x + b[6] * x * x * x);
}
inline double Gauss(const double* b, double x) {
  return b[0] * std::exp(-b[1] * x) +
         b[2] * std::exp(-(x - b[3]) * (x - b[3]) / (b[4] * b[4])) +
         b[5] * std::exp(-(x - b[6]) * (x - b[6]) / (b[7] * b[7]));
}
inline double Lanczos(const double* b, double x) {
  return b[0] * std::exp(-b[1] * x) + b[2] * std::exp(-b[3] * x) +
         b[4] * std::exp(-b[5] * x);
}
inline double Exponential2(const double* b, double x) {
  return b[0] * (1 - std::exp(-b[1] * x));
}

inline const std::map<std::string, Model>& Models() {
  static const std::map<std::string, Model> models = {
      {"Bennett5", [](const double* b, const double* x) { return b[0] * std::pow(b[1] + x[0], -1 / b[2]); }},
      {"BoxBOD", [](const double* b, const double* x) { return Exponential2(b, x[0]); }},
      {"Chwirut1", [](const double* b, const double* x) { return std::exp(-b[0] * x[0]) / (b[1] + b[2] * x[0]); }},
      {"Chwirut2", [](const double* b, const double* x) { return std::exp(-b[0] * x[0]) / (b[1] + b[2] * x[0]); }},
      {"DanWood", [](const double* b, const double* x) { return b[0] * std::pow(x[0], b[1]); }},
      {"ENSO", [](const double* b, const double* x) {
         const double t = 2 * kPi * x[0];
         return b[0] + b[1] * std::cos(t / 12) + b[2] * std::sin(t / 12) +
                b[4] * std::cos(t / b[3]) + b[5] * std::sin(t / b[3]) +
                b[7] * std::cos(t / b[6]) + b[8] * std::sin(t / b[6]); }},
      {"Eckerle4", [](const double* b, const double* x) {
         const double u = (x[0] - b[2]) / b[1];
         return b[0] / b[1] * std::exp(-0.5 * u * u); }},
      {"Gauss1", [](const double* b, const double* x) { return Gauss(b, x[0]); }},
      {"Gauss2", [](const double* b, const double* x) { return Gauss(b, x[0]); }},
      {"Gauss3", [](const double* b, const double* x) { return Gauss(b, x[0]); }},
      {"Hahn1", [](const double* b, const double* x) { return Rational33(b, x[0]); }},
      {"Kirby2", [](const double* b, const double* x) {
         const double t = x[0];
         return (b[0] + b[1] * t + b[2] * t * t) / (1 + b[3] * t + b[4] * t * t); }},
      {"Lanczos1", [](const double* b, const double* x) { return Lanczos(b, x[0]); }},
      {"Lanczos2", [](const double* b, const double* x) { return Lanczos(b, x[0]); }},
      {"Lanczos3", [](const double* b, const double* x) { return Lanczos(b, x[0]); }},
      {"MGH09", [](const double* b, const double* x) {
         const double t = x[0];
         return b[0] * (t * t + t * b[1]) / (t * t + t * b[2] + b[3]); }},
      {"MGH10", [](const double* b, const double* x) { return b[0] * std::exp(b[1] / (x[0] + b[2])); }},
      {"MGH17", [](const double* b, const double* x) {
         return b[0] + b[1] * std::exp(-x[0] * b[3]) + b[2] * std::exp(-x[0] * b[4]); }},
      {"Misra1a", [](const double* b, const double* x) { return Exponential2(b, x[0]); }},
      {"Misra1b", [](const double* b, const double* x) { return b[0] * (1 - std::pow(1 + b[1] * x[0] / 2, -2)); }},
      {"Misra1c", [](const double* b, const double* x) { return b[0] * (1 - std::pow(1 + 2 * b[1] * x[0], -0.5)); }},
      {"Misra1d", [](const double* b, const double* x) { return b[0] * b[1] * x[0] / (1 + b[1] * x[0]); }},
      {"Nelson", [](const double* b, const double* x) { return b[0] - b[1] * x[0] * std::exp(-b[2] * x[1]); }},
      {"Rat42", [](const double* b, const double* x) { return b[0] / (1 + std::exp(b[1] - b[2] * x[0])); }},
      {"Rat43", [](const double* b, const double* x) {
         return b[0] / std::pow(1 + std::exp(b[1] - b[2] * x[0]), 1 / b[3]); }},
      {"Roszman1", [](const double* b, const double* x) {
         return b[0] - b[1] * x[0] - std::atan(b[2] / (x[0] - b[3])) / kPi; }},
      {"Thurber", [](const double* b, const double* x) { return Rational33(b, x[0]); }},
  };
  return models;
}

inline std::vector<double> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> values;
  for (std::string word; in >> word;) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end == word.c_str() || *end != '\0') return {};
    values.push_back(v);
  }
  return values;
}

// Reads <folder>/<name>.dat; false when the file or a section is missing.
inline bool Load(const std::string& folder, const std::string& name, Problem& p) {
  std::ifstream in(folder + "/" + name + ".dat");
  if (!in) return false;
  p = Problem{};
  p.name = name;
  p.model = Models().at(name);
  p.logResponse = name == "Nelson";
  bool inData = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    if (inData) {
      const std::vector<double> row = Numbers(line);
      if (row.size() < 2) continue;
      p.y.push_back(p.logResponse ? std::log(row[0]) : row[0]);
      p.x.emplace_back(row.begin() + 1, row.end());
    } else if (first == "Data:" && second == "y") {
      inData = true;
    } else if (first.size() > 1 && first[0] == 'b' && second == "=") {
      const std::vector<double> v = Numbers(line.substr(line.find('=') + 1));
      if (v.size() != 4) return false;
      p.start[0].push_back(v[0]);
      p.start[1].push_back(v[1]);
      p.certified.push_back(v[2]);
      p.certifiedSd.push_back(v[3]);
    } else if (line.find("Residual Sum of Squares:") != std::string::npos) {
      p.certifiedRss = Numbers(line.substr(line.find(':') + 1)).at(0);
    }
  }
  return p.parameters() > 0 && !p.y.empty();
}

// Residuals y - f(x; b) of problem p.
inline void Residuals(const Problem& p, const double* b, double* out) {
  for (size_t i = 0; i < p.y.size(); ++i) out[i] = p.y[i] - p.model(b, p.x[i].data());
}

// Correct significant digits of estimate against certified: the log
// relative error, 0 to 11 (the precision of the certified values).
inline double Digits(double estimate, double certified) {
  if (!std::isfinite(estimate)) return 0;
  if (estimate == certified) return 11;
  const double relative = certified != 0 ? std::fabs((estimate - certified) / certified)
                                         : std::fabs(estimate);
  return std::clamp(-std::log10(relative), 0.0, 11.0);
}

// Residual functions for mpfit() and for lmdif; the data is the Problem.
inline int MpfitResidual(int, int, double* b, double* f, double**, void* data) {
  Residuals(*static_cast<const Problem*>(data), b, f);
  return 0;
}
inline int LmdifResidual(void* data, int, int, const double* b, double* f, int) {
  Residuals(*static_cast<const Problem*>(data), b, f);
  return 0;
}

// lmdif from b (updated) with the tolerances, step and evaluation budget of
// mpfit's defaults; returns lmdif's info.
inline int RunLmdif(const Problem& p, std::vector<double>& b) {
  const int m = static_cast<int>(p.y.size()), n = p.parameters();
  std::vector<double> fvec(m), diag(n), fjac(size_t(m) * n), qtf(n), wa1(n), wa2(n),
      wa3(n), wa4(m);
  std::vector<int> ipvt(n);
  int nfev = 0;
  return lmdif(LmdifResidual, const_cast<Problem*>(&p), m, n, b.data(), fvec.data(), 1e-10,
               1e-10, 1e-10, 200 * (n + 1), 0, diag.data(), 1, 100, 0, &nfev, fjac.data(), m,
               ipvt.data(), qtf.data(), wa1.data(), wa2.data(), wa3.data(), wa4.data());
}

inline std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const auto& [name, model] : Models()) names.push_back(name);
  return names;
}

}  // namespace nist
