#include "jtag/tap_chain.h"

#include "jtag/tap_controller.h"

namespace ksim {
namespace {

std::vector<bool> bitsOf(uint64_t value, std::size_t length) {
  std::vector<bool> bits(length);
  for (std::size_t i = 0; i < length && i < 64; ++i) bits[i] = (value >> i) & 1;
  return bits;
}

// Whether an instruction equals a small opcode (bits above 64 must be zero).
bool isOpcode(const std::vector<bool>& instruction, uint64_t opcode) {
  for (std::size_t i = 0; i < instruction.size(); ++i) {
    const bool expected = i < 64 && ((opcode >> i) & 1);
    if (instruction[i] != expected) return false;
  }
  return true;
}

bool allOnes(const std::vector<bool>& bits) {
  for (const bool bit : bits)
    if (!bit) return false;
  return true;
}

constexpr uint64_t kIdcodeOpcode = 1;

}  // namespace

TapChain::TapChain(const std::vector<TapConfig>& taps) {
  for (const TapConfig& config : taps) {
    Tap tap{config, !config.behindRouter, {}, {}, {}};
    for (const UserRegisterConfig& user : config.userRegisters)
      tap.userValues.push_back(bitsOf(user.value, user.length));
    taps_.push_back(std::move(tap));
  }
  resetLogic();
}

uint64_t TapChain::valueOf(const std::vector<bool>& bits) {
  uint64_t value = 0;
  for (std::size_t i = 0; i < bits.size() && i < 64; ++i)
    value |= static_cast<uint64_t>(bits[i]) << i;
  return value;
}

void TapChain::resetLogic() {
  for (Tap& tap : taps_) {
    const uint16_t length = tap.config.irLength;
    tap.instruction =
        tap.config.hasIdcode ? bitsOf(kIdcodeOpcode, length) : std::vector<bool>(length, true);
  }
}

int TapChain::selectedRegister(const Tap& tap) const {
  if (allOnes(tap.instruction)) return -2;
  if (tap.config.hasIdcode && isOpcode(tap.instruction, kIdcodeOpcode)) return -1;
  for (std::size_t i = 0; i < tap.config.userRegisters.size(); ++i)
    if (isOpcode(tap.instruction, tap.config.userRegisters[i].opcode)) return static_cast<int>(i);
  return -2;
}

void TapChain::capture(Tap& tap, bool instructionRegister) {
  if (instructionRegister) {
    tap.shift = bitsOf(1, tap.config.irLength);  // the mandatory ...01 capture pattern
    return;
  }
  const int selected = selectedRegister(tap);
  if (selected == -2)
    tap.shift = {false};
  else if (selected == -1)
    tap.shift = bitsOf(tap.config.idcode, 32);
  else
    tap.shift = tap.userValues[static_cast<std::size_t>(selected)];
}

void TapChain::update(Tap& tap, bool instructionRegister) {
  if (instructionRegister) {
    if (tap.shift.size() == tap.instruction.size()) tap.instruction = tap.shift;
    return;
  }
  const int selected = selectedRegister(tap);
  if (selected >= 0) tap.userValues[static_cast<std::size_t>(selected)] = tap.shift;
}

bool TapChain::clock(bool tms, bool tdi) {
  if (trstAsserted_) return true;
  bool tdo = true;
  switch (state_) {
    case TapState::CaptureDr:
    case TapState::CaptureIr:
      for (Tap& tap : taps_)
        if (tap.visible) capture(tap, state_ == TapState::CaptureIr);
      break;
    case TapState::ShiftDr:
    case TapState::ShiftIr: {
      // Position 0 is nearest TDO; TDI enters the last visible TAP.
      bool in = tdi;
      for (std::size_t i = taps_.size(); i-- > 0;) {
        Tap& tap = taps_[i];
        if (!tap.visible || tap.shift.empty()) continue;
        const bool out = tap.shift.front();
        tap.shift.erase(tap.shift.begin());
        tap.shift.push_back(in);
        in = out;
      }
      tdo = in;
      break;
    }
    default:
      break;
  }
  state_ = nextState(state_, tms);
  switch (state_) {
    case TapState::TestLogicReset:
      resetLogic();
      break;
    case TapState::UpdateDr:
    case TapState::UpdateIr:
      for (Tap& tap : taps_)
        if (tap.visible) update(tap, state_ == TapState::UpdateIr);
      break;
    default:
      break;
  }
  return tdo;
}

void TapChain::setVisible(std::size_t index, bool visible) {
  Tap& tap = taps_[index];
  if (visible && !tap.visible) capture(tap, inInstructionColumn(state_));
  tap.visible = visible;
}

void TapChain::setTrstAsserted(bool asserted) {
  trstAsserted_ = asserted;
  if (asserted) {
    state_ = TapState::TestLogicReset;
    resetLogic();
  }
}

std::size_t TapChain::longestPath() const {
  std::size_t bits = 0;
  for (const Tap& tap : taps_) {
    if (!tap.visible) continue;
    std::size_t longest = tap.config.irLength;
    if (longest < 32) longest = 32;
    for (const UserRegisterConfig& user : tap.config.userRegisters)
      if (user.length > longest) longest = user.length;
    bits += longest;
  }
  return bits;
}

}  // namespace ksim
