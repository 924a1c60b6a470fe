// The shipped configuration files, each run as a framework session on the virtual probe.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class ExampleConfig : public JscTest {};

// SWD with SWO on the TDO pin: the probe's SWD properties, the connect and SWO at open; the
// SWD register operations reach the target's debug port while JTAG operations are refused
// without a command; the close takes SWO and SWD down again. (Every shipped file runs in the
// tool's tests as well.)
TEST_F(ExampleConfig, SwdConnectsWithSwoAndReachesTheDebugPortsRegisters) {
  ksim::ProbeConfig config;
  config.chain = ksim::demoChain();
  attach(config);
  auto s = std::make_unique<loomhost::Session>();
  std::string error;
  ASSERT_TRUE(s->configure(std::string(KESTREL_EXAMPLES_DIR) + "/swd.cfg", error)) << error;
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
  const PathDescriptor p{1, 2, 1, 2, 0, 1, 0, 0, {}};
  uint8_t bytes[2] = {};
  const ExchangeScanRequest exchange{1, 0, 16, bytes, bytes};
  newPackets();
  EXPECT_EQ(s->operation<JSC_ExchangeScanFn>(JSC_SLOT_EXCHANGE_SCAN)(s->handle(), &p, &exchange),
            JSC_ERR_SWD_CONNECTED);
  EXPECT_EQ(s->operation<JSC_MovePathFn>(JSC_SLOT_MOVE_PATH)(s->handle(), &p, 0, 1),
            JSC_ERR_SWD_CONNECTED);
  EXPECT_EQ(s->operation<JSC_GetJtagStateFn>(JSC_SLOT_GET_JTAG_STATE)(s->handle(), &value),
            JSC_ERR_SWD_CONNECTED);
  EXPECT_TRUE(newPackets().empty());

  EXPECT_EQ(s->finish(), 0);
  EXPECT_FALSE(ksim::probeStatus(device_).swdConnected);
  EXPECT_FALSE(ksim::probeStatus(device_).swoEnabled);
}

}  // namespace
}  // namespace jsctest
