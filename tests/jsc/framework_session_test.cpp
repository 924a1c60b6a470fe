// A framework's whole session from a configuration file: the probe's outdated firmware updated
// at open with the console notice, the chain found through ExchangeScan, target memory reached
// through CMAPI_* on the scan-manager handle, and nothing left open after the close.
#include "jsc_fixture.h"

namespace jsctest {
namespace {

class FrameworkSession : public JscTest {};

TEST_F(FrameworkSession, UpdatesDetectsReadsMemoryAndLeavesNothingOpen) {
  ksim::ProbeConfig config;
  config.firmwareVersion = 0x03000028;
  config.chain = ksim::demoChain();
  attach(config);
  {
    loomhost::Session s;
    std::string error;
    ASSERT_TRUE(s.configure(std::string(KESTREL_EXAMPLES_DIR) + "/jtag.cfg", error)) << error;
    testing::internal::CaptureStdout();
    ASSERT_EQ(s.start(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Updating the Kestrel firmware ... complete.\n");
    KSTInform* probe = KST_GetHandle(s.scanManager());
    ASSERT_NE(probe, nullptr);
    uint32_t firmware = 0;
    uint16_t hardware = 0;
    ASSERT_EQ(KST_Version(probe, &firmware, &hardware), 0);
    EXPECT_EQ(firmware, 0x03000029u) << "the probe came back running the new image";

    ASSERT_EQ(s.resetChain(), 0);
    Bytes ids(8, 0);
    ASSERT_EQ(s.exchange(2, 64, Bytes(8, 0xFF).data(), ids.data()), 0);
    EXPECT_EQ(ids, (Bytes{0x77, 0x04, 0xA0, 0x4B, 0x2F, 0xC0, 0x97, 0x0B}));

    uint32_t dpIdcode = 0;
    ASSERT_EQ(CMAPI_Connect(s.scanManager(), &dpIdcode), 0);
    EXPECT_EQ(dpIdcode, 0x2BA01477u);
    const Bytes written{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    Bytes read(12, 0);
    constexpr uint8_t kAp = 0, kWords = 2, kIncrement = 0;
    ASSERT_EQ(
        CMAPI_MemWrite(s.scanManager(), kAp, kWords, kIncrement, 0x20000000, 8, 0, written.data()),
        0);
    ASSERT_EQ(
        CMAPI_MemRead(s.scanManager(), kAp, kWords, kIncrement, 0x20000000, 12, 0, read.data()), 0);
    EXPECT_EQ(read, (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0xA5, 0xA5, 0xA5, 0xA5}))
        << "what was written, then memory never written";
    ASSERT_EQ(CMAPI_Disconnect(s.scanManager()), 0);
    EXPECT_EQ(s.finish(), 0);
    EXPECT_EQ(KST_GetHandle(s.scanManager()), nullptr);
  }
  const ksim::Resources live = ksim::resources();
  EXPECT_EQ(live.contexts, 0);
  EXPECT_EQ(live.deviceLists, 0);
  EXPECT_EQ(live.devices, 0);
  EXPECT_EQ(live.handles, 0);
  EXPECT_TRUE(loomhost::Session::refusedHandles().empty());
}

}  // namespace
}  // namespace jsctest
