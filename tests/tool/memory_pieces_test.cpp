// The pieces the kestrel tool cuts memory transfers into, and its rate line.
#include <gtest/gtest.h>

#include "kestrel/memory_transfer.h"
#include "kestrel/transfer_report.h"

namespace {

TEST(ToolPieces, WholeWordsUpToWhatOnePacketCarries) {
  const struct {
    uint64_t address;
    std::size_t remaining;
    bool write, wide;
    std::size_t piece;
  } cases[] = {
      {0x1000, 1 << 20, false, false, 4344},  // 4345 fits a reply; whole words
      {0x1000, 1 << 20, true, false, 4332},   // 4335 fits a packet
      {0x1000, 1 << 20, true, true, 4328},    // 4331 with a 64-bit address
      {0x1001, 1 << 20, false, false, 4345},  // unaligned: bytes
      {0x1001, 1 << 20, true, true, 4331},   {0x1000, 6, false, false, 4},  // then a 2-byte tail
      {0x1000, 3, true, false, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tool::pieceSize(c.address, c.remaining, c.write, c.wide), c.piece)
        << std::hex << c.address << " " << c.remaining;
}

TEST(ToolReport, RateInKibOrMibPerSecondAndTheTimeLeft) {
  EXPECT_EQ(tool::rateText("wrote", 1048576, 0.5), "wrote 1048576 bytes in 0.50 s (2.0 MiB/s)");
  EXPECT_EQ(tool::rateText("read", 2048, 2.0), "read 2048 bytes in 2.00 s (1.0 KiB/s)");
  const std::string empty(40, ' '), half = std::string(20, '#') + std::string(20, ' ');
  const struct {
    std::size_t done, total;
    double seconds;
    std::string bar;
  } cases[] = {
      {0, 1 << 20, 0.0, "[" + empty + "]   0%  ETA --:--"},
      {1 << 19, 1 << 20, 0.4, "[" + half + "]  50%  ETA --:--"},  // the rate still settles
      {1 << 19, 1 << 20, 65.0, "[" + half + "]  50%  7.9 KiB/s  ETA 1:05"},
      {1 << 20, 1 << 30, 4.0, "[" + empty + "]   0%  256.0 KiB/s  ETA 1:08:12"},
  };
  for (const auto& c : cases) EXPECT_EQ(tool::barText(c.done, c.total, c.seconds), c.bar);
}

}  // namespace
