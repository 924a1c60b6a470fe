// The shipped configuration files, each run as a framework session on the virtual probe.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class ExampleConfig : public JscTest {
 protected:
  std::unique_ptr<loomhost::Session> load(const char* file) {
    ksim::ProbeConfig config;
    config.chain = ksim::demoChain();
    attach(config);
    auto s = std::make_unique<loomhost::Session>();
    std::string error;
    EXPECT_TRUE(s->configure(std::string(KESTREL_EXAMPLES_DIR) + "/" + file, error)) << error;
    return s;
  }
};

TEST_F(ExampleConfig, JtagDetectsTheChainAtTenMegahertzAndIsolatesOnClose) {
  auto s = load("jtag.cfg");
  ASSERT_EQ(s->start(), 0);
  EXPECT_EQ(KST_GetHandle(s->scanManager())->tclkFrequency, 10000000u);
  ASSERT_EQ(s->resetChain(), 0);
  Bytes ids(8, 0xFF);
  ASSERT_EQ(s->exchange(2, 64, Bytes(8, 0xFF).data(), ids.data()), 0);
  EXPECT_EQ(ids, (Bytes{0x77, 0x04, 0xA0, 0x4B, 0x2F, 0xC0, 0x97, 0x0B}));
  EXPECT_EQ(ksim::probeStatus(device_).cjtagFormat, 1u);
  EXPECT_EQ(s->finish(), 0);
  EXPECT_TRUE(ksim::probeStatus(device_).jtagIsolated);
}

TEST_F(ExampleConfig, CjtagConnectsInItsFormatAndDisconnectsOnClose) {
  auto s = load("cjtag.cfg");
  ASSERT_EQ(s->start(), 0);
  EXPECT_TRUE(ksim::probeStatus(device_).cjtagConnected);
  EXPECT_EQ(ksim::probeStatus(device_).cjtagFormat, 7u);
  EXPECT_EQ(s->finish(), 0);
  EXPECT_FALSE(ksim::probeStatus(device_).cjtagConnected);
  EXPECT_FALSE(ksim::probeStatus(device_).jtagIsolated);
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
