// The firmware update end to end through the exported library, with the image the build
// installs beside it. Its failure points are tested on the virtual clock (tests/update/).
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

TEST_F(AutoUpdateTest, ABootloaderAlreadyOnTheBusIsRefusedBeforeTheSwitch) {
  ksim::attachBootloader(outdated());
  EXPECT_EQ(update(outdated()), KST_ERR_DFU_ALREADY_ON_BUS);
  EXPECT_EQ(probe_, nullptr);
  for (const Bytes& sent : packets()) EXPECT_NE(sent, packet(kDfuModeSwitch));
}

}  // namespace
}  // namespace kstest
