// The library's clock: every wait and every time measurement of the library goes through the
// installed clock, so that tests can replace the system's time with a virtual one and run
// paths that wait for seconds in no time. Internal: the exported library has no way to
// install another clock and always runs on the system clock.
#pragma once

#include <cstdint>

namespace kst::platform {

class Clock {
 public:
  // Millisecond tick, wrapping modulo 2^32.
  virtual uint32_t tickMilliseconds() = 0;
  virtual void sleepMs(uint32_t milliseconds) = 0;
  // Waits at least count units of 1/1048576 s without giving up the thread.
  virtual void pause(uint32_t count) = 0;

 protected:
  // Not virtual, so the system clock is constant-initialised and usable by any static
  // initialiser; clocks are never deleted through this interface.
  ~Clock() = default;
};

// The operating system's clock, the one installed until a test installs another.
Clock& systemClock();

// Installs clock (null: the system clock again) and returns the clock it replaces. Not
// thread-safe: a test installs its clock before it starts what uses it.
Clock* installClock(Clock* clock);

Clock& currentClock();

}  // namespace kst::platform
