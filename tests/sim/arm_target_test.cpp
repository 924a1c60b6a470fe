// The ARM target's memory: sparse pages up to the top of the 64-bit space, and faulting ranges.
// The debug port and its MEM-APs are checked through the library (tests/link/
// target_round_trip_test.cpp: handshake, increment, refusals, sticky error; trace_test.cpp:
// what the probe's log sees of them).
#include <gtest/gtest.h>

#include <vector>

#include "arm/debug_port.h"

namespace {

TEST(SparseMemory, UnwrittenBytesReadTheFillAndWritesCrossPagesAndHighAddresses) {
  ksim::SparseMemory memory;
  const uint64_t high = 0xFFFF'FFFF'FFFF'F000 - 2;  // a write across the last two pages
  const uint8_t data[5] = {1, 2, 3, 4, 5};
  memory.write(high, data, 5);
  uint8_t out[7] = {};
  memory.read(high - 1, out, 7);
  EXPECT_EQ(
      std::vector<uint8_t>(out, out + 7),
      (std::vector<uint8_t>{ksim::SparseMemory::kFill, 1, 2, 3, 4, 5, ksim::SparseMemory::kFill}));
  memory.addFault(0x100, 0x200);
  EXPECT_FALSE(memory.faults(0xF0, 0x10));
  EXPECT_TRUE(memory.faults(0xF0, 0x11));
  EXPECT_TRUE(memory.faults(0x1FF));
  EXPECT_FALSE(memory.faults(0x200, 4));
}

}  // namespace
