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

// The SWD connect itself answers "not provided" until the SWD commands are in the library;
// the probe properties before it are already sent, and the failed open closes the probe.
TEST_F(ExampleConfig, SwdSetsTheProbesSwdPropertiesBeforeConnecting) {
  auto s = load("swd.cfg");
  EXPECT_EQ(s->start(), -601);
  EXPECT_EQ(ksim::probeStatus(device_).properties[KST_PROPERTY_SWD_MODE], 1u);
  EXPECT_EQ(ksim::probeStatus(device_).properties[KST_PROPERTY_SWD_OPTION], 3u);
  EXPECT_EQ(ksim::resources().handles, 0);
  discardRefusedHandle(*s);
}

}  // namespace
}  // namespace jsctest
