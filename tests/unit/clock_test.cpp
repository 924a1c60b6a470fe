// The system clock behind the seam: its waits last at least what is asked, and installing no
// clock brings it back.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"
#include "platform/platform_os.h"
#include "support/virtual_clock.h"

namespace {

using namespace kst::platform;

// The system clock's waits, kept short: a millisecond each.
TEST(ClockSeam, TheSystemClockWaitsAtLeastWhatIsAskedAndComesBackForANullClock) {
  kstest::VirtualClock clock;
  EXPECT_EQ(installClock(nullptr), &clock);
  EXPECT_EQ(&currentClock(), &systemClock());
  const auto start = std::chrono::steady_clock::now();
  pause(1049);  // a little over 1 ms
  const auto paused = std::chrono::steady_clock::now();
  // Each unit is a whole number of counter ticks: Linux's 1 GHz counter makes it 953 ns,
  // Wine's 10 MHz one 900 ns (9 ticks).
  const uint64_t frequency = os::counterFrequency();
  const auto least = frequency > (1u << 20)
                         ? std::chrono::nanoseconds(1049 * (frequency >> 20) * 1000000000 / frequency)
                         : std::chrono::nanoseconds(1000000);
  sleepMs(1);
  pause(0);
  const auto end = std::chrono::steady_clock::now();
  EXPECT_GE(paused - start, least);
  EXPECT_GE(end - paused, std::chrono::milliseconds(1));
  EXPECT_LT(end - start, std::chrono::seconds(1));
}

}  // namespace
