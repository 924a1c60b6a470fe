// The size limits of the variable-sized commands: the largest transfer goes out as one packet,
// one more is refused before any traffic, and so is every count whose sum with a header would
// wrap around 32 bits. One command of each shape: where a limit follows from the header of
// the command's golden row and the builder's packet limit (tests/unit), the others of that
// shape are not repeated here.
#include <functional>

#include "probe_fixture.h"

namespace kstest {
namespace {

class TargetLimitsTest : public TargetTest {
 protected:
  Bytes data = Bytes(8800, 0x3C);
  Bytes back = Bytes(8800, 0);
};

TEST_F(TargetLimitsTest, LargestTransfersFitAndOneMoreIsRefused) {
  KST_SMG_HANDLE h = handle_;
  uint8_t* in = back.data();
  const uint8_t* src = data.data();
  uint16_t length = 0;
  uint8_t status = 0;
  using Sized = std::function<int32_t(uint32_t)>;
  const struct {
    const char* name;
    Sized call;
    uint8_t code;
    uint32_t limit;
    std::size_t packetAtLimit;
    std::size_t replyAtLimit;  // reply data bytes
  } cases[] = {
      // clang-format off
      {"Echo", [&](uint32_t n) { return KST_Echo(probe_, src, in, n); }, 0, 4344, 4352, 4344},
      {"SendRecvScan out", [&](uint32_t n) { return KST_SendRecvScan(probe_, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, src, in, n, 2); }, 12, 4330, 4352, 2},
      {"SendRecvScan in", [&](uint32_t n) { return KST_SendRecvScan(probe_, 8, 3, 1, 2, 1, 0, 0, 0, 1, 2, 2, src, in, 2, n); }, 12, 4345, 24, 4345},
      {"EEPROMRead", [&](uint32_t n) { return KST_EEPROMRead(probe_, 0, static_cast<uint16_t>(n), in); }, 63, 4345, 8, 4345},
      {"CMAPI_MemWrite", [=](uint32_t n) { return CMAPI_MemWrite(h, 0, 0, 0, 0, n, 0, src); }, 20, 4335, 4352, 0},
      {"CMAPI_MemRead64", [=](uint32_t n) { return CMAPI_MemRead64(h, 0, 0, 0, 0, n, 0, in); }, 61, 4345, 21, 4345},
      {"SecAP_BulkWrite", [=](uint32_t n) { return SecAP_BulkWrite(h, 0, static_cast<uint16_t>(n), src); }, 80, 1086, 4351, 0},
      {"SecAP_BulkRead", [=](uint32_t n) { return SecAP_BulkRead(h, 0, static_cast<uint16_t>(n), in); }, 81, 1086, 7, 4344},
      {"WREN_MemRead words", [=](uint32_t n) { return WREN_MemRead(h, 16, 16 + n, 0, 0, 0, 0, 0, 0, in); }, 51, 2172, 21, 4344},
      {"WREN_MemWrite words", [=](uint32_t n) { return WREN_MemWrite(h, 16, 16 + n, 0, 0, 0, 0, 0, 0, 0, src); }, 52, 2164, 4352, 0},
      {"IBIS_MemReadStat", [=](uint32_t n) { return IBIS_MemReadStat(h, 0, n, 0, 0, 0, in, in + 4400); }, 55, 2172, 18, 4344},
      // The short form sends 4 bytes whatever the count; the status reply bounds the count.
      {"IBIS_MemWriteStat short", [=](uint32_t n) { return IBIS_MemWriteStat(h, 0, n, 4, 0, 0, 1, src, in); }, 56, 4345, 24, 4345},
      {"TERN_MemReadStat", [=](uint32_t n) { return TERN_MemReadWithStat(h, 0, 0, static_cast<uint16_t>(n), 0, 0, in, in + 4400); }, 84, 2172, 18, 4344},
      {"TERN_MemWriteStat", [=](uint32_t n) { return TERN_MemWriteWithStat(h, 0, 0, static_cast<uint16_t>(n), 0, 0, src, in); }, 85, 4334, 4352, 4334},
      {"TRXSPI_OpRead", [&](uint32_t n) { return TRXSPI_OpRead(probe_, static_cast<uint16_t>(n), &length, &status, in); }, 89, 4342, 6, 4345},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ksim::scriptReply(device_, {c.code, 0, Bytes(c.replyAtLimit, 0)});
    ksim::clearEvents();
    EXPECT_EQ(c.call(c.limit), KST_OK);
    const auto sent = packets();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].size(), c.packetAtLimit);
    EXPECT_EQ(eventsOf(ksim::EventKind::BulkIn).at(0).lengthAsked,
              static_cast<int>(7 + c.replyAtLimit));
    ksim::clearEvents();
    EXPECT_EQ(c.call(c.limit + 1), KST_ERR_BAD_ARGUMENT);
    EXPECT_TRUE(ksim::events().empty());
  }
  EXPECT_EQ(length, 0) << "a refused operation read clears its outputs";
}

// Counts that would wrap around 32 bits with a header are the builder's to refuse (tests/unit);
// WREN computes its count from two addresses itself.
TEST_F(TargetLimitsTest, WrenCountsThatWouldWrapAreRefused) {
  KST_SMG_HANDLE h = handle_;
  uint8_t* in = back.data();
  const uint8_t* src = data.data();
  EXPECT_EQ(WREN_MemRead(h, 0, 0x80000000u, 0, 0, 0, 0, 0, 0, in),
            KST_ERR_BAD_ARGUMENT);  // 2^32 bytes
  EXPECT_EQ(WREN_MemWrite(h, 1, 0x80000001u, 0, 0, 0, 0, 0, 0, 0, src), KST_ERR_BAD_ARGUMENT);
  // End addresses below the start: the difference must not wrap into a small count.
  EXPECT_EQ(WREN_MemRead(h, 0x11, 0x10, 0, 0, 0, 0, 0, 0, in), KST_ERR_BAD_ARGUMENT);
  EXPECT_EQ(WREN_MemRead(h, 0xFFFFFFFF, 0, 0, 0, 0, 0, 0, 0, in), KST_ERR_BAD_ARGUMENT);
  EXPECT_EQ(WREN_MemWrite(h, 2, 0, 0, 0, 0, 0, 0, 0, 0, src), KST_ERR_BAD_ARGUMENT);
  EXPECT_TRUE(ksim::events().empty());
  // End equal to start reads nothing: a 7-byte reply.
  ksim::scriptReply(device_, {51, 0, {}});
  EXPECT_EQ(WREN_MemRead(h, 5, 5, 0, 0, 0, 0, 0, 0, nullptr), KST_OK);
  EXPECT_EQ(eventsOf(ksim::EventKind::BulkIn).at(0).lengthAsked, 7);
}

}  // namespace
}  // namespace kstest
