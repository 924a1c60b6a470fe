// The command exchange: framing, reply validation, the attempt loop and the size limits; and
// the data port's stream.
#include <cstring>

#include "probe_fixture.h"

namespace kstest {
namespace {

using ksim::EventKind;
using ksim::Fault;

class ExchangeTest : public ProbeTest {};

// KST_Execute's attempt loop: a lost transfer costs an attempt, a bad frame ends it all. (The
// command functions make one attempt: every golden row's failures send one packet.)
TEST_F(ExchangeTest, ExecuteRetriesLostRepliesButNotBadFrames) {
  const struct {
    const char* name;
    ksim::FaultRule fault;
    uint32_t attempts;
    int32_t expected;
    std::size_t sends;
  } cases[] = {
      {"two lost of three", {Fault::NoReply, 3, 2}, 3, KST_OK, 3},
      {"three lost of three", {Fault::NoReply, 3, 3}, 3, KST_ERR_NO_REPLY, 3},
      {"short then whole", {Fault::ShortReply, 3, 1}, 2, KST_OK, 2},
      {"long then whole", {Fault::LongReply, 3, 1}, 2, KST_OK, 2},
      {"bad start ends it", {Fault::BadStartByte, 3, 1}, 3, KST_ERR_NO_REPLY, 1},
      {"bad length ends it", {Fault::BadLengthField, 3, 1}, 3, KST_ERR_NO_REPLY, 1},
      {"probe error ends it", {Fault::FirmwareError, 3, 1, 99}, 3, 99, 1},
      {"negative probe error ends it", {Fault::FirmwareError, 3, 1, -7}, 3, -7, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::reset();
    attachAndOpen();
    ksim::injectFault(device_, c.fault);
    probe_->commandBuffer[3] = 3;  // KST_VERSION
    EXPECT_EQ(KST_Execute(probe_, 4, 13, c.attempts, 1000), c.expected);
    EXPECT_EQ(packets().size(), c.sends);
    for (const Bytes& sent : packets()) EXPECT_EQ(sent, packet(3));
    KST_Close(&probe_);
  }
}

// Sizes outside the packet limits are refused without traffic; a whole reply is left in the
// reply buffer; a well-formed error reply shorter than the reply asked for is no reply, and the
// rest of it is drained.
TEST_F(ExchangeTest, ExecuteChecksSizesKeepsTheReplyAndDrainsAShortOne) {
  attachAndOpen();
  for (const auto& [packetSize, replySize] :
       std::vector<std::pair<uint32_t, uint32_t>>{{3, 7}, {4353, 7}, {4, 6}, {4, 4353}, {0, 0}})
    EXPECT_EQ(KST_Execute(probe_, packetSize, replySize, 1, 0), KST_ERR_BAD_ARGUMENT)
        << packetSize << "/" << replySize;
  EXPECT_EQ(KST_Execute(nullptr, 4, 7, 1, 0), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(ksim::events().empty());

  const uint8_t arguments[] = {0, 3, 0, 0, 0, 'a', 'b', 'c'};  // echo: code 0, count 3
  std::memcpy(probe_->commandBuffer + 3, arguments, sizeof arguments);
  ASSERT_EQ(KST_Execute(probe_, 11, 10, 1, 0), KST_OK);
  EXPECT_EQ(Bytes(probe_->replyBuffer, probe_->replyBuffer + 10),
            (Bytes{'*', 7, 0, 0, 0, 0, 0, 'a', 'b', 'c'}));
  EXPECT_EQ(eventsOf(EventKind::BulkIn).at(0).timeoutMs, 5000u) << "a time-out of 0 is 5000 ms";

  ksim::clearEvents();
  probe_->commandBuffer[3] = 77;  // a code the firmware does not know: it answers 7 bytes
  EXPECT_EQ(KST_Execute(probe_, 4, 11, 1, 0), KST_ERR_NO_REPLY);
  const auto in = eventsOf(EventKind::BulkIn);
  ASSERT_EQ(in.size(), 2u);
  EXPECT_EQ(in[0].data.size(), 7u);
  EXPECT_EQ(in[1].lengthAsked, 4352 - 7);
  EXPECT_EQ(in[1].timeoutMs, 500u);
}

TEST_F(ExchangeTest, ExecuteWithNoAttemptsJudgesTheReplyBufferAsItStands) {
  KSTInform fresh{};  // zero-filled: not a valid reply, and never sent anything
  EXPECT_EQ(KST_Execute(&fresh, 4, 7, 0, 0), KST_ERR_NO_REPLY);

  attachAndOpen();  // the reply buffer holds the connect reply: '*', 4, 0, result 0
  probe_->replyBuffer[3] = 0x21;
  EXPECT_EQ(KST_Execute(probe_, 4, 7, 0, 0), 0x21);
  EXPECT_EQ(KST_Execute(probe_, 4, 8, 0, 0), KST_ERR_NO_REPLY);
  EXPECT_TRUE(ksim::events().empty());
}

TEST_F(ExchangeTest, TheDataPortReadsWhatTheProbeStreamsAndTimesOutOtherwise) {
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

}  // namespace
}  // namespace kstest
