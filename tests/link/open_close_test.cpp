// Finding, opening and closing probes across the identity table.
#include <cstring>

#include "probe_fixture.h"

namespace kstest {
namespace {

using ksim::EventKind;
using ksim::Fault;

class OpenCloseTest : public ProbeTest {};

// Which probe an index or a serial number opens, on busses with several probes, and what the
// open sends: the connect (40 with the power measurement flag) through the endpoints of the
// probe's interface layout, and nothing when no probe fits. (The open forms the real USB stack
// must agree on, kernel drivers and busy interfaces included, are in the transport suite.)
TEST_F(OpenCloseTest, IndexSerialAndTheBusDecideWhatOpens) {
  using ksim::ProbeConfig;
  const ProbeConfig a = probeAt(0x1209, 0x4B01, "A"), b = probeAt(0x1209, 0x4B01, "B");
  const std::vector<ksim::FaultRule> none;
  const struct {
    const char* name;
    std::vector<ProbeConfig> bus;  // besides some other device, when not empty
    uint32_t index;
    const char* serial;
    uint8_t flag;
    std::vector<ksim::FaultRule> faults;  // on every probe of the bus
    int32_t result;
    const char* opened;  // serial of the probe expected to be connected
    uint8_t out;         // its command OUT endpoint (IN is 0x80 more)
  } cases[] = {
      // clang-format off
      {"an empty bus", {}, 0, nullptr, 0, none, KST_ERR_NO_PROBE, nullptr, 0},
      {"earlier row wins", {probeAt(0xF055, 0x4B05, "E"), probeAt(0x1209, 0x4B02, "D")}, 0, nullptr, 0, none, KST_OK, "D", 0x03},
      {"index counts within a row", {a, probeAt(0xF055, 0x4B03, "C1"), probeAt(0xF055, 0x4B03, "C2")}, 1, nullptr, 0, none, KST_OK, "C2", 0x03},
      {"the last row", {probeAt(0xF055, 0x4B05, "E")}, 0, nullptr, 0, none, KST_OK, "E", 0x01},
      {"empty serial means by index", {a}, 0, "", 0, none, KST_OK, "A", 0x03},
      {"serial ignores the index", {a, b}, 1, "A", 0, none, KST_OK, "A", 0x03},
      {"serial is case-sensitive", {probeAt(0x1209, 0x4B01, "Ab")}, 0, "ab", 0, none, KST_ERR_NO_PROBE, nullptr, 0},
      {"serial must match whole", {probeAt(0x1209, 0x4B01, "AB")}, 0, "A", 0, none, KST_ERR_NO_PROBE, nullptr, 0},
      {"no serial number matches none", {probeAt(0x1209, 0x4B01, "")}, 0, "A", 0, none, KST_ERR_NO_PROBE, nullptr, 0},
      {"unknown ids are not probes", {probeAt(0x1209, 0x4B00, "X")}, 0, nullptr, 0, none, KST_ERR_NO_PROBE, nullptr, 0},
      {"a device that cannot be opened is not counted", {probeWith(&ProbeConfig::failOpen), b}, 0, nullptr, 0, none, KST_OK, "B", 0x03},
      {"power measurement connect", {a}, 0, nullptr, 1, none, KST_OK, "A", 0x03},
      {"failed connect", {a}, 0, nullptr, 1, {{Fault::FirmwareError, 40, 1, 0x1234}}, 0x1234, nullptr, 0},
      {"lost connect", {a}, 0, nullptr, 0, {{Fault::NoReply, 1}}, KST_ERR_NO_REPLY, nullptr, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    if (!c.bus.empty()) ksim::attachDevice(0x046D, 0xC52B);  // some other device on the bus
    std::vector<std::pair<ksim::DeviceId, const ProbeConfig*>> ids;
    for (const auto& config : c.bus) {
      ids.emplace_back(ksim::attachProbe(config), &config);
      for (const auto& fault : c.faults) ksim::injectFault(ids.back().first, fault);
    }
    KSTInform* probe = reinterpret_cast<KSTInform*>(0x1);  // untouched unless opened
    EXPECT_EQ(KST_Open(&probe, c.index, c.serial, c.flag), c.result);
    if (c.opened == nullptr) {
      EXPECT_EQ(probe, reinterpret_cast<KSTInform*>(0x1));
      if (c.result == KST_ERR_NO_PROBE) {
        EXPECT_TRUE(ksim::events().empty());
      }
      continue;
    }
    for (const auto& [id, config] : ids) {
      EXPECT_EQ(ksim::probeStatus(id).connected, config->serial == c.opened) << config->serial;
      if (config->serial != c.opened) continue;
      EXPECT_EQ(probe->vendorId, config->vendorId);
      EXPECT_EQ(probe->productId, config->productId);
    }
    const auto out = eventsOf(EventKind::BulkOut);
    const auto in = eventsOf(EventKind::BulkIn);
    ASSERT_EQ(out.size(), 1u);
    ASSERT_EQ(in.size(), 1u);
    EXPECT_EQ(out[0].data, packet(c.flag ? 40 : 1));
    EXPECT_EQ(out[0].endpoint, c.out);
    EXPECT_EQ(in[0].endpoint, c.out | 0x80);
    EXPECT_EQ(probe->openFlag, 1u);
    EXPECT_EQ(probe->tclkFrequency, 1000000u);
    KST_Close(&probe);
  }
}

// Opening a probe opens (and closes again) the others it passes over; that must leave a probe
// already open elsewhere working, and a probe that is open must not be opened twice. (Probes
// opened by serial number on threads of their own: tests/threads.)
TEST_F(OpenCloseTest, ASecondProbeOpenedAfterTheFirstLeavesBothWorking) {
  const struct {
    const char* name;
    uint32_t firstIndex, secondIndex;
    const char *firstSerial, *secondSerial;
  } cases[] = {
      {"by index", 0, 1, nullptr, nullptr},
      {"by serial, against bus order", 0, 0, "B", "A"},
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

TEST_F(OpenCloseTest, CloseDisconnectsOnlyAnOpenProbe) {
  attachAndOpen();
  ASSERT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_EQ(probe_, nullptr);
  EXPECT_EQ(packets(), std::vector<Bytes>{packet(2)});

  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  ksim::clearEvents();
  probe_->openFlag = 0;
  ASSERT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_TRUE(packets().empty());
}

}  // namespace
}  // namespace kstest
