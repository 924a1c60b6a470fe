// The test clock of an opened controller: the probe's delay setting for a wanted frequency,
// and waits given as a cycle count and a time.
#pragma once

#include <cstdint>

#include "config/records.h"
#include "kestrel/kst_types.h"

namespace kst::jsc {

struct TestClock {
  uint32_t frequency;  // hertz, as the controller record keeps it
  uint32_t delay;      // the probe's delay setting
};

// The configured frequency when LOOM.TCLK_PROGRAM is "specific", else 5.5 MHz.
TestClock chooseTestClock(const config::TclkRecord& record);
// The clock for a frequency in hertz: the probe's fixed rates from 5.5 MHz up, a computed
// delay below.
TestClock testClockFor(uint64_t hertz);

// count cycles, or as many as time microseconds take at frequency hertz when that is more.
uint32_t tclkWaitCycles(uint32_t count, uint32_t microseconds, uint32_t frequency);
int32_t tclkWait(KSTInform* probe, uint32_t frequency, uint32_t count, uint32_t microseconds);

}  // namespace kst::jsc
