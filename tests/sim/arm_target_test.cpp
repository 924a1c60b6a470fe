// The ARM side of the virtual target: the debug port's handshake and registers, the MEM-AP's
// address increment and block transfers. What the probe's log sees of them is checked through
// the library's trace (tests/link/trace_test.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "arm/block_transfer.h"
#include "arm/debug_port.h"

namespace {

using ksim::DebugPort;
using ksim::MemAp;

class DebugPortTest : public ::testing::Test {
 protected:
  DebugPortTest() : port(ksim::TargetConfig{}, memory) {}

  ksim::SparseMemory memory;
  DebugPort port;
};

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

TEST_F(DebugPortTest, AccessPortsAnswerOnlyAfterThePowerUpHandshake) {
  uint32_t value = 0;
  EXPECT_FALSE(port.apRead(0, MemAp::kIdr, value));
  ASSERT_TRUE(port.dpRead(DebugPort::kCtrlStat, value));
  EXPECT_EQ(value, 0u);
  ASSERT_TRUE(port.dpWrite(DebugPort::kCtrlStat, DebugPort::kPowerRequests));
  ASSERT_TRUE(port.dpRead(DebugPort::kCtrlStat, value));
  EXPECT_EQ(value,
            DebugPort::kPowerRequests | DebugPort::kDebugPowerAck | DebugPort::kSystemPowerAck);
  ASSERT_TRUE(port.apRead(1, MemAp::kIdr, value));
  EXPECT_EQ(value, 0x44770004u);
  ASSERT_TRUE(port.apRead(1, MemAp::kCfg, value));
  EXPECT_EQ(value, 2u) << "AP 1 has large addresses";
  EXPECT_FALSE(port.apRead(2, MemAp::kIdr, value)) << "no third AP";
  port.powerDown();
  EXPECT_FALSE(port.apRead(0, MemAp::kIdr, value));
}

TEST_F(DebugPortTest, DrwIncrementCarriesOnlyWithinOneKilobyte) {
  ASSERT_TRUE(port.powerUp());
  ASSERT_TRUE(port.apWrite(0, MemAp::kCsw, MemAp::kIncrementSingle | 2));
  ASSERT_TRUE(port.apWrite(0, MemAp::kTar, 0x200003FC));
  ASSERT_TRUE(port.apWrite(0, MemAp::kDrw, 0x11223344));
  EXPECT_EQ(port.ap(0).tar(), 0x20000000u);
  ASSERT_TRUE(port.apWrite(0, MemAp::kCsw, 0));  // bytes, no increment
  ASSERT_TRUE(port.apWrite(0, MemAp::kTar, 0x200003FE));
  uint32_t lane = 0;
  ASSERT_TRUE(port.apRead(0, MemAp::kDrw, lane));
  EXPECT_EQ(lane, 0x00220000u) << "a byte comes in the lane of its address";
  EXPECT_EQ(port.ap(0).tar(), 0x200003FEu);
}

TEST_F(DebugPortTest, AFaultSetsTheStickyErrorUntilAbortClearsIt) {
  memory.addFault(0x40000000, 0x40001000);
  ASSERT_TRUE(port.powerUp());
  ASSERT_TRUE(port.apWrite(0, MemAp::kTar, 0x40000000));
  uint32_t value = 0;
  EXPECT_FALSE(port.apRead(0, MemAp::kDrw, value));
  ASSERT_TRUE(port.dpRead(DebugPort::kCtrlStat, value));
  EXPECT_TRUE(value & DebugPort::kStickyError);
  ASSERT_TRUE(port.dpWrite(DebugPort::kAbort, DebugPort::kStickyErrorClear));
  ASSERT_TRUE(port.dpRead(DebugPort::kCtrlStat, value));
  EXPECT_FALSE(value & DebugPort::kStickyError);
}

TEST_F(DebugPortTest, BlocksRoundTripAcrossKilobyteAndFourGigabyteBoundaries) {
  ASSERT_TRUE(port.powerUp());
  std::vector<uint8_t> data(3000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
  struct Case {
    uint8_t ap, size;
    uint64_t address;
  };
  for (const Case c : {Case{0, 2, 0x20000200}, Case{0, 0, 0x20001001}, Case{0, 1, 0x2000FFFE},
                       Case{1, 2, 0x1'0000'0000 - 1024}}) {
    SCOPED_TRACE(c.address);
    const ksim::BlockRequest request{c.ap, c.address, 3000, c.size, true, 0};
    ASSERT_EQ(ksim::blockWrite(port, request, data.data()), 0);
    std::vector<uint8_t> back(3000);
    ASSERT_EQ(ksim::blockRead(port, request, back.data()), 0);
    EXPECT_EQ(back, data);
    std::vector<uint8_t> direct(3000);
    memory.read(c.address, direct.data(), direct.size());
    EXPECT_EQ(direct, data) << "the bytes landed where they were sent";
  }
}

TEST_F(DebugPortTest, BlocksAreRefusedByAlignmentAddressSpaceAndPower) {
  std::vector<uint8_t> buffer(16);
  const ksim::BlockRequest aligned{0, 0x1000, 16, 2, true, 0};
  EXPECT_EQ(ksim::blockRead(port, aligned, buffer.data()), ksim::kFirmwarePoweredDown);
  ASSERT_TRUE(port.powerUp());
  struct Case {
    ksim::BlockRequest request;
    int32_t result;
  };
  memory.addFault(0x3000, 0x3001);
  const Case cases[] = {
      {{0, 0x1002, 16, 2, true, 0}, ksim::kFirmwareBadArguments},      // misaligned address
      {{0, 0x1000, 6, 2, true, 0}, ksim::kFirmwareBadArguments},       // count not in words
      {{0, 0xFFFFFFF8, 16, 2, true, 0}, ksim::kFirmwareBadArguments},  // past 32 bits
      {{1, 0xFFFFFFF8, 16, 2, true, 0}, 0},                            // a 64-bit AP goes on
      {{0, 0x1000, 16, 3, true, 0}, ksim::kFirmwareBadArguments},      // no such size
      {{5, 0x1000, 16, 2, true, 0}, ksim::kFirmwareBadArguments},      // no such AP
      {{0, 0x2FF8, 16, 2, true, 0}, ksim::kFirmwareMemoryFault},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.address);
    EXPECT_EQ(ksim::blockRead(port, c.request, buffer.data()), c.result);
  }
}

}  // namespace
