// The shipped configuration files, each run as a framework session on the virtual probe.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class ExampleConfig : public JscTest {
 protected:
  std::unique_ptr<loomhost::Session> load(const char* file, uint32_t firmware = 0x03000029) {
    ksim::ProbeConfig config;
    config.firmwareVersion = firmware;
    config.chain = ksim::demoChain();
    attach(config);
    auto s = std::make_unique<loomhost::Session>();
    std::string error;
    EXPECT_TRUE(s->configure(std::string(KESTREL_EXAMPLES_DIR) + "/" + file, error)) << error;
    return s;
  }
};

// jtag.cfg as a framework's whole session: the probe's outdated firmware updated at open with
// the console notice, the chain found through ExchangeScan at 10 MHz, the target's debug port
// reached through CMAPI_* on the scan-manager handle, and nothing left open after the close.
TEST_F(ExampleConfig, JtagUpdatesDetectsReadsMemoryAndLeavesNothingOpen) {
  {
    auto s = load("jtag.cfg", 0x03000028);
    testing::internal::CaptureStdout();
    ASSERT_EQ(s->start(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Updating the Kestrel firmware ... complete.\n");
    KSTInform* probe = KST_GetHandle(s->scanManager());
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->tclkFrequency, 10000000u);

    ASSERT_EQ(s->resetChain(), 0);
    Bytes ids(8, 0);
    ASSERT_EQ(s->exchange(2, 64, Bytes(8, 0xFF).data(), ids.data()), 0);
    EXPECT_EQ(ids, (Bytes{0x77, 0x04, 0xA0, 0x4B, 0x2F, 0xC0, 0x97, 0x0B}));

    uint32_t dpIdcode = 0;
    ASSERT_EQ(CMAPI_Connect(s->scanManager(), &dpIdcode), 0);
    EXPECT_EQ(dpIdcode, 0x2BA01477u);
    ASSERT_EQ(CMAPI_Disconnect(s->scanManager()), 0);
    EXPECT_EQ(s->finish(), 0);
    EXPECT_EQ(KST_GetHandle(s->scanManager()), nullptr);
  }
  const ksim::Resources live = ksim::resources();
  EXPECT_EQ(live.contexts + live.deviceLists + live.devices + live.handles, 0);
  EXPECT_TRUE(loomhost::Session::refusedHandles().empty());
}

// SWD with SWO on the TDO pin: the probe's SWD properties, the connect and SWO at open; the
// SWD register operations reach the target's debug port while JTAG operations are refused;
// the close takes SWO and SWD down again.
TEST_F(ExampleConfig, SwdConnectsWithSwoAndReachesTheDebugPortsRegisters) {
  auto s = load("swd.cfg");
  ASSERT_EQ(s->start(), 0);
  const ksim::ProbeStatus open = ksim::probeStatus(device_);
  EXPECT_EQ(open.properties.at(KST_PROPERTY_SWD_MODE), 1u);
  EXPECT_EQ(open.properties.at(KST_PROPERTY_SWD_OPTION), 3u);
  EXPECT_TRUE(open.swdConnected);
  EXPECT_TRUE(open.swoEnabled);
  EXPECT_FALSE(open.cjtagConnected);

  const auto read = s->operation<JSC_SwdRegReadFn>(JSC_SLOT_SWD_REG_READ);
  const auto write = s->operation<JSC_SwdRegWriteFn>(JSC_SLOT_SWD_REG_WRITE);
  uint32_t value = 0;
  ASSERT_EQ(read(s->handle(), 0, 0x0, &value), 0);
  EXPECT_EQ(value, 0x2BA01477u) << "the DP's IDCODE";
  uint32_t powerUp = 0x50000000;  // both power-up requests in CTRL/STAT
  ASSERT_EQ(write(s->handle(), 0, 0x4, &powerUp, 1), 0);
  ASSERT_EQ(read(s->handle(), 0, 0x4, &value), 0);
  EXPECT_EQ(value & 0xF0000000u, 0xF0000000u) << "requests and their acknowledges";
  EXPECT_EQ(s->resetChain(), JSC_ERR_SWD_CONNECTED);

  EXPECT_EQ(s->finish(), 0);
  EXPECT_FALSE(ksim::probeStatus(device_).swdConnected);
  EXPECT_FALSE(ksim::probeStatus(device_).swoEnabled);
}

}  // namespace
}  // namespace jsctest
