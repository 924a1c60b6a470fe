#include "timing/bus_timing.h"

namespace ksim::timing {

BusShape shapeOf(BusSpeed speed) {
  switch (speed) {
    case BusSpeed::Full:
      return {1000000, 64, 19};
    case BusSpeed::High:
      return {125000, 512, 13};
    case BusSpeed::Off:
      break;
  }
  return {1, 1, 1};
}

void BusClock::configure(const BusTiming& timing) {
  timing_ = timing;
  shape_ = shapeOf(timing.speed);
  now_ = 0;
  replyReady_ = 0;
}

void BusClock::bulk(bool in, int bytes, unsigned timedOutMs) {
  if (!on()) return;
  if (in && timedOutMs != 0) {
    now_ += uint64_t{timedOutMs} * 1000000;
    return;
  }
  const uint64_t size = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
  const uint64_t packets = size == 0 ? 1 : (size + shape_.maxPacket - 1) / shape_.maxPacket;
  const uint64_t start = in && replyReady_ > now_ ? replyReady_ : now_;
  const uint64_t firstFrame = start / shape_.frameNs;
  const uint64_t lastFrame = firstFrame + (packets - 1) / shape_.packetsPerFrame;
  now_ = (lastFrame + 1) * shape_.frameNs;
  if (!in) replyReady_ = now_ + timing_.firmwareServiceNs;
}

uint64_t exchangeNs(const BusTiming& timing, int outBytes, int inBytes) {
  // The first command starts on an idle bus at a frame boundary, as every later one does.
  BusClock clock;
  clock.configure(timing);
  clock.bulk(false, outBytes, 0);
  clock.bulk(true, inBytes, 0);
  return clock.nowNs();
}

}  // namespace ksim::timing
