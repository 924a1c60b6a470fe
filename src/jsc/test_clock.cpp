#include "test_clock.h"

#include <cmath>

#include "config/frequency.h"
#include "kestrel/kst_jtag.h"

namespace kst::jsc {
namespace {

constexpr uint32_t kProgramSpecific = 4;
constexpr uint32_t kDefaultFrequency = 5500000;
constexpr uint32_t kDefaultDelay = 2;
constexpr uint32_t kLowestFrequency = 100000;
constexpr double kDelayNumerator = 1.71e7;
constexpr double kDelayOffset = 1.02;

struct FixedRate {
  uint32_t frequency;
  uint32_t delay;
};
constexpr FixedRate kFixedRates[] = {
    {14000000, 0}, {12000000, 0xFFFFFFFE}, {10000000, 0xFFFFFFFD}, {8500000, 1}, {5500000, 2},
};

}  // namespace

TestClock testClockFor(uint64_t hertz) {
  for (const FixedRate& rate : kFixedRates)
    if (hertz >= rate.frequency) return {rate.frequency, rate.delay};
  const uint32_t frequency =
      hertz > kLowestFrequency ? static_cast<uint32_t>(hertz) : kLowestFrequency;
  const double delay = kDelayNumerator / frequency - kDelayOffset;
  return {frequency, delay < 1.0 ? 1u : static_cast<uint32_t>(delay)};
}

TestClock chooseTestClock(const config::TclkRecord& record) {
  if (!record.found[config::kTclkProgram] || record.program != kProgramSpecific)
    return {kDefaultFrequency, kDefaultDelay};
  return testClockFor(config::frequencyHertz(record.frequency));
}

uint32_t tclkWaitCycles(uint32_t count, uint32_t microseconds, uint32_t frequency) {
  if (microseconds == 0) return count;
  const double cycles = std::trunc(count * (2.0 * microseconds / 1000000.0) * frequency + 0.5);
  if (cycles >= 4294967295.0) return UINT32_MAX;
  return cycles > count ? static_cast<uint32_t>(cycles) : count;
}

int32_t tclkWait(KSTInform* probe, uint32_t frequency, uint32_t count, uint32_t microseconds) {
  return KST_CycleTclk(probe, tclkWaitCycles(count, microseconds, frequency));
}

}  // namespace kst::jsc
