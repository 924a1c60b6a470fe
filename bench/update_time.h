// The firmware update's wall time on the virtual probe against the waits its protocol asks
// for: the poll time-outs the bootloader reported (each millisecond a pause of 1000 units of
// 1/1048576 s) and, with a progress callback, the five one-second pauses (1 000 000 units
// each) between the messages. What is left is the update's own time: finding and opening the
// bootloader, the blocks and their status requests, the verification upload, reopening the
// probe.
#pragma once

#include <cstdint>
#include <vector>

namespace kstbench {

// The update's image: KESTREL_UPDATE_DIR holds a copy of the library and, beside it,
// kestrel/firmware_3.0.0.29.bin of this size (bench/CMakeLists.txt makes both), for a run of
// this program whose library is that copy (the library takes its image from its own
// directory).
constexpr uint32_t kUpdateImageKiB = KESTREL_UPDATE_IMAGE_KIB;
// The bootloader's DNBUSY time per block and its manifestation time: a few milliseconds, so
// the required waits dominate and the update's own time shows against them.
constexpr uint32_t kBlockPollMs = 4;
constexpr uint32_t kManifestPollMs = 10;

struct UpdateTime {
  bool callback;
  int32_t result;     // KST_AutoUpdate's
  uint64_t pollMs;    // the poll time-outs the bootloader reported
  double requiredNs;  // what the protocol asks the host to wait
  double wallNs;      // the least over the runs
  // Times the update's thread was preempted: a pause is a busy-wait, and on a loaded machine
  // one that is preempted ends when the thread runs again, past its count.
  long preempted;
};

// Updates an outdated virtual probe `runs` times with a progress callback and `runs` times
// without; in the run whose library is the copy in KESTREL_UPDATE_DIR.
std::vector<UpdateTime> runUpdates(int runs);

}  // namespace kstbench
