// The virtual probe's firmware: frame parsing and a table of small command handlers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kestrel_sim/sim.h"
#include "probe_log.h"
#include "tap_chain.h"

namespace ksim {

constexpr std::size_t kEepromSize = 65536;

// What the firmware knows about itself and the target behind it. It lives as long as the
// probe is on the bus, so settings and the EEPROM persist across opens.
struct ProbeState {
  explicit ProbeState(const ProbeConfig& probeConfig = {})
      : config(probeConfig), chain(probeConfig.chain), eeprom(kEepromSize, 0xFF) {}

  ProbeConfig config;
  ProbeStatus status;
  ProbeLog log;
  TapChain chain;
  std::vector<uint8_t> eeprom;
};

// Arguments of one command, read in order; reading past the end marks them short.
class Args {
 public:
  Args(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  uint8_t u8() { return take(1) ? data_[pos_ - 1] : 0; }
  uint16_t u16() {
    if (!take(2)) return 0;
    return static_cast<uint16_t>(data_[pos_ - 2] | data_[pos_ - 1] << 8);
  }
  uint32_t u32() {
    if (!take(4)) return 0;
    const uint8_t* at = data_ + pos_ - 4;
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
  }
  const uint8_t* bytes(std::size_t count) { return take(count) ? data_ + pos_ - count : nullptr; }
  std::size_t remaining() const { return size_ - pos_; }
  bool ok() const { return ok_; }

 private:
  bool take(std::size_t count) {
    if (count > size_ - pos_) return ok_ = false;
    pos_ += count;
    return true;
  }
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

struct Reply {
  int32_t result = 0;
  std::vector<uint8_t> data;

  void u8(uint8_t value) { data.push_back(value); }
  void u16(uint16_t value) {
    u8(static_cast<uint8_t>(value));
    u8(static_cast<uint8_t>(value >> 8));
  }
  void u32(uint32_t value) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(value >> (8 * i)));
  }
  void bytes(const uint8_t* from, std::size_t count) {
    data.insert(data.end(), from, from + count);
  }
};

using HandlerFn = void (*)(ProbeState& probe, Args& args, Reply& reply);

// argumentBytes is the exact argument length the command takes, or kVariableArguments when
// the handler checks its arguments itself.
constexpr int kVariableArguments = -1;
struct CommandHandler {
  uint8_t code;
  int argumentBytes;
  HandlerFn handle;
};

struct HandlerTable {
  const CommandHandler* entries;
  std::size_t count;
};

// One table per command family.
HandlerTable coreHandlers();
HandlerTable jtagHandlers();
HandlerTable controlHandlers();
HandlerTable logHandlers();

// Runs one command packet and returns the reply frame. code receives the packet's command
// code, or -1 when the frame could not be parsed.
std::vector<uint8_t> runPacket(ProbeState& probe, const uint8_t* packet, std::size_t size,
                               int& code);

// Frames a reply: '*', u16 length (4 + data), i32 result, data.
std::vector<uint8_t> frameReply(const Reply& reply);

}  // namespace ksim
