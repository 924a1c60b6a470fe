#include "golden_table.h"

namespace kstest {

constexpr uint8_t kSentinel = 0xEE;
constexpr int32_t kProbeError = 0x0BAD;

void GoldenTest::SetUp() {
  ProbeTest::SetUp();
  attachAndOpen();
  ASSERT_EQ(KST_CreateFakeSMGHandle(probe_, &handle_), KST_OK);
}

Bytes GoldenTest::le(uint64_t value, int bytes) {
  Bytes out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return out;
}

// Scripts the reply, runs the call, checks its result, returns its outputs.
Bytes GoldenTest::runRow(const GoldenRow& row, int32_t result, int32_t expected,
                         const ksim::FaultRule* fault) {
  std::memset(&out, kSentinel, sizeof out);
  ksim::scriptReply(device_, {row.code, result, row.reply});
  if (fault != nullptr) ksim::injectFault(device_, *fault);
  ksim::clearEvents();
  EXPECT_EQ(row.call(), expected);
  return row.outputs ? row.outputs() : Bytes{};
}

void GoldenTest::runTable(const std::vector<GoldenRow>& rows) {
  for (const GoldenRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(hex(runRow(row, KST_OK, KST_OK, nullptr)), hex(row.expected));
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(hex(sent[0]), hex(packet(row.code, row.arguments)));
    const auto in = eventsOf(ksim::EventKind::BulkIn);
    ASSERT_FALSE(in.empty());
    EXPECT_EQ(in[0].lengthAsked, static_cast<int>(7 + row.reply.size()));
    EXPECT_EQ(in[0].timeoutMs, row.timeoutMs);

    const Bytes untouched =
        row.onFailure.empty() ? Bytes(row.expected.size(), kSentinel) : row.onFailure;
    EXPECT_EQ(hex(runRow(row, kProbeError, kProbeError, nullptr)), hex(untouched));
    const uint32_t frame = 7 + static_cast<uint32_t>(row.reply.size());
    for (uint32_t cut = 1; cut <= frame; ++cut) {
      const ksim::FaultRule fault{ksim::Fault::ShortReply, row.code, 1, static_cast<int32_t>(cut)};
      EXPECT_EQ(hex(runRow(row, KST_OK, KST_ERR_NO_REPLY, &fault)), hex(untouched)) << cut;
    }
    for (int32_t extra = 1; extra <= 3; ++extra) {
      const ksim::FaultRule fault{ksim::Fault::LongReply, row.code, 1, extra};
      EXPECT_EQ(hex(runRow(row, KST_OK, KST_ERR_NO_REPLY, &fault)), hex(untouched)) << extra;
    }
  }
}

}  // namespace kstest
