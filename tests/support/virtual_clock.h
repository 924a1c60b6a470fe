// A clock for tests that link the library's objects: time stands still until something
// sleeps or pauses (or the test advances it), so waits of seconds take none.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"

namespace kstest {

class VirtualClock final : public kst::platform::Clock {
 public:
  // Installs itself for its lifetime; the clock it replaced comes back afterwards.
  explicit VirtualClock(uint64_t startMs = 0) : nanoseconds_(startMs * 1000000u) {
    previous_ = kst::platform::installClock(this);
  }
  ~VirtualClock() { kst::platform::installClock(previous_); }
  VirtualClock(const VirtualClock&) = delete;
  VirtualClock& operator=(const VirtualClock&) = delete;

  uint32_t tickMilliseconds() override {
    const auto now = static_cast<uint32_t>(nanoseconds_ / 1000000u);
    advanceMs(tickStepMs_);
    return now;
  }
  void sleepMs(uint32_t milliseconds) override {
    sleeps_.push_back(milliseconds);
    advanceMs(milliseconds);
  }
  // Rounded up to whole nanoseconds: a pause never ends early.
  void pause(uint32_t count) override {
    pauses_.push_back(count);
    nanoseconds_ += (static_cast<uint64_t>(count) * 1000000000u + 1048575u) / 1048576u;
  }

  void advanceMs(uint64_t milliseconds) { nanoseconds_ += milliseconds * 1000000u; }
  // Lets time pass by stepMs at every tick read, for code that polls a deadline without
  // sleeping (waiting for a device to appear on the bus, say).
  void advanceOnEveryTick(uint32_t stepMs) { tickStepMs_ = stepMs; }
  uint64_t nowNanoseconds() const { return nanoseconds_; }
  // Every sleep asked for, in order.
  const std::vector<uint32_t>& sleeps() const { return sleeps_; }
  // Every pause asked for, in units of 1/1048576 s, and their sum.
  const std::vector<uint32_t>& pauses() const { return pauses_; }
  uint64_t pausedUnits() const {
    uint64_t sum = 0;
    for (const uint32_t count : pauses_) sum += count;
    return sum;
  }

 private:
  uint64_t nanoseconds_;
  std::vector<uint32_t> sleeps_;
  std::vector<uint32_t> pauses_;
  uint32_t tickStepMs_ = 0;
  kst::platform::Clock* previous_ = nullptr;
};

}  // namespace kstest
