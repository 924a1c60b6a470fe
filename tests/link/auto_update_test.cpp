// The firmware update end to end on the virtual probe, with the image the build installs
// beside the library. Paths that wait out a deadline run on the virtual clock elsewhere.
#include "probe_fixture.h"

namespace kstest {
namespace {

constexpr uint32_t kOutdated = 0x03000028;
constexpr uint8_t kDfuModeSwitch = 38;

class AutoUpdateTest : public ProbeTest {
 protected:
  int32_t update(const ksim::ProbeConfig& config) {
    attachAndOpen(config);
    return KST_AutoUpdate(&probe_, 0, nullptr, 0, nullptr);
  }
  static ksim::ProbeConfig outdated() {
    ksim::ProbeConfig config;
    config.firmwareVersion = kOutdated;
    return config;
  }
};

TEST_F(AutoUpdateTest, AnOutdatedProbeComesBackRunningTheInstalledImage) {
  ASSERT_EQ(update(outdated()), KST_OK);
  ASSERT_NE(probe_, nullptr);
  uint32_t firmware = 0;
  uint16_t hardware = 0;
  ASSERT_EQ(KST_Version(probe_, &firmware, &hardware), KST_OK);
  EXPECT_EQ(firmware, 0x03000029u);
  EXPECT_EQ(probe_->tclkFrequency, 1000000u);
  // The switch went out raw after a disconnect, and nothing was read for it.
  const std::vector<Bytes> sent = packets();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent.back(), packet(kDfuModeSwitch));
  EXPECT_EQ(sent[sent.size() - 2], packet(2));
}

TEST_F(AutoUpdateTest, FailuresWithoutADeadlineLeaveNoProbeBehind) {
  const auto with = [](auto change) {
    ksim::ProbeConfig config = outdated();
    change(config.dfu);
    return config;
  };
  const struct {
    const char* what;
    ksim::ProbeConfig config;
    int32_t result;
    bool newProbe;
  } cases[] = {
      {"error status at block 3",
       with([](ksim::DfuModeSetup& dfu) { dfu.faults.errorAtBlock = 3; }), KST_ERR_DFU_DOWNLOAD,
       false},
      {"verify mismatch", with([](ksim::DfuModeSetup& dfu) { dfu.faults.verifyMismatch = true; }),
       KST_ERR_DFU_DOWNLOAD, false},
      {"no Corvid extension",
       with([](ksim::DfuModeSetup& dfu) { dfu.faults.corvidMagic = 0x1234; }), KST_ERR_DFU_DOWNLOAD,
       false},
      {"no DFU interface", with([](ksim::DfuModeSetup& dfu) {
         dfu.faults.descriptors = ksim::DescriptorFault::kNoDfuInterface;
       }),
       KST_ERR_DFU_DOWNLOAD, false},
      // 16 KiB blocks: the image goes to 0x4000, while the probe starts at 0x1800 and finds an
      // erased version word there.
      {"image where the probe does not start", with([](ksim::DfuModeSetup& dfu) {
         dfu.flash.blockSize = 16384;
         dfu.flash.blockCount = 8;
       }),
       KST_ERR_UPDATE_VERSION, true},
  };
  for (const auto& c : cases) {
    ksim::reset();
    EXPECT_EQ(update(c.config), c.result) << c.what;
    EXPECT_EQ(probe_ != nullptr, c.newProbe) << c.what;
    if (probe_ != nullptr) KST_Close(&probe_);
    const ksim::Resources live = ksim::resources();
    EXPECT_EQ(live.contexts + live.handles + live.deviceLists, 0) << c.what;
  }
}

TEST_F(AutoUpdateTest, ABootloaderAlreadyOnTheBusIsRefusedBeforeTheSwitch) {
  ksim::attachBootloader(outdated());
  EXPECT_EQ(update(outdated()), KST_ERR_DFU_ALREADY_ON_BUS);
  EXPECT_EQ(probe_, nullptr);
  for (const Bytes& sent : packets()) EXPECT_NE(sent, packet(kDfuModeSwitch));
}

}  // namespace
}  // namespace kstest
