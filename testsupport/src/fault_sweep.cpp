#include "ombrix_testsupport/fault_sweep.h"

#include <gtest/gtest.h>
#include <runbase/fio_fault.h>

#include <cstring>

namespace ombrix_test {
namespace {

int FailedParts() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) return 0;
  const ::testing::TestResult* result = test->result();
  int failed = 0;
  for (int i = 0; i < result->total_part_count(); ++i) failed += result->GetTestPartResult(i).failed();
  return failed;
}

// Runs the operation with the point-th file operation failed; false when the
// fault did not fire (the operation needs fewer operations) or the run added
// a failure.
bool RunOnce(const std::function<bool()>& operation, const std::function<void(const TFaultRun&)>& check,
             const TFaultSweepOptions& options, TFaultRun& run, bool& fired) {
  FIO::Fault::Reset();
  if (options.prepare) options.prepare();
  FIO::Fault::FailNextAny(run.error, run.point - 1,
                          run.persistent ? FIO::Fault::Mode::FromThenOn : FIO::Fault::Mode::Once);
  run.succeeded = operation();
  fired = FIO::Fault::FiredAny() > 0;   // faults the operation arms itself do not count
  FIO::Fault::Reset();
  if (!fired) return true;

  const int failedBefore = FailedParts();
  {
    SCOPED_TRACE(run.Describe());
    check(run);
  }
  const bool checkFailed = FailedParts() > failedBefore;
  if (checkFailed && run.succeeded)
    ADD_FAILURE() << "the operation reported success although " << run.Describe();
  return !checkFailed;
}

}  // namespace

std::string TFaultRun::Describe() const {
  const char* name = strerrorname_np(error);
  return std::string(persistent ? "every file operation from #" : "file operation #") +
         std::to_string(point) + " failed with " + (name ? name : std::to_string(error));
}

void SweepFileFaults(const std::function<bool()>& operation,
                     const std::function<void(const TFaultRun&)>& check, const TFaultSweepOptions& options) {
  for (const int error : options.errors) {
    for (const bool persistent : {false, true}) {
      if (persistent ? !options.persistent : !options.transient) continue;
      TFaultRun run;
      run.error = error;
      run.persistent = persistent;
      for (run.point = 1;; ++run.point) {
        if (run.point > options.maxPoints) {
          ADD_FAILURE() << "the fault still fired after " << options.maxPoints << " runs ("
                        << run.Describe() << ")";
          break;
        }
        bool fired = false;
        if (!RunOnce(operation, check, options, run, fired) || !fired) break;
      }
    }
  }
  FIO::Fault::Reset();
}

}  // namespace ombrix_test
