// The library's transport on the bus, written once and run on both transports (transport.h):
// a case that fails on one of them is a place where the virtual libusb and the real stack
// part. What only the virtual libusb can show (the time-outs asked for: usbfs never sees
// them) is checked there alone.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "kestrel/kestrel.h"
#include "nimbus_logger/control.h"
#include "support/bus.h"
#include "transport.h"

namespace {

using ksim::EventKind;
using ksim::Fault;
using kstest::Bytes;
using kstest::eventsOf;
using kstest::probeAt;
using kstest::probeWith;
using Clock = std::chrono::steady_clock;

constexpr int kConnectCode = 1;
constexpr uint32_t kOutdated = 0x03000028;
constexpr uint8_t kDfuModeSwitch = 38;

class TransportSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    nimbus_logger_configure(0, nullptr);
    transport::resetBus();
  }
  void TearDown() override {
    if (probe_ != nullptr) {
      EXPECT_EQ(KST_Close(&probe_), KST_OK);
    }
    const ksim::Resources live = ksim::resources();
    EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0);
  }
  void attachAndOpen(const ksim::ProbeConfig& config = {}) {
    device_ = transport::attachProbe(config);
    ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
    ksim::clearEvents();
  }
  int32_t echo(uint32_t count) {
    Bytes data(count), output(count, 0);
    for (uint32_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
    const int32_t result = KST_Echo(probe_, data.data(), output.data(), count);
    if (result == KST_OK) {
      EXPECT_EQ(output, data) << count << " bytes";
    }
    return result;
  }

  ksim::DeviceId device_ = 0;
  KSTInform* probe_ = nullptr;
};

// The open forms: by index within an identity row, by serial number, through either
// interface layout, with a kernel driver bound or an interface held elsewhere.
TEST_F(TransportSuite, OpenFindsAndClaimsTheProbeAsAsked) {
  const struct {
    const char* name;
    std::vector<ksim::ProbeConfig> bus;
    uint32_t index;
    const char* serial;
    int opened;  // position in bus of the probe opened, -1: none
  } cases[] = {
      // clang-format off
      {"index 0", {probeAt(0x1209, 0x4B01, "A"), probeAt(0x1209, 0x4B01, "B")}, 0, nullptr, 0},
      {"index 1", {probeAt(0x1209, 0x4B01, "A"), probeAt(0x1209, 0x4B01, "B")}, 1, nullptr, 1},
      {"index past", {probeAt(0x1209, 0x4B01, "A")}, 1, nullptr, -1},
      {"serial", {probeAt(0x1209, 0x4B01, "A"), probeAt(0xF055, 0x4B04, "B")}, 0, "B", 1},
      {"unknown serial", {probeAt(0x1209, 0x4B01, "A")}, 0, "Z", -1},
      {"compact layout", {probeAt(0xF055, 0x4B05, "C")}, 0, nullptr, 0},
      {"kernel driver detached", {probeWith(&ksim::ProbeConfig::kernelDriverActive)}, 0, nullptr, 0},
      {"data interface busy", {probeWith(&ksim::ProbeConfig::failClaimData)}, 0, nullptr, 0},
      {"command interface busy", {probeWith(&ksim::ProbeConfig::failClaimCommand)}, 0, nullptr, -1},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    transport::resetBus();
    ksim::attachDevice(0x046D, 0xC52B);  // some other device on the bus
    std::vector<ksim::DeviceId> ids;
    for (const auto& config : c.bus) ids.push_back(ksim::attachProbe(config));
    transport::settle();
    const int32_t result = KST_Open(&probe_, c.index, c.serial, 0);
    if (c.opened < 0) {
      EXPECT_EQ(result, KST_ERR_NO_PROBE);
      continue;
    }
    ASSERT_EQ(result, KST_OK);
    // Linux's libusb lists the devices it found last first; the virtual libusb lists them
    // as they were attached. An index counts in libusb's order either way.
    std::size_t opened = static_cast<std::size_t>(c.opened);
    if (transport::realStack() && c.serial == nullptr && c.bus.size() == 2) opened = 1 - opened;
    EXPECT_TRUE(ksim::probeStatus(ids[opened]).connected);
    EXPECT_EQ(echo(64), KST_OK);
    EXPECT_EQ(KST_Close(&probe_), KST_OK);
  }
}

// Packets and replies on each side of the 64- and 512-byte packet sizes (a packet is 4 bytes
// and the echoed data, its reply 7 and the data), up to the largest and one byte past it.
TEST_F(TransportSuite, EchoHoldsAtEveryPacketSizeBoundary) {
  attachAndOpen();
  for (const uint32_t count : {1u, 57u, 58u, 60u, 61u, 505u, 506u, 508u, 509u, 1017u, 4344u})
    EXPECT_EQ(echo(count), KST_OK) << count;
  EXPECT_EQ(echo(4345), KST_ERR_BAD_ARGUMENT);
}

TEST_F(TransportSuite, ARepliesSplitOverTransfersOrPaddedWithZeroLengthPacketsIsAssembled) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::SplitReply, ksim::kAnyCommand, 1, 1000});
  EXPECT_EQ(echo(4344), KST_OK);
  const auto in = eventsOf(EventKind::BulkIn);
  ASSERT_EQ(in.size(), 2u);
  EXPECT_EQ(in[0].data.size(), 1000u);
  EXPECT_EQ(in[1].lengthAsked, 4352 - 1000);
  if (!transport::realStack()) {
    EXPECT_EQ(in[1].timeoutMs, 500u);
  }

  ksim::scriptReply(device_, {kConnectCode, 0x0BAD, {}});
  ksim::injectFault(device_, {Fault::EmptyPackets, kConnectCode, 1, 2});
  EXPECT_EQ(KST_Connect(probe_), 0x0BAD) << "the probe's own result";
  EXPECT_EQ(KST_Connect(probe_), KST_OK) << "the next command is not disturbed";
}

TEST_F(TransportSuite, EndlessZeroLengthPacketsEndAsNoReplyWithinTheTimeOut) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::EmptyPackets, kConnectCode, 1, -1});
  probe_->commandBuffer[3] = kConnectCode;
  const auto start = Clock::now();
  EXPECT_EQ(KST_Execute(probe_, 4, 7, 1, 10), KST_ERR_NO_REPLY);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(KST_Connect(probe_), KST_OK);
}

TEST_F(TransportSuite, AHaltedOutEndpointIsClearedAndWrittenAgainUpToThreeTimes) {
  const struct {
    uint32_t stalls;
    int32_t expected;
    std::size_t clears;
  } cases[] = {{1, KST_OK, 1}, {3, KST_OK, 3}, {4, KST_ERR_NO_REPLY, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stalls);
    transport::resetBus();
    attachAndOpen();
    ksim::injectFault(device_, {Fault::OutPipe, ksim::kAnyCommand, c.stalls});
    EXPECT_EQ(KST_Connect(probe_), c.expected);
    const auto clears = eventsOf(EventKind::ClearHalt);
    EXPECT_EQ(clears.size(), c.clears);
    for (const auto& clear : clears) EXPECT_EQ(clear.endpoint, 0x03);
    EXPECT_EQ(KST_Connect(probe_), KST_OK) << "the pipe works again";
    KST_Close(&probe_);
  }
}

// The one case that waits the whole reply time-out on the real stack (4 s there).
TEST_F(TransportSuite, AProbeThatNeverRepliesFailsAfterTheTimeOutAndStaysUsable) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::NoReply, kConnectCode});
  const auto start = Clock::now();
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  if (transport::realStack()) {
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(3900));
  }
  if (!transport::realStack()) {
    EXPECT_EQ(eventsOf(EventKind::BulkIn).back().timeoutMs, 4000u);
  }
  EXPECT_EQ(KST_Connect(probe_), KST_OK);
}

TEST_F(TransportSuite, AProbeRemovedMidCommandFailsEveryLaterCommandAndStillCloses) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::Vanish});
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  EXPECT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_EQ(probe_, nullptr);
  EXPECT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_ERR_NO_PROBE);
}

// DFU detach, download, manifestation and both re-enumerations, end to end.
TEST_F(TransportSuite, AnOutdatedProbeIsUpdatedThroughItsBootloaderAndComesBack) {
  ksim::ProbeConfig outdated;
  outdated.firmwareVersion = kOutdated;
  attachAndOpen(outdated);
  ASSERT_EQ(KST_AutoUpdate(&probe_, 0, nullptr, 0, nullptr), KST_OK);
  ASSERT_NE(probe_, nullptr);
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  ASSERT_EQ(KST_Version(probe_, &firmware, &hardware), KST_OK);
  EXPECT_EQ(firmware, 0x03000029u);
  EXPECT_EQ(probe_->tclkFrequency, 1000000u);
  // The switch went out raw after a disconnect, and nothing was read for it.
  const std::vector<Bytes> sent = ksim::commandPackets(device_);
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent.back(), (Bytes{'*', 1, 0, kDfuModeSwitch}));
  EXPECT_EQ(sent[sent.size() - 2], (Bytes{'*', 1, 0, 2}));
}

}  // namespace
