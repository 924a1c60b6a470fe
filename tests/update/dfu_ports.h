// Devices for the DFU client's tests, behind its control port: a scripted one that answers
// from a function, and the virtual probe's bootloader. Both run on the virtual clock, which
// only the client's pauses move.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "bootloader/bootloader.h"
#include "support/virtual_clock.h"
#include "update/dfu_handle.h"

namespace dfutest {

using kst::update::Setup;

// Answers every request from a function; records the requests and the pauses.
struct ScriptPort {
  std::function<int(const Setup&, uint8_t*)> answer;
  std::vector<Setup> requests;
  kstest::VirtualClock clock;

  kst::update::Handle handle(uint16_t transferSize = 64, uint8_t attributes = 0x07) {
    kst::update::Handle h{};
    h.transferSize = transferSize;
    h.attributes = attributes;
    h.port = kst::update::ControlPort{transfer, pause, this};
    return h;
  }
  std::vector<uint8_t> requestCodes() const {
    std::vector<uint8_t> codes;
    for (const Setup& s : requests) codes.push_back(s.request);
    return codes;
  }

  static int transfer(void* link, const Setup& setup, uint8_t* data) {
    auto* self = static_cast<ScriptPort*>(link);
    self->requests.push_back(setup);
    return self->answer(setup, data);
  }
  static void pause(void* link, uint32_t count) { static_cast<ScriptPort*>(link)->clock.pause(count); }
};

// A status reply: bStatus, bwPollTimeout (24 bits), bState.
inline int statusReply(uint8_t* data, uint8_t status, uint32_t pollMs, uint8_t state) {
  const uint8_t reply[6] = {
      status, uint8_t(pollMs), uint8_t(pollMs >> 8), uint8_t(pollMs >> 16), state, 0};
  std::memcpy(data, reply, sizeof reply);
  return 6;
}

// The virtual probe's bootloader on the same virtual clock; records DNLOAD and UPLOAD wValues.
struct BootloaderPort {
  explicit BootloaderPort(const ksim::BootloaderConfig& config = {},
                          const ksim::BootloaderFaults& faults = {})
      : bootloader(config, faults) {
    bootloader.setClock([this] { return clock.nowNanoseconds() / 1000; });
  }
  BootloaderPort(const BootloaderPort&) = delete;
  BootloaderPort& operator=(const BootloaderPort&) = delete;

  // A handle as QZDFUDeviceOpen makes it, opened over this port.
  int32_t open(kst::update::Handle& handle, kst::update::DeviceInfo& info) {
    handle = kst::update::Handle{};
    handle.port = kst::update::ControlPort{transfer, pause, this};
    return kst::update::openOverPort(handle, info);
  }

  static int transfer(void* link, const Setup& s, uint8_t* data) {
    auto* self = static_cast<BootloaderPort*>(link);
    if (s.requestType == 0x21 && s.request == 1) self->blockNumbers.push_back(s.value);
    if (s.requestType == 0xA1 && s.request == 2) self->blockNumbers.push_back(s.value);
    const ksim::ControlReply reply =
        self->bootloader.control({s.requestType, s.request, s.value, s.index, s.length}, data);
    return reply.outcome == ksim::ControlReply::kDone ? reply.length : -1;
  }
  static void pause(void* link, uint32_t count) {
    static_cast<BootloaderPort*>(link)->clock.pause(count);
  }

  kstest::VirtualClock clock;  // first: the bootloader's clock refers to it
  ksim::Bootloader bootloader;
  std::vector<uint16_t> blockNumbers;
};

}  // namespace dfutest
