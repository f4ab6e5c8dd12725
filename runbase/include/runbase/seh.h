// SEH: floating-point exception control and the translation of hardware
// faults into language exceptions.
//
// The mask word uses the Windows control-word bits: a set bit masks
// (disables) that exception. Pending exception flags are cleared whenever
// the mask changes, so an unmasked exception does not fire from an old flag.
#pragma once

#include <cstdint>

namespace SEH {

inline constexpr std::uint32_t MaskInexact = 0x00001;
inline constexpr std::uint32_t MaskUnderflow = 0x00002;
inline constexpr std::uint32_t MaskOverflow = 0x00004;
inline constexpr std::uint32_t MaskZeroDivide = 0x00008;
inline constexpr std::uint32_t MaskInvalid = 0x00010;
inline constexpr std::uint32_t MaskDenormal = 0x80000;
inline constexpr std::uint32_t MaskAll = MaskInexact | MaskUnderflow | MaskOverflow |
                                         MaskZeroDivide | MaskInvalid | MaskDenormal;

// The current mask word.
std::uint32_t GetFloatExceptionsMask();
// Clears pending flags, sets the mask bits (of MaskAll), returns the previous word.
std::uint32_t SetFloatExceptionsMask(std::uint32_t mask);
// Masks every exception; returns the previous word.
std::uint32_t DisableFloatExceptions();
// Clears pending flags and unmasks all but inexact; returns the previous word.
std::uint32_t EnableFloatExceptions();

// Exception codes carried by CException (the Windows values).
inline constexpr std::uint32_t CodeAccessViolation = 0xC0000005;
inline constexpr std::uint32_t CodeIllegalInstruction = 0xC000001D;
inline constexpr std::uint32_t CodeFltDivideByZero = 0xC000008E;
inline constexpr std::uint32_t CodeFltInexact = 0xC000008F;
inline constexpr std::uint32_t CodeFltInvalid = 0xC0000090;
inline constexpr std::uint32_t CodeFltOverflow = 0xC0000091;
inline constexpr std::uint32_t CodeFltUnderflow = 0xC0000093;
inline constexpr std::uint32_t CodeIntDivideByZero = 0xC0000094;
inline constexpr std::uint32_t CodeIntOverflow = 0xC0000095;
inline constexpr std::uint32_t CodeFltDenormal = 0xC000008D;

// The language exception thrown for a hardware fault.
struct CException {
  std::uint32_t code;   // one of the Code* values
};

// Installs handlers for SIGFPE, SIGSEGV, SIGBUS and SIGILL on the process
// that throw CException with the fault's code from the faulting instruction.
// The catching frame needs a landing pad for the fault: the fault must come
// from a call the compiler cannot prove nothrow (an out-of-line function
// reached through a pointer or another library), or from code compiled with
// -fnon-call-exceptions; otherwise the exception ends the process.
// Installing twice does nothing.
void EnableSEH();

// Maps a signal and its si_code to an exception code (used by the handler).
std::uint32_t ExceptionCodeOf(int signal, int signalCode);

}  // namespace SEH
