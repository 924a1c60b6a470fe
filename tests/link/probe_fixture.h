// A fresh virtual bus for every test, with helpers to read what crossed it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"

namespace kstest {

using Bytes = std::vector<uint8_t>;

std::string hex(const Bytes& bytes);

// A TAP of the virtual chain: IR length, and its IDCODE when it has one.
ksim::TapConfig tap(uint16_t irLength, bool hasIdcode, uint32_t idcode = 0);

// A command packet as the probe must see it: '*', length, code, arguments.
Bytes packet(uint8_t code, const Bytes& arguments = {});

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Closes what the test left open and checks that no libusb resource is still held.
  void TearDown() override;

  ksim::DeviceId attach(const ksim::ProbeConfig& config = {});
  // Attaches a default probe, opens it and forgets the traffic of the open.
  void attachAndOpen(const ksim::ProbeConfig& config = {});

  std::vector<ksim::Event> eventsOf(ksim::EventKind kind) const;
  std::vector<Bytes> packets() const { return ksim::commandPackets(device_); }

  ksim::DeviceId device_ = 0;
  KSTInform* probe_ = nullptr;
};

}  // namespace kstest
