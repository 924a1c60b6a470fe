// Finding, opening and closing probes across the identity table.
#include <cstring>

#include "link/handle_chain.h"
#include "probe_fixture.h"

namespace kstest {
namespace {

using ksim::EventKind;

ksim::ProbeConfig probeAt(uint16_t vendorId, uint16_t productId, const char* serial) {
  ksim::ProbeConfig config;
  config.vendorId = vendorId;
  config.productId = productId;
  config.serial = serial;
  return config;
}

class OpenCloseTest : public ProbeTest {};

// Which probe an index or a serial number opens, on busses with several probes.
TEST_F(OpenCloseTest, IndexAndSerialSelectAcrossIdentityRows) {
  const struct {
    const char* name;
    std::vector<ksim::ProbeConfig> bus;
    uint32_t index;
    const char* serial;
    const char* opened;  // serial of the probe expected to be connected, null: -260
  } cases[] = {
      {"index 1 takes the second",
       {probeAt(0x1209, 0x4B01, "A"), probeAt(0x1209, 0x4B01, "B")},
       1,
       nullptr,
       "B"},
      {"index past the probes",
       {probeAt(0x1209, 0x4B01, "A"), probeAt(0x1209, 0x4B01, "B")},
       2,
       nullptr,
       nullptr},
      {"earlier row wins",
       {probeAt(0xF055, 0x4B05, "E"), probeAt(0x1209, 0x4B02, "D")},
       0,
       nullptr,
       "D"},
      {"index counts within a row",
       {probeAt(0x1209, 0x4B01, "A"), probeAt(0xF055, 0x4B03, "C1"), probeAt(0xF055, 0x4B03, "C2")},
       1,
       nullptr,
       "C2"},
      {"empty serial means by index", {probeAt(0x1209, 0x4B01, "A")}, 0, "", "A"},
      {"serial in a later row",
       {probeAt(0x1209, 0x4B01, "A"), probeAt(0xF055, 0x4B04, "B")},
       0,
       "B",
       "B"},
      {"serial ignores the index",
       {probeAt(0x1209, 0x4B01, "A"), probeAt(0x1209, 0x4B01, "B")},
       1,
       "A",
       "A"},
      {"serial is case-sensitive", {probeAt(0x1209, 0x4B01, "Ab")}, 0, "ab", nullptr},
      {"serial must match whole", {probeAt(0x1209, 0x4B01, "AB")}, 0, "A", nullptr},
      {"unknown ids are not probes", {probeAt(0x1209, 0x4B00, "X")}, 0, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    ksim::attachDevice(0x046D, 0xC52B);  // some other device on the bus
    std::vector<std::pair<ksim::DeviceId, std::string>> ids;
    for (const auto& config : c.bus) ids.emplace_back(ksim::attachProbe(config), config.serial);
    KSTInform* probe = nullptr;
    const int32_t result = KST_Open(&probe, c.index, c.serial, 0);
    if (c.opened == nullptr) {
      EXPECT_EQ(result, KST_ERR_NO_PROBE);
      EXPECT_EQ(probe, nullptr);
      EXPECT_TRUE(ksim::events().empty());
      continue;
    }
    ASSERT_EQ(result, KST_OK);
    for (const auto& [id, serial] : ids)
      EXPECT_EQ(ksim::probeStatus(id).connected, serial == c.opened) << serial;
    EXPECT_EQ(probe->openFlag, 1u);
    EXPECT_EQ(probe->tclkFrequency, 1000000u);
    KST_Close(&probe);
  }
}

// Opening a probe opens (and closes again) the others it passes over; that must leave a probe
// already open elsewhere working, and a probe that is open must not be opened twice.
TEST_F(OpenCloseTest, ASecondProbeOpenedAfterTheFirstLeavesBothWorking) {
  const struct {
    const char* name;
    uint32_t firstIndex, secondIndex;
    const char *firstSerial, *secondSerial;
  } cases[] = {
      {"by index", 0, 1, nullptr, nullptr},
      {"by serial, in bus order", 0, 0, "A", "B"},
      {"by serial, against bus order", 0, 0, "B", "A"},
      {"by index, then by serial", 0, 0, nullptr, "B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    const ksim::DeviceId a = ksim::attachProbe(probeAt(0x1209, 0x4B01, "A"));
    const ksim::DeviceId b = ksim::attachProbe(probeAt(0x1209, 0x4B01, "B"));
    KSTInform* first = nullptr;
    KSTInform* second = nullptr;
    ASSERT_EQ(KST_Open(&first, c.firstIndex, c.firstSerial, 0), KST_OK);
    ASSERT_EQ(KST_Open(&second, c.secondIndex, c.secondSerial, 0), KST_OK);
    const bool firstIsA = c.firstSerial == nullptr || std::strcmp(c.firstSerial, "A") == 0;
    const uint8_t one[] = {1, 2, 3}, two[] = {4, 5};
    uint8_t echoed[3] = {};
    EXPECT_EQ(KST_Echo(first, one, echoed, 3), KST_OK);
    EXPECT_EQ(KST_Echo(second, two, echoed, 2), KST_OK);
    EXPECT_EQ(ksim::commandPackets(firstIsA ? a : b).back(), packet(0, {3, 0, 0, 0, 1, 2, 3}));
    EXPECT_EQ(ksim::commandPackets(firstIsA ? b : a).back(), packet(0, {2, 0, 0, 0, 4, 5}));
    // Both are open: neither may be opened again, by index or by serial.
    KSTInform* third = nullptr;
    EXPECT_EQ(KST_Open(&third, 0, nullptr, 0), KST_ERR_NO_PROBE);
    EXPECT_EQ(KST_Open(&third, 0, "A", 0), KST_ERR_NO_PROBE);
    EXPECT_EQ(third, nullptr);
    EXPECT_EQ(KST_Echo(first, one, echoed, 3), KST_OK);
    KST_Close(&first);
    EXPECT_EQ(KST_Echo(second, two, echoed, 2), KST_OK);
    KST_Close(&second);
  }
}

TEST_F(OpenCloseTest, EachIdentityRowUsesItsInterfaceLayout) {
  const struct {
    uint16_t vendorId, productId;
    uint8_t out, in;
  } cases[] = {
      {0x1209, 0x4B01, 0x03, 0x83}, {0x1209, 0x4B02, 0x03, 0x83}, {0xF055, 0x4B03, 0x03, 0x83},
      {0xF055, 0x4B04, 0x01, 0x81}, {0xF055, 0x4B05, 0x01, 0x81},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.productId);
    ksim::reset();
    attach(probeAt(c.vendorId, c.productId, "L"));
    ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
    EXPECT_EQ(probe_->vendorId, c.vendorId);
    EXPECT_EQ(probe_->productId, c.productId);
    const auto out = eventsOf(EventKind::BulkOut);
    const auto in = eventsOf(EventKind::BulkIn);
    ASSERT_EQ(out.size(), 1u);
    ASSERT_EQ(in.size(), 1u);
    EXPECT_EQ(out[0].endpoint, c.out);
    EXPECT_EQ(in[0].endpoint, c.in);
    EXPECT_EQ(out[0].data, packet(1));
    KST_Close(&probe_);
  }
}

TEST_F(OpenCloseTest, OnlyTheCommandInterfaceClaimDecides) {
  ksim::ProbeConfig busyData;
  busyData.failClaimData = true;
  attach(busyData);
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  KST_Close(&probe_);

  ksim::reset();
  ksim::ProbeConfig busyCommand;
  busyCommand.failClaimCommand = true;
  attach(busyCommand);
  EXPECT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_ERR_NO_PROBE);
}

TEST_F(OpenCloseTest, AnActiveKernelDriverIsDetached) {
  ksim::ProbeConfig bound;
  bound.kernelDriverActive = true;
  attach(bound);
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
}

TEST_F(OpenCloseTest, ADeviceThatCannotBeOpenedIsNotCounted) {
  ksim::ProbeConfig locked = probeAt(0x1209, 0x4B01, "locked");
  locked.failOpen = true;
  ksim::attachProbe(locked);
  const ksim::DeviceId good = attach(probeAt(0x1209, 0x4B01, "good"));
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  EXPECT_TRUE(ksim::probeStatus(good).connected);
}

TEST_F(OpenCloseTest, ThePowerMeasurementFlagConnectsWithItsOwnCommand) {
  attach();
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 1), KST_OK);
  EXPECT_EQ(packets(), std::vector<Bytes>{packet(40)});
}

TEST_F(OpenCloseTest, AFailedConnectReturnsItsCodeAndFreesEverything) {
  attach();
  ksim::injectFault(device_, {ksim::Fault::FirmwareError, 40, 1, 0x1234});
  KSTInform* untouched = reinterpret_cast<KSTInform*>(0x1);
  EXPECT_EQ(KST_Open(&untouched, 0, nullptr, 1), 0x1234);
  EXPECT_EQ(untouched, reinterpret_cast<KSTInform*>(0x1));
  ksim::injectFault(device_, {ksim::Fault::NoReply, 1});
  EXPECT_EQ(KST_Open(&untouched, 0, nullptr, 0), KST_ERR_NO_REPLY);
  EXPECT_EQ(untouched, reinterpret_cast<KSTInform*>(0x1));
}

TEST_F(OpenCloseTest, CloseDisconnectsOnlyAnOpenProbe) {
  attachAndOpen();
  ASSERT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_EQ(probe_, nullptr);
  EXPECT_EQ(packets(), std::vector<Bytes>{packet(2)});

  ksim::clearEvents();
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  ksim::clearEvents();
  probe_->openFlag = 0;
  ASSERT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_TRUE(packets().empty());
}

TEST_F(OpenCloseTest, NullArgumentsAreRefused) {
  EXPECT_EQ(KST_Open(nullptr, 0, nullptr, 0), KST_ERR_BAD_ARGUMENT);
  EXPECT_EQ(KST_Close(nullptr), KST_ERR_BAD_ARGUMENT);
  KSTInform* none = nullptr;
  EXPECT_EQ(KST_Close(&none), KST_ERR_BAD_ARGUMENT);
}

TEST_F(OpenCloseTest, GetHandleFollowsTheChainToTheFirstNullLink) {
  KSTInform context{};
  kst::SharedControllerHead controller{};
  kst::ControllerHandleHead handle{};
  alignas(8) uint8_t smg[256] = {};
  auto link = [&](kst::ControllerHandleHead* to) {
    std::memcpy(smg + kst::kSmgControllerHandleOffset, &to, sizeof to);
  };
  EXPECT_EQ(KST_GetHandle(nullptr), nullptr);
  EXPECT_EQ(KST_GetHandle(smg), nullptr);
  link(&handle);
  EXPECT_EQ(KST_GetHandle(smg), nullptr);
  handle.controller = &controller;
  EXPECT_EQ(KST_GetHandle(smg), nullptr);
  controller.probe = &context;
  EXPECT_EQ(KST_GetHandle(smg), &context);
}

}  // namespace
}  // namespace kstest
