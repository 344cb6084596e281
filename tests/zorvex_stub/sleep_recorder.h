// Sits between the library and nanosleep (the test programs are linked
// with --wrap=nanosleep).  By default calls go straight to the real
// nanosleep; a test can record them, or script their results.
#pragma once

#include <time.h>

#include <vector>

namespace sleep_recorder {

struct Call {
  timespec req{};        // the interval the library asked for
  int result = 0;        // what nanosleep returned
  int error = 0;         // errno, when result != 0
  timespec rem{};        // what was written to rem, when result != 0
  bool lock_held = false;  // the caller held the runtime lock meanwhile
  long enters = 0;       // enter calls made before this call
  long leaves = 0;       // leave calls made before this call
};

struct Step {
  int result;    // 0, or -1 for a failure
  int error;     // errno for a failure
  timespec rem;  // written to rem for a failure
};

// Calls go to the real nanosleep and are recorded.
void start_recording();
// Calls do not sleep: each returns the next step of the script; once the
// script is used up, calls return 0.  Calls are recorded.
void start_script(std::vector<Step> steps);
// Back to plain pass-through; returns the calls recorded since start.
std::vector<Call> stop();

}  // namespace sleep_recorder
