// What the probe control commands do to the probe, the data port and the fake handle.
#include "probe_fixture.h"

namespace kstest {
namespace {

class ControlTest : public ProbeTest {};

TEST_F(ControlTest, LinesSwitchesAndPropertiesReachTheProbe) {
  attachAndOpen();
  ASSERT_EQ(KST_SetSupply(probe_, 1, 1800), KST_OK);
  ASSERT_EQ(KST_SetSrst(probe_, 0), KST_OK);
  ASSERT_EQ(KST_PowerIsolate(probe_, 1), KST_OK);
  ASSERT_EQ(KST_JTAGIsolate(probe_), KST_OK);
  ASSERT_EQ(KST_SetProperty(probe_, KST_PROPERTY_LOGGING_ENABLED, 1), KST_OK);
  ASSERT_EQ(CJTAG_Connect(probe_, 0x0D), KST_OK);
  const uint16_t written = 0xA55A;
  uint16_t read = 0;
  ASSERT_EQ(KST_RegisterWrite(probe_, 0x40, &written), KST_OK);
  ASSERT_EQ(KST_RegisterRead(probe_, 0x40, &read), KST_OK);
  EXPECT_EQ(read, 0xA55A);
  const ksim::ProbeStatus status = ksim::probeStatus(device_);
  EXPECT_EQ(status.supplyMillivolts, 1800u);
  EXPECT_EQ(status.supplyFlag, 1);
  EXPECT_EQ(status.srst, 0);
  EXPECT_EQ(status.powerIsolate, 1);
  EXPECT_TRUE(status.jtagIsolated);
  EXPECT_TRUE(status.cjtagConnected);
  EXPECT_EQ(status.cjtagFormat, 0x0Du);
  EXPECT_EQ(status.properties.at(KST_PROPERTY_LOGGING_ENABLED), 1u);
}

TEST_F(ControlTest, TheEepromKeepsItsContentsAcrossOpens) {
  attachAndOpen();
  const Bytes data{1, 2, 3, 4, 5};
  ASSERT_EQ(KST_EEPROMWrite(probe_, 0xFFFB, 5, data.data()), KST_OK);
  ASSERT_EQ(KST_Close(&probe_), KST_OK);
  ASSERT_EQ(KST_Open(&probe_, 0, nullptr, 0), KST_OK);
  Bytes read(7, 0);
  ASSERT_EQ(KST_EEPROMRead(probe_, 0xFFF9, 7, read.data()), KST_OK);
  EXPECT_EQ(read, (Bytes{0xFF, 0xFF, 1, 2, 3, 4, 5}));
  EXPECT_EQ(KST_EEPROMRead(probe_, 0xFFFF, 2, read.data()), KST_ERR_NO_REPLY)
      << "past the end the probe answers with a short error reply";
}

TEST_F(ControlTest, TheDataPortReadsWhatTheProbeStreamsAndTimesOutOtherwise) {
  attachAndOpen();
  ksim::pushDataPort(device_, {9, 8, 7});
  uint8_t buffer[8] = {};
  int32_t count = -1;
  ASSERT_EQ(KST_ReadDataPort(probe_, buffer, sizeof buffer, &count), KST_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{9, 8, 7}));
  EXPECT_EQ(KST_ReadDataPort(probe_, buffer, sizeof buffer, &count), KST_ERR_DATA_PORT);
  EXPECT_EQ(count, 0);
  const auto reads = eventsOf(ksim::EventKind::BulkIn);
  ASSERT_EQ(reads.size(), 2u);
  for (const auto& read : reads) {
    EXPECT_EQ(read.endpoint, 0x87);
    EXPECT_EQ(read.timeoutMs, 500u);
  }
  EXPECT_EQ(KST_ReadDataPort(probe_, buffer, -1, &count), KST_ERR_BAD_ARGUMENT);
}

TEST_F(ControlTest, TheFakeHandleIsOnePerProcessAndFollowsTheLastContext) {
  KSTInform first{}, second{};
  KST_SMG_HANDLE a = nullptr, b = nullptr;
  ASSERT_EQ(KST_CreateFakeSMGHandle(&first, &a), KST_OK);
  EXPECT_EQ(KST_GetHandle(a), &first);
  ASSERT_EQ(KST_CreateFakeSMGHandle(&second, &b), KST_OK);
  EXPECT_EQ(a, b);
  EXPECT_EQ(KST_GetHandle(a), &second);
  EXPECT_EQ(KST_CreateFakeSMGHandle(nullptr, &a), KST_ERR_BAD_ARGUMENT);
}

}  // namespace
}  // namespace kstest
