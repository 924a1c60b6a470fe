// The kestrel tool's command-line numbers and the pieces it cuts memory transfers into.
#include <gtest/gtest.h>

#include "kestrel/memory_transfer.h"
#include "kestrel/number_text.h"
#include "kestrel/transfer_report.h"

namespace {

TEST(ToolNumbers, DecimalOrHexadecimalAfter0xAndNothingElse) {
  const struct {
    const char* text;
    bool ok;
    uint64_t value;
  } cases[] = {
      {"0", true, 0},
      {"010", true, 10},  // decimal, not octal
      {"0x20000000", true, 0x20000000},
      {"0XfF", true, 255},
      {"18446744073709551615", true, UINT64_MAX},
      {"0xFFFFFFFFFFFFFFFF", true, UINT64_MAX},
      {"18446744073709551616", false, 0},
      {"0x10000000000000000", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"-1", false, 0},
      {"+1", false, 0},
      {"12k", false, 0},
      {"0x1g", false, 0},
      {" 1", false, 0},
  };
  for (const auto& c : cases) {
    uint64_t value = 7;
    EXPECT_EQ(tool::parseNumber(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 7) << c.text;
  }
}

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

TEST(ToolReport, RateInKibOrMibPerSecond) {
  EXPECT_EQ(tool::rateText("wrote", 1048576, 0.5), "wrote 1048576 bytes in 0.50 s (2.0 MiB/s)");
  EXPECT_EQ(tool::rateText("read", 2048, 2.0), "read 2048 bytes in 2.00 s (1.0 KiB/s)");
}

}  // namespace
