// Modelled time on the emulated bus, off unless a test or benchmark switches it on: every bulk
// transfer is placed in the (micro)frames a host controller would give it, and a virtual clock
// advances by the time the bus would take. Nothing sleeps; the clock is only read.
//
// The model, per bulk transfer of n bytes:
//   - it is max(1, ceil(n / maxPacket)) packets: a command's length is in its frame header, so
//     neither side ends a transfer with a zero-length packet;
//   - it starts in the frame holding its start time, takes at most packetsPerFrame packets a
//     frame, and completes at the end of the frame of its last packet, when the host controller
//     reports it (so the next transfer of a synchronous caller starts a frame later);
//   - after an OUT the firmware needs its service time before an IN can carry the reply;
//   - an IN that times out costs the time-out the host asked for (0, "wait for ever": nothing).
// Full speed carries at most 19 bulk packets of 64 bytes in a 1 ms frame (the most that fits
// with the token and handshake overhead); high speed 13 of 512 bytes in a 125 us microframe.
#pragma once

#include <cstdint>

#include "kestrel_sim/sim.h"

namespace ksim::timing {

struct BusShape {
  uint64_t frameNs;
  uint32_t maxPacket;
  uint32_t packetsPerFrame;
};

BusShape shapeOf(BusSpeed speed);

class BusClock {
 public:
  // Sets the model and restarts the clock at 0.
  void configure(const BusTiming& timing);
  bool on() const { return timing_.speed != BusSpeed::Off; }
  uint64_t nowNs() const { return now_; }

  // A bulk transfer that moved `bytes` bytes; timedOutMs is the time-out of an IN that
  // delivered nothing (0 otherwise).
  void bulk(bool in, int bytes, unsigned timedOutMs);

 private:
  BusTiming timing_{};
  BusShape shape_{};
  uint64_t now_ = 0;
  uint64_t replyReady_ = 0;  // when the firmware has the reply to the last OUT ready
};

// The model's ceiling: the time per command of back-to-back commands that move outBytes and
// inBytes in one transfer each, with nothing else on the bus.
uint64_t exchangeNs(const BusTiming& timing, int outBytes, int inBytes);

}  // namespace ksim::timing
