// Scans against the virtual TAP chain: what a real chain returns for the probe's scans. What
// the chain captures (IDCODE, BYPASS, Capture-IR) is checked on the chain itself (ieee1149) and
// by the tool's chain detection (tests/tool/jtag_detect_test, kestrel --sim jtag detect);
// ambles and repetitions at a stride through the framework (tests/jsc/scan_test).
#include "link/wire.h"
#include "probe_fixture.h"

namespace kstest {
namespace {

constexpr uint8_t kIdle = KST_STATE_RUN_TEST_IDLE;

class ScanTest : public ProbeTest {
 protected:
  void openWithChain(std::vector<ksim::TapConfig> chain) {
    ksim::ProbeConfig config;
    config.chain = std::move(chain);
    attachAndOpen(config);
    ASSERT_EQ(KST_GotoJtagState(probe_, KST_STATE_TEST_LOGIC_RESET, 1), KST_OK);
    ASSERT_EQ(KST_GotoJtagState(probe_, kIdle, 1), KST_OK);
  }

  uint32_t state() {
    uint32_t now = 0xFF;
    EXPECT_EQ(KST_GetJtagState(probe_, &now), KST_OK);
    return now;
  }

  // One data or instruction scan of bits through the whole chain.
  Bytes scan(uint8_t shiftState, uint16_t bits, const Bytes& out, uint16_t firstAmble = 0,
             uint16_t secondAmble = 0) {
    Bytes in(out.size(), 0);
    const auto size = static_cast<uint16_t>(out.size());
    EXPECT_EQ(KST_SendRecvScan(probe_, bits, shiftState, 1, kIdle, 1, firstAmble, secondAmble, 0, 1,
                               size, size, out.data(), in.data(), size, size),
              KST_OK);
    return in;
  }
};

TEST_F(ScanTest, AStrideOfZeroRepeatsOnePatternAndAFixedScanItsFillByte) {
  ksim::TapConfig user = tap(4, true, 0x11111111);
  user.userRegisters = {{0x2, 16, 0}};
  openWithChain({user});
  const Bytes selectUser{0x02, 0x00};
  scan(KST_STATE_SHIFT_IR, 4, selectUser);

  // Stride 0: every repetition sends the same two bytes.
  ASSERT_EQ(KST_SendScan(probe_, 16, KST_STATE_SHIFT_DR, 1, kIdle, 1, 0, 0, 0, 4, 0,
                         Bytes{0xCD, 0xAB}.data(), 2),
            KST_OK);
  EXPECT_EQ(scan(KST_STATE_SHIFT_DR, 16, Bytes{0, 0}), (Bytes{0xCD, 0xAB}));

  // A fixed scan repeats its fill byte over every bit.
  ASSERT_EQ(KST_FixedScan(probe_, 16, KST_STATE_SHIFT_DR, 1, kIdle, 1, 0, 0, 0, 1, 0x5A), KST_OK);
  EXPECT_EQ(scan(KST_STATE_SHIFT_DR, 16, Bytes{0, 0}), (Bytes{0x5A, 0x5A}));
}

TEST_F(ScanTest, StateMovesScansTrstAndTheRouterChangeWhatTheChainShows) {
  ksim::TapConfig hidden = tap(4, true, 0x0BADC0DF);
  hidden.behindRouter = true;
  openWithChain({tap(4, true, 0x4BA00477), hidden});
  ASSERT_EQ(KST_GotoJtagState(probe_, KST_STATE_PAUSE_IR, 1), KST_OK);
  EXPECT_EQ(KST_GotoJtagState(probe_, 7, 1), ksim::kFirmwareBadArguments);
  EXPECT_EQ(KST_GotoJtagState(probe_, kIdle, 4), ksim::kFirmwareBadArguments) << "no mode 4";
  EXPECT_EQ(state(), uint32_t{KST_STATE_PAUSE_IR});
  // A scan's test clocks after the scan (40 here) leave the TAP in the scan's end state.
  for (const uint8_t end : {KST_STATE_TEST_LOGIC_RESET, KST_STATE_PAUSE_DR}) {
    ASSERT_EQ(KST_FixedScan(probe_, 8, KST_STATE_SHIFT_DR, 1, end, 1, 0, 0, 40, 1, 0xA5), KST_OK);
    EXPECT_EQ(state(), end);
  }

  // TRST low holds the chain in reset.
  ASSERT_EQ(KST_SetTrst(probe_, 0), KST_OK);
  EXPECT_EQ(state(), uint32_t{KST_STATE_TEST_LOGIC_RESET});
  uint32_t trst = 1;
  ASSERT_EQ(KST_GetTrst(probe_, &trst), KST_OK);
  EXPECT_EQ(trst, 0u);
  ASSERT_EQ(KST_SetTrst(probe_, 1), KST_OK);

  ASSERT_EQ(KST_SelectTap(probe_, 1, 0, 0, 1, 0, 'C', 0, 0), KST_OK);
  EXPECT_EQ(ksim::probeStatus(device_).tapVisible, (std::vector<bool>{true, true}));
  const Bytes in = scan(KST_STATE_SHIFT_DR, 64, Bytes(8, 0xFF));
  EXPECT_EQ(kst::wire::getU32(in.data() + 4), 0x0BADC0DFu);
  ASSERT_EQ(KST_DeselectTap(probe_, 1, 0, 0, 0, 0, 'D'), KST_OK);
  EXPECT_EQ(ksim::probeStatus(device_).tapVisible, (std::vector<bool>{true, false}));
}

TEST_F(ScanTest, FreeClocksKeepTheTapWhereItIsAndAHugeCountIsAnsweredAtOnce) {
  openWithChain({tap(4, true, 0x4BA00477)});
  ASSERT_EQ(KST_CycleTclk(probe_, 0xFFFFFFF0u), KST_OK);
  EXPECT_GE(ksim::probeStatus(device_).tclkCycles, 0xFFFFFFF0u);
  for (const uint32_t held : {KST_STATE_TEST_LOGIC_RESET, KST_STATE_RUN_TEST_IDLE,
                              KST_STATE_PAUSE_DR, KST_STATE_PAUSE_IR}) {
    ASSERT_EQ(KST_GotoJtagState(probe_, held, 1), KST_OK);
    ASSERT_EQ(KST_CycleTclk(probe_, 100), KST_OK);
    EXPECT_EQ(state(), held);
  }
}

}  // namespace
}  // namespace kstest
