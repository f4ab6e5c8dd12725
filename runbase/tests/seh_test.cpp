#include "runbase/seh.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "runbase/diag.h"

namespace {

// Restores the float environment of the test program.
class SehTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = SEH::GetFloatExceptionsMask(); }
  void TearDown() override { SEH::SetFloatExceptionsMask(saved_); }
  std::uint32_t saved_ = 0;
};

TEST_F(SehTest, MasksRoundTripAndReturnThePreviousWord) {
  EXPECT_EQ(SEH::DisableFloatExceptions(), saved_);
  EXPECT_EQ(SEH::GetFloatExceptionsMask(), SEH::MaskAll);
  EXPECT_EQ(SEH::EnableFloatExceptions(), SEH::MaskAll);
  EXPECT_EQ(SEH::GetFloatExceptionsMask(), SEH::MaskInexact);
  const std::uint32_t some = SEH::MaskAll & ~SEH::MaskZeroDivide;
  EXPECT_EQ(SEH::SetFloatExceptionsMask(some), SEH::MaskInexact);
  EXPECT_EQ(SEH::GetFloatExceptionsMask(), some);
}

TEST(Seh, SignalsMapToWindowsExceptionCodes) {
  EXPECT_EQ(SEH::ExceptionCodeOf(SIGFPE, FPE_FLTDIV), SEH::CodeFltDivideByZero);
  EXPECT_EQ(SEH::ExceptionCodeOf(SIGFPE, FPE_INTDIV), SEH::CodeIntDivideByZero);
  EXPECT_EQ(SEH::ExceptionCodeOf(SIGFPE, FPE_FLTINV), SEH::CodeFltInvalid);
  EXPECT_EQ(SEH::ExceptionCodeOf(SIGSEGV, SEGV_MAPERR), SEH::CodeAccessViolation);
  EXPECT_EQ(SEH::ExceptionCodeOf(SIGILL, 0), SEH::CodeIllegalInstruction);
}

__attribute__((noinline)) double Divide(double a, double b) {
  volatile double numerator = a, denominator = b;
  return numerator / denominator;
}

// Divides by zero with the exception unmasked; reports the code caught.
void CatchDivision() {
  SEH::EnableSEH();
  SEH::EnableFloatExceptions();
  // Called through a pointer the compiler cannot see through, so the call
  // keeps its landing pad although Divide itself cannot throw.
  double (*volatile divide)(double, double) = &Divide;
  std::uint32_t code = 0;
  try {
    divide(1.0, 0.0);
  } catch (const SEH::CException& e) {
    code = e.code;
  }
  SEH::DisableFloatExceptions();
  std::_Exit(code == SEH::CodeFltDivideByZero ? 0 : 1);
}

TEST(SehDeathTest, UnmaskedDivisionByZeroBecomesAnException) {
  EXPECT_EXIT(CatchDivision(), ::testing::ExitedWithCode(0), "");
}

TEST(Diag, ChannelCanBeRedirectedAndRestored) {
  static std::string captured;
  captured.clear();
  const Diag::Channel previous = Diag::SetChannel([](const char* text) { captured += text; });
  Diag::Printf("%s took %d ms\n", "bootstrap", 12);
  Diag::OutputW(u"caf\u00e9\n");
  Diag::SetChannel(previous);
  EXPECT_EQ(captured, "bootstrap took 12 ms\ncaf\xC3\xA9\n");
  Diag::OutputA("");   // back on standard error: must not reach the capture
  EXPECT_EQ(captured, "bootstrap took 12 ms\ncaf\xC3\xA9\n");
}

}  // namespace
