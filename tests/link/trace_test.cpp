// The command trace through a capturing logger: the gate, the lines, and the probe's log.
#include <regex>

#include "nimbus_logger/control.h"
#include "probe_fixture.h"

namespace kstest {
namespace {

using Lines = std::vector<nimbus::CapturedLine>;

std::vector<std::string> texts(const Lines& lines, uint32_t level = 0) {
  std::vector<std::string> out;
  for (const auto& line : lines)
    if (level == 0 || line.level == level) out.push_back(line.text);
  return out;
}

class TraceTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    attachAndOpen();  // the logger is off: the probe's log too
  }
  void TearDown() override {
    nimbus::capture(0);
    if (probe_ != nullptr) KST_Connect(probe_);  // leaves the process's trace state off
    ProbeTest::TearDown();
  }

  // Starts tracing at level, switches the probe's log on and empties it; forgets the traffic.
  void traceAt(int level) {
    nimbus::capture(level);
    ASSERT_EQ(KST_Connect(probe_), KST_OK);
    probe_->commandBuffer[3] = 74;  // empties the probe's log of the connect's record
    ASSERT_EQ(KST_Execute(probe_, 4, 4336, 1, 0), KST_OK);
    nimbus::takeCaptured();
    ksim::clearEvents();
  }

  // A command that fails with no reply.
  void failVersion() {
    ksim::injectFault(device_, {ksim::Fault::NoReply, 3});
    uint32_t firmware;
    uint16_t hardware;
    EXPECT_EQ(KST_Version(probe_, &firmware, &hardware), KST_ERR_NO_REPLY);
  }
};

// (Without a logger wanting traces no property or log command is ever sent: every golden row
// counts the packets of its calls, failed ones included.)
TEST_F(TraceTest, ALoggerStartingToWantTracesCostsExactlyOneUntracedPropertyCommand) {
  nimbus::capture(3);
  uint32_t state;
  ASSERT_EQ(KST_GetJtagState(probe_, &state), KST_OK);
  ASSERT_EQ(KST_GetJtagState(probe_, &state), KST_OK);
  EXPECT_EQ(packets(),
            (std::vector<Bytes>{packet(73, {2, 0, 0, 0, 1, 0, 0, 0}), packet(8), packet(8)}));
  const Lines lines = nimbus::takeCaptured();
  ASSERT_EQ(lines.size(), 6u);
  const std::regex request(
      R"(KST_SetProperty\(\(\*KSTInform\) (0x)?[0-9a-fA-F]+, KST_PROPERTY_LOGGING_ENABLED, 1 \("enable"\)\))");
  EXPECT_TRUE(std::regex_match(lines[0].text, request)) << lines[0].text;
  EXPECT_EQ(texts(lines, 3),
            (std::vector<std::string>{
                lines[0].text + " = 0",
                "Executed command 0x08 (KST_GETJTAGSTATE), return code: 0x00000000",
                "Executed command 0x08 (KST_GETJTAGSTATE), return code: 0x00000000"}));
  EXPECT_EQ(texts(lines, 2)[1], "Executing command 0x08 (KST_GETJTAGSTATE)");
  for (const auto& line : lines) {
    EXPECT_EQ(line.component, 48u);
    EXPECT_EQ(line.subcomponent, 3u);
  }
  // A property command writes its own line before the command's.
  ASSERT_EQ(KST_SetProperty(probe_, 0, 5), KST_OK);
  EXPECT_EQ(texts(nimbus::takeCaptured()),
            (std::vector<std::string>{
                "id=0x00000000 value=0x00000005", "Executing command 0x49 (KST_SET_PROPERTY)",
                "Executed command 0x49 (KST_SET_PROPERTY), return code: 0x00000000"}));

  // Stopping: one property command switches the probe's log off again, and nothing is traced.
  nimbus::capture(0);
  ksim::clearEvents();
  ASSERT_EQ(KST_GetJtagState(probe_, &state), KST_OK);
  EXPECT_EQ(packets(), (std::vector<Bytes>{packet(73, {2, 0, 0, 0, 0, 0, 0, 0}), packet(8)}));
}

// A failed command is followed by the probe's log, read whole, one line a record at level 1.
TEST_F(TraceTest, AFailedCommandFetchesTheLogAndEveryRecordTypeHasItsLine) {
  traceAt(3);
  const ksim::ProbeLogRecord records[] = {
      {0, 0, 0x4, 0x12345678, 0, 1},  {1, 0, 0x8, 0xF0, 0xFFFFFFFF, 2}, {2, 0, 0xC, 0x1, 0, 0},
      {3, 0, 0xFC, 0x24770011, 0, 1}, {4, 2, 0x4, 0x23000052, 0, 1},
  };
  for (const auto& record : records) ksim::appendProbeLog(device_, record);
  const uint32_t counters[7] = {1, 2, 3, 4, 5, 6, 7};
  ksim::appendUsageReport(device_, counters);  // slots 4 and 5
  const ksim::ProbeLogRecord later[] = {
      {5, 3, 0x0, 0x1, 0, 0},
      {9, 1, 2, 3, 4, 5},  // not a type this library knows
      {6, 0, 0xC, 0xCAFE, 0, 0},
      {7, 0xA, 0xB, 0xC, 0xFFFE002A, 3},
  };
  for (const auto& record : later) ksim::appendProbeLog(device_, record);
  failVersion();
  EXPECT_EQ(codes(packets()), (std::vector<uint8_t>{3, 74}));
  EXPECT_EQ(eventsOf(ksim::EventKind::BulkIn).back().lengthAsked, 4336);
  EXPECT_EQ(eventsOf(ksim::EventKind::BulkIn).back().timeoutMs, 4000u);
  const Lines lines = nimbus::takeCaptured();
  EXPECT_EQ(texts(lines, 3), std::vector<std::string>{
                                 "Executed command 0x03 (KST_VERSION), return code: 0xfffffefb"});
  EXPECT_EQ(
      texts(lines, 1),
      (std::vector<std::string>{
          "Depth1: DpRegRead( address = 0x00000004 ) -> 0x12345678 = 0",
          "Depth2: DpRegWrite( address = 0x00000008, *value = 0x000000f0 ) = -1",
          "Depth0: DpRegWriteAndFlush( address = 0x0000000c, *value = 0x00000001 ) = 0",
          "Depth1: ApRegRead( apNumber = 0, address = 0x000000fc ) -> 0x24770011 = 0",
          "Depth1: ApRegWrite( apNumber = 2, address = 0x00000004, *value = 0x23000052 ) = 0",
          "Usage report: nApRegRead=1, nApRegWrite=2, nApRegWriteAndFlush=3, nDpRegRead=4, "
          "nDpRegWrite=5, nDpRegWriteAndFlush=6, nFinalRdbuff=7",
          "Depth0: ApRegWriteAndFlush( apNumber = 3, address = 0x00000000, *value = 0x00000001 ) "
          "= 0",
          "Depth0: FinalRdbuff( address = 0x0000000c ) -> 0x0000cafe = 0",
          "Depth3: DebugLog@F-2:L42( arg1 = 0000000a, arg2 = 0x0000000b, arg3 = 0x0000000c )",
          "Depth0: DebugLog@F1:L3( arg1 = 00000003, arg2 = 0x00000000, arg3 = 0x00000000 )"}));
}

// The log's own troubles: an overflow, a count past the buffer, a logging flag the probe
// reports otherwise (the next command switches it again) and a retrieval that fails.
TEST_F(TraceTest, TheLogsOwnTroublesAreReportedAndBounded) {
  traceAt(5);
  for (int i = 0; i < 185; ++i) ksim::appendProbeLog(device_, {0, 0, 0, 0, 0, 0});
  failVersion();
  const Lines first = nimbus::takeCaptured();
  EXPECT_EQ(texts(first, 4), std::vector<std::string>{
                                 "KST_GETLOG(): Kestrel Logging buffer overflowed by 6 records!"});
  EXPECT_EQ(texts(first, 1).size(), 180u);
  ksim::reportProbeLogCount(device_, 100000);
  failVersion();
  EXPECT_EQ(texts(nimbus::takeCaptured(), 1).size(), 180u) << "a count past 180 reads 180 slots";

  ksim::reportProbeLogFlag(device_, 0);
  failVersion();
  EXPECT_EQ(texts(nimbus::takeCaptured(), 1).front(),
            "KST_GETLOG(): There's some mismatch between loom and the Kestrel regarding whether "
            "logging is enabled. Will be remedied in the next tick.");
  ksim::reportProbeLogFlag(device_, -1);
  ksim::clearEvents();
  ASSERT_EQ(KST_Connect(probe_), KST_OK);
  EXPECT_EQ(packets(), (std::vector<Bytes>{packet(73, {2, 0, 0, 0, 1, 0, 0, 0}), packet(1)}));

  nimbus::takeCaptured();
  ksim::injectFault(device_, {ksim::Fault::BadStartByte, 74});
  failVersion();
  EXPECT_EQ(
      texts(nimbus::takeCaptured(), 5),
      std::vector<std::string>{"KST_GETLOG() = -261, failed to retrieve log entries from Kestrel"});
  EXPECT_EQ(Bytes(probe_->commandBuffer, probe_->commandBuffer + 4), packet(3));
  EXPECT_NE(probe_->replyBuffer[0], '#') << "the log reply went to a scratch copy";
}

// At level 6 every successful command fetches the log too: the virtual target's debug port
// operations come back with their depth.
TEST_F(TraceTest, AtLevelSixEverySuccessfulCommandFetchesTheLog) {
  KST_SMG_HANDLE handle = nullptr;
  ASSERT_EQ(KST_CreateFakeSMGHandle(probe_, &handle), KST_OK);
  uint32_t value = 0;
  ASSERT_EQ(CMAPI_Connect(handle, &value), KST_OK);
  traceAt(6);
  ASSERT_EQ(CMAPI_DapRegRead(handle, 1, 1, 0xFC, &value), KST_OK);
  EXPECT_EQ(
      texts(nimbus::takeCaptured(), 6),
      (std::vector<std::string>{
          "Depth1: DpRegWrite( address = 0x00000008, *value = 0x010000f0 ) = 0",
          "Depth1: FinalRdbuff( address = 0x0000000c ) -> 0x44770004 = 0",
          "Depth0: ApRegRead( apNumber = 1, address = 0x000000fc ) -> 0x44770004 = 0",
          "Depth0: DebugLog@F1:L21( arg1 = 00000015, arg2 = 0x00000000, arg3 = 0x00000000 )"}));
  ASSERT_EQ(CMAPI_DapRegRead(handle, 1, 1, 0xF8, &value), KST_OK);
  EXPECT_EQ(texts(nimbus::takeCaptured(), 6).size(), 3u) << "SELECT already holds the bank";
  EXPECT_EQ(codes(packets()), (std::vector<uint8_t>{21, 74, 21, 74}));
}

TEST_F(TraceTest, RefusedArgumentsAreUntracedButExecuteTracesItsOwnRefusal) {
  traceAt(3);
  Bytes data(4400);
  EXPECT_EQ(KST_Echo(probe_, data.data(), data.data(), 4345), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(nimbus::takeCaptured().empty());
  probe_->commandBuffer[3] = 0x4E;
  EXPECT_EQ(KST_Execute(probe_, 3, 7, 1, 0), KST_ERR_BAD_ARGUMENT);
  EXPECT_EQ(texts(nimbus::takeCaptured()),
            (std::vector<std::string>{
                "Executing command 0x4e (unknown command)",
                "Executed command 0x4e (unknown command), return code: 0xffffff86"}));
  EXPECT_EQ(codes(packets()), std::vector<uint8_t>{74}) << "only the log after the failure";
}

}  // namespace
}  // namespace kstest
