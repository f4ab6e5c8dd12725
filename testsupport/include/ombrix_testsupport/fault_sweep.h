// A sweep over file faults: runs an operation again and again with the 1st,
// 2nd, 3rd... file operation failed in turn, for each error code given, both
// transient (only that call fails) and persistent (it and every later call
// fail), until a run completes without the fault firing. After every run in
// which the fault fired the caller's check looks at what the operation left
// behind. A run that reports success although its fault fired and whose
// check then fails is reported as such.
//
//   ombrix_test::SweepFileFaults(
//       [] { return FIO::ReplaceFileContentsA(9, "field.ofd", "new", 3, true); },
//       [](const ombrix_test::TFaultRun& run) {
//         if (run.succeeded) return;                 // the new file is fine too
//         EXPECT_EQ(ombrix_test::ReadFile("field.ofd"), "old");
//         EXPECT_EQ(ombrix_test::ReadFile("field.bak"), "older");
//       },
//       {.prepare = [] { ombrix_test::WriteFile("field.ofd", "old"); }});
//
// The check's own failures carry the run's description (error, mode, point)
// as a trace. Every run starts with the faults reset; they are reset again
// when the sweep ends.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ombrix_test {

// One run of a sweep.
struct TFaultRun {
  int error = 0;            // the errno the failed calls reported
  bool persistent = false;  // every call from `point` on failed
  std::uint32_t point = 0;  // the file operation failed first, from 1
  bool succeeded = false;   // what the operation reported
  std::string Describe() const;
};

struct TFaultSweepOptions {
  std::vector<int> errors{EACCES, ENOSPC, EIO};
  bool transient = true;
  bool persistent = true;
  // Restores the starting state before every run (files, objects); may be empty.
  std::function<void()> prepare;
  // A run count past which the sweep gives up with a failure.
  std::uint32_t maxPoints = 10000;
};

// operation runs the code under test and returns what it reports (true:
// success). check is called after every run in which a fault fired. Per error
// and mode the sweep stops at the first run that added a test failure, so a
// fault shows once rather than at every later point.
void SweepFileFaults(const std::function<bool()>& operation,
                     const std::function<void(const TFaultRun&)>& check,
                     const TFaultSweepOptions& options = {});

}  // namespace ombrix_test
