// The test-clock table of the open and the waits given in cycles and microseconds.
#include "jsc/test_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(TestClockTable, FixedRatesFromFiveAndAHalfMegahertzAComputedDelayBelow) {
  struct Row {
    uint64_t hertz;
    uint32_t frequency;
    uint32_t delay;
  };
  const Row rows[] = {
      {13000000, 12000000, 0xFFFFFFFE},
      {10500000, 10000000, 0xFFFFFFFD},
      {9000000, 8500000, 1},
      {5500000, 5500000, 2},
      {4000000, 4000000, 3},
      {50000, 100000, 169},
      {17000000, 14000000, 0},
  };
  for (const Row& row : rows) {
    const kst::jsc::TestClock clock = kst::jsc::testClockFor(row.hertz);
    EXPECT_EQ(clock.frequency, row.frequency) << row.hertz;
    EXPECT_EQ(clock.delay, row.delay) << row.hertz;
  }
  EXPECT_EQ(kst::jsc::tclkWaitCycles(8, 125, 5500000), 11000u);
  EXPECT_EQ(kst::jsc::tclkWaitCycles(160, 0, 5500000), 160u);
  EXPECT_EQ(kst::jsc::tclkWaitCycles(8, 1, 1000), 8u) << "never fewer than the count";
}

}  // namespace
