// The data port and the scan-manager handles.
#include <cstring>

#include "link/handle_chain.h"
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

// The fake handle is one per process and follows the last context; a host's handle leads to
// its probe through the controller records, and a missing one leads nowhere (a null handle and
// a null first link: the target families' refusals, command_table_test).
TEST_F(ControlTest, HandlesLeadToTheProbeThroughTheirChain) {
  KSTInform first{}, second{};
  KST_SMG_HANDLE a = nullptr, b = nullptr;
  ASSERT_EQ(KST_CreateFakeSMGHandle(&first, &a), KST_OK);
  EXPECT_EQ(KST_GetHandle(a), &first);
  ASSERT_EQ(KST_CreateFakeSMGHandle(&second, &b), KST_OK);
  EXPECT_EQ(a, b);
  EXPECT_EQ(KST_GetHandle(a), &second);
  EXPECT_EQ(KST_CreateFakeSMGHandle(nullptr, &a), KST_ERR_BAD_ARGUMENT);

  kst::SharedControllerHead controller{};
  kst::ControllerHandleHead handle{};
  alignas(8) uint8_t smg[256] = {};
  const kst::ControllerHandleHead* link = &handle;
  std::memcpy(smg + kst::kSmgControllerHandleOffset, &link, sizeof link);
  EXPECT_EQ(KST_GetHandle(smg), nullptr);
  handle.controller = &controller;
  controller.probe = &first;
  EXPECT_EQ(KST_GetHandle(smg), &first);
}

}  // namespace
}  // namespace kstest
