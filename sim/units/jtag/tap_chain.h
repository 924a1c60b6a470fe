// A chain of IEEE 1149.1 TAPs sharing TCK, TMS and TRST, clocked one bit at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kestrel_sim/sim.h"

namespace ksim {

class TapChain {
 public:
  explicit TapChain(const std::vector<TapConfig>& taps = {});

  // One TCK cycle. The rising edge captures or shifts in the current state and moves by TMS;
  // the falling edge in the new state latches Update-IR and Update-DR and resets the
  // instructions in Test-Logic-Reset. Returns TDO as it was before the edge (the chain's last
  // bit while shifting, else 1 from the pull-up).
  bool clock(bool tms, bool tdi);

  // TRST: while asserted the TAPs stay in test-logic reset and ignore the clock.
  void setTrstAsserted(bool asserted);

  TapState state() const { return state_; }
  std::size_t size() const { return taps_.size(); }
  bool visible(std::size_t index) const { return taps_[index].visible; }
  // A TAP the router brings back joins the chain at once: its shift register holds what it
  // would have captured for the scan in progress, so it adds its bits to the next shift.
  void setVisible(std::size_t index, bool visible);
  // Bits a shift needs to reach every register of the visible chain.
  std::size_t longestPath() const;
  // What a TAP's instruction and user data registers hold (low 64 bits).
  uint64_t instruction(std::size_t tap) const { return valueOf(taps_[tap].instruction); }
  uint64_t userRegister(std::size_t tap, std::size_t index) const {
    return valueOf(taps_[tap].userValues[index]);
  }

 private:
  struct Tap {
    TapConfig config;
    bool visible;
    std::vector<bool> instruction;  // bit 0 nearest TDO
    std::vector<bool> shift;        // the register being captured, shifted or updated
    std::vector<std::vector<bool>> userValues;
  };

  static uint64_t valueOf(const std::vector<bool>& bits);
  void resetLogic();
  void capture(Tap& tap, bool instructionRegister);
  void update(Tap& tap, bool instructionRegister);
  // The data register the current instruction selects: -2 BYPASS, -1 IDCODE, else a user one.
  int selectedRegister(const Tap& tap) const;

  std::vector<Tap> taps_;
  TapState state_ = TapState::TestLogicReset;
  bool trstAsserted_ = false;
};

}  // namespace ksim
