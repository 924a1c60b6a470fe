// The data port and the fake scan-manager handle.
#include "probe_fixture.h"

namespace kstest {
namespace {

class ControlTest : public ProbeTest {};

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
