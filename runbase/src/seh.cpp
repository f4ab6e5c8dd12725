// SEH: floating-point exception masks on the C library's fenv interface
// (denormal through MXCSR, which fenv does not cover) and fault signals
// turned into CException.
#include "runbase/seh.h"

#include <fenv.h>
#include <signal.h>

#include <mutex>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace SEH {

namespace {

struct TBit {
  std::uint32_t mask;   // our mask bit
  int fenv;             // the fenv exception
};

constexpr TBit kBits[] = {
    {MaskInexact, FE_INEXACT},   {MaskUnderflow, FE_UNDERFLOW}, {MaskOverflow, FE_OVERFLOW},
    {MaskZeroDivide, FE_DIVBYZERO}, {MaskInvalid, FE_INVALID},
};

#if defined(__SSE__)
constexpr unsigned kMxcsrDenormalFlag = 1u << 1;
constexpr unsigned kMxcsrDenormalMask = 1u << 8;
#endif

bool DenormalMasked() {
#if defined(__SSE__)
  return (_mm_getcsr() & kMxcsrDenormalMask) != 0;
#else
  return true;
#endif
}

void SetDenormal(bool masked) {
#if defined(__SSE__)
  unsigned csr = _mm_getcsr() & ~kMxcsrDenormalFlag;
  csr = masked ? (csr | kMxcsrDenormalMask) : (csr & ~kMxcsrDenormalMask);
  _mm_setcsr(csr);
#else
  (void)masked;
#endif
}

void Handler(int signal, siginfo_t* info, void*) {
  // Pending flags would fire again on x87; the next instruction runs clean.
  feclearexcept(FE_ALL_EXCEPT);
  throw CException{ExceptionCodeOf(signal, info ? info->si_code : 0)};
}

}  // namespace

std::uint32_t GetFloatExceptionsMask() {
  const int enabled = fegetexcept();
  std::uint32_t mask = 0;
  for (const TBit& b : kBits)
    if ((enabled & b.fenv) == 0) mask |= b.mask;
  if (DenormalMasked()) mask |= MaskDenormal;
  return mask;
}

std::uint32_t SetFloatExceptionsMask(std::uint32_t mask) {
  const std::uint32_t previous = GetFloatExceptionsMask();
  feclearexcept(FE_ALL_EXCEPT);
  int enable = 0, disable = 0;
  for (const TBit& b : kBits) (mask & b.mask ? disable : enable) |= b.fenv;
  fedisableexcept(disable);
  feenableexcept(enable);
  SetDenormal((mask & MaskDenormal) != 0);
  return previous;
}

std::uint32_t DisableFloatExceptions() { return SetFloatExceptionsMask(MaskAll); }
std::uint32_t EnableFloatExceptions() { return SetFloatExceptionsMask(MaskInexact); }

std::uint32_t ExceptionCodeOf(int signal, int signalCode) {
  switch (signal) {
    case SIGFPE:
      switch (signalCode) {
        case FPE_INTDIV: return CodeIntDivideByZero;
        case FPE_INTOVF: return CodeIntOverflow;
        case FPE_FLTDIV: return CodeFltDivideByZero;
        case FPE_FLTOVF: return CodeFltOverflow;
        case FPE_FLTUND: return CodeFltUnderflow;
        case FPE_FLTRES: return CodeFltInexact;
        default: return CodeFltInvalid;
      }
    case SIGILL: return CodeIllegalInstruction;
    default: return CodeAccessViolation;   // SIGSEGV, SIGBUS
  }
}

void EnableSEH() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    struct sigaction action {};
    action.sa_sigaction = &Handler;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;   // leaving by throw must not keep it blocked
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGFPE, SIGSEGV, SIGBUS, SIGILL}) sigaction(signal, &action, nullptr);
  });
}

}  // namespace SEH
