// The Kestrel probe as a USB function: a command interface whose bulk OUT endpoint takes
// command packets and whose bulk IN endpoint returns the firmware's replies, and a data
// interface whose IN endpoint offers raw bytes.
#pragma once

#include <deque>
#include <vector>

#include "kestrel_sim/sim.h"
#include "probe/firmware.h"
#include "probe/probe_identity.h"
#include "probe/reply_faults.h"
#include "usb/usb_function.h"

namespace ksim {

class ProbeFunction : public usb::Function {
 public:
  explicit ProbeFunction(const ProbeConfig& config);

  usb::DeviceDescriptor deviceDescriptor() const override;
  std::vector<uint8_t> configurationDescriptor() const override;
  std::string stringDescriptor(uint8_t index) const override;
  usb::Status open() override;
  usb::Status claimInterface(int number) override;
  usb::Status bulkOut(uint8_t endpoint, const uint8_t* data, int length) override;
  usb::Status bulkIn(uint8_t endpoint, uint8_t* data, int length, int& transferred) override;
  void clearHalt(uint8_t endpoint) override;

  const InterfaceLayout& layout() const { return layout_; }
  Firmware& firmware() { return firmware_; }
  const Firmware& firmware() const { return firmware_; }

  void addFault(const FaultRule& fault) { faults_.add(fault); }
  void addScriptedReply(const ScriptedReply& reply);
  void pushDataPort(const std::vector<uint8_t>& bytes);

 private:
  // The frame of a scripted reply for this command, counting it down; empty when none.
  std::vector<uint8_t> takeScripted(int code);

  const InterfaceLayout& layout_;
  Firmware firmware_;
  FaultList faults_;
  std::vector<ScriptedReply> scripted_;
  std::deque<std::vector<uint8_t>> replies_;  // one entry per IN transfer
  std::deque<uint8_t> dataPort_;
  bool outHalted_ = false;
  bool endlessEmptyPackets_ = false;  // every IN read delivers 0 bytes until the next command
};

}  // namespace ksim
