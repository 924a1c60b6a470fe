// The JTAG unit: the TAP chain behind the probe and the test clock that drives it.
#pragma once

#include "jtag/tap_chain.h"
#include "probe/unit.h"

namespace ksim::units::jtag {

class JtagUnit : public Unit {
 public:
  explicit JtagUnit(const ProbeConfig& config) : chain(config.chain) {}
  void report(ProbeStatus& status) const override;

  // One test-clock cycle.
  bool clock(bool tms, bool tdi = true);
  // Moves the TAP to a state along a path mode (the kPath* constants of kestrel_sim/sim.h).
  void moveTo(TapState to, uint32_t mode);
  // Free test-clock cycles: they keep a stable state where it is. Counts that could change
  // nothing more are cut short, so a huge count answers at once.
  void freeClocks(uint32_t count);

  TapChain chain;
  uint32_t tclkCycles = 0;  // all commands together
};

}  // namespace ksim::units::jtag
