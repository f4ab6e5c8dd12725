// Runs a test under a decimal-comma locale (de_DE.UTF-8) and restores "C".
#pragma once

#include <clocale>

class CDecimalCommaLocale {
 public:
  CDecimalCommaLocale() : active_(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {}
  ~CDecimalCommaLocale() { std::setlocale(LC_ALL, "C"); }
  CDecimalCommaLocale(const CDecimalCommaLocale&) = delete;
  CDecimalCommaLocale& operator=(const CDecimalCommaLocale&) = delete;

  // False when the system lacks the locale; the test should then skip.
  bool Active() const { return active_; }

 private:
  bool active_;
};
