// A fresh virtual bus for every test, with helpers to read what crossed it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "kestrel/kestrel.h"
#include "kestrel_sim/sim.h"
#include "support/bus.h"

namespace kstest {

// Where the call of a golden row stores its outputs; compared as it lies in memory
// (little-endian host), so a row names its outputs as bytes.
struct OutputFields {
  uint32_t word;
  uint16_t half;
  uint8_t byte;
};
union Outputs {
  OutputFields w;
  uint8_t bytes[32];
};
constexpr uint8_t kUntouched = 0xCC;  // the output area before every call

// One command's golden exchange: the call, the argument bytes it sends after its code, the
// data of the probe's reply, and the first bytes of the output area after the call; the rest
// of the area must stay untouched.
struct Golden {
  const char* name;
  std::function<int32_t(KSTInform*)> call;
  uint8_t code;
  Bytes arguments = {};
  Bytes reply = {};
  Bytes outputs = {};
  unsigned timeoutMs = 4000;
  Bytes outputsOnFailure = {};  // for the few commands that write outputs on failure too
};

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Closes what the test left open and checks that no libusb resource is still held.
  void TearDown() override;

  ksim::DeviceId attach(const ksim::ProbeConfig& config = {});
  // Attaches a default probe, opens it and forgets the traffic of the open.
  void attachAndOpen(const ksim::ProbeConfig& config = {});

  std::vector<Bytes> packets() const { return ksim::commandPackets(device_); }

  // Runs a golden row on the open probe: its packet, reply size, time-out and outputs; then
  // a probe error, every cut of the reply and one byte more, each of which must leave the
  // outputs untouched (or as outputsOnFailure says).
  void checkGolden(const Golden& row);

  Outputs out_;

  ksim::DeviceId device_ = 0;
  KSTInform* probe_ = nullptr;
};

// An open probe with the fake scan-manager handle around it, for the target families.
class TargetTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    attachAndOpen();
    ASSERT_EQ(KST_CreateFakeSMGHandle(probe_, &handle_), KST_OK);
  }

  // Bytes the command builder leaves alone: what the command buffer held before the call.
  void hold(std::size_t at, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), probe_->commandBuffer + at);
  }

  KST_SMG_HANDLE handle_ = nullptr;
};


}  // namespace kstest
