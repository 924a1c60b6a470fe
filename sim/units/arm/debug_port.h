// An ADIv5 debug port with its memory access ports, as the probe firmware drives it. Every
// DP and AP register operation the firmware makes is handed to the recorder (the probe's
// log) with its nesting depth: an AP access at depth d shows its SELECT write and its final
// RDBUFF read at depth d + 1.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "kestrel_sim/sim.h"
#include "mem_ap.h"

namespace ksim {

class DebugPort {
 public:
  // DP register addresses.
  static constexpr uint8_t kIdcode = 0x0, kAbort = 0x0, kCtrlStat = 0x4, kSelect = 0x8,
                           kRdbuff = 0xC;
  // CTRL/STAT bits: the two power-up request/acknowledge pairs and the sticky error.
  static constexpr uint32_t kStickyError = 1u << 5, kDebugPowerRequest = 1u << 28,
                            kDebugPowerAck = 1u << 29, kSystemPowerRequest = 1u << 30,
                            kSystemPowerAck = 1u << 31;
  static constexpr uint32_t kPowerRequests = kDebugPowerRequest | kSystemPowerRequest;
  static constexpr uint32_t kStickyErrorClear = 1u << 2;  // in ABORT

  using Recorder = std::function<void(const ProbeLogRecord&)>;

  // The DP's IDCODE and the port's APs (from the target configuration).
  DebugPort(const TargetConfig& config, SparseMemory& memory);

  void setRecorder(Recorder recorder) { recorder_ = std::move(recorder); }

  // Raw DP register operations. False on an address the DP does not have.
  bool dpRead(uint8_t address, uint32_t& value);
  bool dpWrite(uint8_t address, uint32_t value, bool flush = false);

  // An AP register operation with the SELECT write it needs (APSEL and the bank of offset).
  // Fails without touching the AP when the AP does not exist or the debug domain is not
  // powered, and sets the sticky error when the access faults.
  bool apRead(uint8_t ap, uint8_t offset, uint32_t& value);
  bool apWrite(uint8_t ap, uint8_t offset, uint32_t value, bool flush = false);

  // The firmware's power-up: request both domains, then read CTRL/STAT for the acks.
  bool powerUp();
  void powerDown();
  bool powered() const;

  std::size_t apCount() const { return aps_.size(); }
  MemAp& ap(std::size_t index) { return aps_[index]; }
  uint32_t select() const { return select_; }

  // Raises the nesting depth of the operations recorded while it lives.
  class Nested {
   public:
    explicit Nested(DebugPort& port) : port_(port) { ++port_.depth_; }
    ~Nested() { --port_.depth_; }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;

   private:
    DebugPort& port_;
  };

 private:
  // Log record types.
  enum : uint32_t {
    kDpRead = 0,
    kDpWrite = 1,
    kDpWriteFlush = 2,
    kApRead = 3,
    kApWrite = 4,
    kApWriteFlush = 5,
    kFinalRdbuff = 6
  };
  void record(uint32_t type, uint32_t ap, uint32_t address, uint32_t value, bool ok);
  bool selectFor(uint8_t ap, uint8_t offset);
  bool apAccess(uint8_t ap, uint8_t offset, uint32_t& value, bool isWrite, bool flush);

  uint32_t idcode_;
  std::vector<MemAp> aps_;
  Recorder recorder_;
  uint32_t ctrlStat_ = 0;
  uint32_t select_ = 0;
  uint32_t readBuffer_ = 0;
  uint8_t depth_ = 0;
};

}  // namespace ksim
