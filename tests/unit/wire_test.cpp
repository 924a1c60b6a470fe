#include "link/wire.h"

#include <gtest/gtest.h>

namespace {

TEST(WireReader, ReadsLittleEndianFieldsAndZerosPastTheEnd) {
  uint8_t bytes[16] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
  kst::wire::putU64(bytes + 7, 0x8877665544332211);
  bytes[15] = 0xAA;
  kst::wire::Reader reader(bytes, sizeof bytes);
  EXPECT_EQ(reader.u8(), 0x01);
  EXPECT_EQ(reader.u16(), 0x1234);
  EXPECT_EQ(reader.u32(), 0x12345678u);
  EXPECT_EQ(bytes[7], 0x11) << "the low byte first";
  EXPECT_EQ(reader.u64(), 0x8877665544332211u);
  EXPECT_TRUE(reader.ok());
  uint8_t out[2] = {7, 7};
  reader.copyTo(out, 0);
  EXPECT_TRUE(reader.ok());
  EXPECT_EQ(reader.u64(), 0u) << "only one byte is left";
  EXPECT_FALSE(reader.ok());
  reader.copyTo(out, 2);
  EXPECT_EQ(out[0] | out[1], 0) << "a copy past the end writes zeros";
  EXPECT_EQ(reader.u16() | reader.u32(), 0u);
  EXPECT_EQ(reader.bytes(2), nullptr);
  EXPECT_NE(reader.bytes(1), nullptr);
  EXPECT_EQ(reader.remaining(), 0u);
}

}  // namespace
