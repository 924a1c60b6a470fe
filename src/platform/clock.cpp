#include "clock.h"

#include "platform.h"
#include "platform_os.h"

namespace kst::platform {
namespace {

class SystemClock final : public Clock {
 public:
  constexpr SystemClock() = default;
  uint32_t tickMilliseconds() override { return os::tickMilliseconds(); }
  void sleepMs(uint32_t milliseconds) override { os::sleepMs(milliseconds); }

  void pause(uint32_t count) override {
    if (count == 0) return;
    const uint64_t frequency = os::counterFrequency();
    if (frequency != 0) {
      const uint64_t start = os::readCounter();
      while (elapsedPauseUnits(os::readCounter() - start, frequency) < count) {
      }
      return;
    }
    uint32_t milliseconds = count / 1024;
    if (milliseconds == 0) milliseconds = 1;
    const uint32_t start = os::tickMilliseconds();
    while (os::tickMilliseconds() - start < milliseconds) {
    }
  }
};

SystemClock g_systemClock;
Clock* g_clock = &g_systemClock;

}  // namespace

Clock& systemClock() {
  return g_systemClock;
}

Clock* installClock(Clock* clock) {
  Clock* previous = g_clock;
  g_clock = clock != nullptr ? clock : &g_systemClock;
  return previous;
}

Clock& currentClock() {
  return *g_clock;
}

void sleepMs(uint32_t milliseconds) {
  g_clock->sleepMs(milliseconds);
}

void pause(uint32_t count) {
  g_clock->pause(count);
}

uint32_t tickMilliseconds() {
  return g_clock->tickMilliseconds();
}

uint32_t tickMicroseconds() {
  return g_clock->tickMilliseconds() * 1000u;
}

}  // namespace kst::platform
