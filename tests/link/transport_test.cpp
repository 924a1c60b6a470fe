// Bulk transfers under the exchange: split replies, halted endpoints, a vanishing probe.
#include <chrono>

#include "probe_fixture.h"

namespace kstest {
namespace {

using ksim::EventKind;
using ksim::Fault;

constexpr int kConnectCode = 1;

class TransportTest : public ProbeTest {};

TEST_F(TransportTest, ASplitReplyIsAssembledWithAFollowUpReadOfAtMost500Ms) {
  const struct {
    uint32_t timeout;
    unsigned followUp;
  } cases[] = {{4000, 500}, {300, 300}, {0, 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeout);
    ksim::reset();
    attachAndOpen();
    ksim::injectFault(device_, {Fault::SplitReply, 0, 1, 1000});
    Bytes data(4344, 0x5A), output(4344);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    probe_->commandBuffer[3] = 0;
    probe_->commandBuffer[4] = 0xF8;
    probe_->commandBuffer[5] = 0x10;
    probe_->commandBuffer[6] = probe_->commandBuffer[7] = 0;
    std::copy(data.begin(), data.end(), probe_->commandBuffer + 8);
    ASSERT_EQ(KST_Execute(probe_, 4352, 4351, 1, c.timeout), KST_OK);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), probe_->replyBuffer + 7));
    const auto in = eventsOf(EventKind::BulkIn);
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(in[0].lengthAsked, 4351);
    EXPECT_EQ(in[0].data.size(), 1000u);
    EXPECT_EQ(in[1].lengthAsked, 4352 - 1000);
    EXPECT_EQ(in[1].timeoutMs, c.followUp);
    KST_Close(&probe_);
  }
}

TEST_F(TransportTest, ZeroLengthPacketsInsideAReplyAddNothingAndTheReadGoesOn) {
  attachAndOpen();
  ksim::scriptReply(device_, {kConnectCode, 0x0BAD, {}});
  ksim::injectFault(device_, {Fault::EmptyPackets, kConnectCode, 1, 2});
  EXPECT_EQ(KST_Connect(probe_), 0x0BAD) << "the probe's own result";
  const auto in = eventsOf(EventKind::BulkIn);
  ASSERT_EQ(in.size(), 4u);
  EXPECT_EQ(in[1].data.size() + in[2].data.size(), 0u);
  EXPECT_EQ(KST_Connect(probe_), KST_OK) << "the next command is not disturbed";
}

TEST_F(TransportTest, EndlessZeroLengthPacketsEndAsNoReplyWithinTheTimeOut) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::EmptyPackets, kConnectCode, 1, -1});
  probe_->commandBuffer[3] = kConnectCode;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(KST_Execute(probe_, 4, 7, 1, 10), KST_ERR_NO_REPLY);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  const auto in = eventsOf(EventKind::BulkIn);
  ASSERT_GT(in.size(), 2u);
  EXPECT_EQ(in.back().timeoutMs, 10u);
  EXPECT_EQ(KST_Connect(probe_), KST_OK);
}

TEST_F(TransportTest, AHaltedOutEndpointIsClearedAndWrittenAgainUpToThreeTimes) {
  const struct {
    uint32_t stalls;
    int32_t expected;
    std::size_t clears;
  } cases[] = {{1, KST_OK, 1}, {3, KST_OK, 3}, {4, KST_ERR_NO_REPLY, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stalls);
    ksim::reset();
    attachAndOpen();
    ksim::injectFault(device_, {Fault::OutPipe, ksim::kAnyCommand, c.stalls});
    EXPECT_EQ(KST_Connect(probe_), c.expected);
    const auto clears = eventsOf(EventKind::ClearHalt);
    EXPECT_EQ(clears.size(), c.clears);
    for (const auto& clear : clears) EXPECT_EQ(clear.endpoint, 0x03);
    for (const auto& write : eventsOf(EventKind::BulkOut)) EXPECT_EQ(write.timeoutMs, 0u);
    KST_Close(&probe_);
  }
}

TEST_F(TransportTest, AProbeThatVanishesFailsEveryLaterCommandAndStillCloses) {
  attachAndOpen();
  ksim::injectFault(device_, {Fault::Vanish});
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  EXPECT_EQ(KST_Close(&probe_), KST_OK);
  EXPECT_EQ(probe_, nullptr);
  KSTInform* again = nullptr;
  EXPECT_EQ(KST_Open(&again, 0, nullptr, 0), KST_ERR_NO_PROBE);
}

TEST_F(TransportTest, CommandsOnAClosedDeviceFailWithoutTraffic) {
  attachAndOpen();
  const uint32_t flag = probe_->openFlag;
  probe_->openFlag = 0;
  EXPECT_EQ(KST_Connect(probe_), KST_ERR_NO_REPLY);
  EXPECT_TRUE(ksim::events().empty());
  probe_->openFlag = flag;
}

}  // namespace
}  // namespace kstest
